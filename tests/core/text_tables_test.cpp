#include "core/text_tables.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class TextTablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
    }
    test::TempDir dir;
};

std::string Record256(const std::string& text) {
    std::string r(256, '\0');
    r[0] = char(text.size());
    r.replace(1, text.size(), text);
    return r;
}

std::string Record101(const std::string& text) {
    std::string r(101, '\0');
    r.replace(0, text.size(), text);
    return r;
}

TEST_F(TextTablesTest, PrimaryTableRecords) {
    std::string longLine(300, 'L');
    WriteBytes(dir / "sigle.imp", "Uno\r\n" + longLine +
                                      "\r\n\r\nPerch\xE9\x1A"
                                      "dopo\r\n");
    BuildTextFile();
    const std::string expected =
        Record256("Uno") + Record256(std::string(255, 'L')) + Record256("") + Record256("Perch\xE9");
    EXPECT_EQ(ReadBytes(dir / "sigle.dat"), expected);
    EXPECT_EQ(LoadText(1), "Uno");
    EXPECT_EQ(LoadText(2).size(), 255u);
    EXPECT_EQ(LoadText(3), "");
    EXPECT_EQ(LoadText(4), "Perch\xE9");
    EXPECT_THROW(LoadText(5), IoError);
    EXPECT_THROW(LoadText(0), IoError);
}

TEST_F(TextTablesTest, ThreeLinesGive768Bytes) {
    WriteBytes(dir / "sigle.imp", "a\r\nb\r\nc");  // last line without line end
    BuildTextFile();
    EXPECT_EQ(ReadBytes(dir / "sigle.dat").size(), 768u);
    EXPECT_EQ(LoadText(3), "c");
    EXPECT_THROW(LoadText(4), IoError);
}

TEST_F(TextTablesTest, SecondaryTableRecords) {
    std::string hundred(100, 'h');
    // A long line converted before a short one must not leave its tail in the short record.
    WriteBytes(dir / "sig-dat.imp", hundred + "\r\n" + hundred + "X\r\nab\r\n\r\n\xC0");
    BuildSecondaryTextFile();
    const std::string expected =
        Record101(hundred) + Record101(hundred) + Record101("ab") + Record101("") + Record101("\xC0");
    EXPECT_EQ(ReadBytes(dir / "sig-xsig.dat"), expected);
    LoadSecondaryText(3);
    EXPECT_EQ(SecondaryTextString(), "ab");
    LoadSecondaryText(2);
    EXPECT_EQ(SecondaryTextString(), hundred);
    EXPECT_THROW(LoadSecondaryText(6), IoError);
}

TEST_F(TextTablesTest, MissingSourcesRaiseTheIoError) {
    EXPECT_THROW(BuildTextFile(), IoError);
    EXPECT_THROW(BuildSecondaryTextFile(), IoError);
    EXPECT_THROW(LoadText(1), IoError);
}

}  // namespace
}  // namespace qv
