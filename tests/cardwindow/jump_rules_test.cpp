#include "cardwindow/jump_rules.h"

#include <gtest/gtest.h>

#include <map>

#include "core/core_state.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class JumpRules : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.FieldCount = 10;
        CoreState.CardWordCount = 50;
        for (int f = 1; f <= 10; ++f) {
            FieldTypes[f] = 4;
            FieldPositions[f] = int16_t(f);
        }
    }
    // The cursor left `from` for the next field; answers where it ends.
    int Leave(int from, const std::map<int, int16_t>& values) {
        for (int f = 1; f <= 10; ++f) CurrentCardValues[f] = 0;
        for (auto [f, v] : values) CurrentCardValues[f] = uint16_t(v);
        CoreState.PreviousField = from;
        CoreState.CurrentField = from + 1;
        ApplyJumpRules();
        return CoreState.CurrentField;
    }
    TempDir dir;
};

TEST_F(JumpRules, RangesTestedFieldsAndOrder) {
    WriteBytes(dir / "sal-sch.imp",
               "5=0=1,2>9\r\n"
               "5=3=7,7>8\r\n"
               "4=7=10,20>2\r\n"
               " 6 = 0 = -5 , 5 > 3\r\n"
               "6=0=0,100>11\r\n"
               "6=0=0,100>0\r\n"
               "7\r\n"
               "8=x\r\n");
    struct Case {
        int from;
        std::map<int, int16_t> values;
        int to;
    } cases[] = {
        {5, {{5, 1}}, 9},
        {5, {{5, 2}}, 9},
        {5, {{5, 3}}, 6},
        {5, {{5, 1}, {3, 7}}, 8},  // both hold: the later line decides
        {5, {{5, 3}, {3, 7}}, 8},
        {4, {{7, 15}}, 2},  // field 7 decides where field 4 goes
        {4, {{7, 21}, {4, 15}}, 5},
        {6, {{6, -3}}, 3},  // blanks around the parts, a negative bound
        {6, {{6, 50}}, 7},  // targets 11 and 0 lie outside the card
        {7, {}, 8},         // a line without "="
        {8, {}, 9},         // "8=x": tested field 0 (8 itself, value 0), range 0..0, target 0
    };
    for (const Case& c : cases) EXPECT_EQ(Leave(c.from, c.values), c.to) << c.from;
}

TEST_F(JumpRules, MissingFileMeansNoJump) {
    EXPECT_EQ(Leave(5, {{5, 1}}), 6);
}

}  // namespace
}  // namespace qv
