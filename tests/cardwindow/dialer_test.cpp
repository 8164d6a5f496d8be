#include "cardwindow/dialer.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class Dialer : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
    }
    TempDir dir;
};

TEST_F(Dialer, FirstHandOffCreatesTheSettings) {
    WriteDialerSettings("06 1234567");
    const char* expected = "[Speed Dial Settings]\r\nName1=Quorvanta\r\nNumber1=06 1234567\r\n";
    EXPECT_EQ(ReadBytes(dir / "dialer.ini"), expected);
    EXPECT_EQ(ReadBytes(dir / "dialer.imp"), expected);
}

TEST_F(Dialer, SpeedDialSectionComesFirstAndOldNamesAndNumbersGo) {
    WriteBytes(dir / "dialer.txt", "0,\r\nsecond line\r\n");
    WriteBytes(dir / "dialer.ini",
               "[Preference]\r\n"
               "Preferred Line=1\r\n"
               "[Speed Dial Settings]\r\n"
               "Name1=Vecchio\r\n"
               "Number1=123\r\n"
               "[Last dialed numbers]\r\n"
               "Last dialed 1=NumberX\r\n"
               "Username=abc\r\n");  // "name" is not "Name"
    WriteDialerSettings("0612345");
    EXPECT_EQ(ReadBytes(dir / "dialer.ini"),
              "[Speed Dial Settings]\r\nName1=Quorvanta\r\nNumber1=0,0612345\r\n"
              "[Preference]\r\nPreferred Line=1\r\n[Last dialed numbers]\r\nUsername=abc\r\n");
}

}  // namespace
}  // namespace qv
