#include "cardwindow/indicators.h"

#include <gtest/gtest.h>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/field_layout.h"
#include "support/scratch_archive.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(IndicatorParseTest, TargetOperandsAndOperators) {
    std::string many = "1=";
    for (int f = 2; f <= 31; ++f) many += std::to_string(f) + " ";
    struct Case {
        std::string line;
        bool percent;
        int32_t target;
        std::vector<IndicatorOperand> operands;
        const char* echo;
    } cases[] = {
        {"%7 = 3 / 4", true, 7, {{0, 3}, {'/', 4}}, "%7=3/4"},
        {"5 = 3+4", false, 5, {{'+', 34}}, "5=+34"},  // an operator does not end a number
        {"5=3+ 4", false, 5, {{'+', 3}, {0, 4}}, "5=+34"},
        {" 5 = -3 *4", false, 5, {{'-', 3}, {'*', 4}}, "5=-3*4"},
        {"-5 = 3", false, 5, {{0, 3}}, "5=3"},  // an operator before the target is lost
        {"2 = 8 / 1 -", false, 2, {{0, 8}, {'/', 1}}, "2=8/1"},
        {"", false, 0, {}, "0="},
        {"abc", false, 0, {}, "0="},
        {"%", true, 0, {}, "%0="},
        {"12345678901234=1", false, 999999999, {{0, 1}}, "999999999=1"},
        {many + "*32", false, 1, {}, nullptr},
        {many + "-32 33", false, 1, {}, nullptr},
    };
    for (const Case& c : cases) {
        const Indicator i = ParseIndicator(c.line);
        EXPECT_EQ(i.percent, c.percent) << c.line;
        EXPECT_EQ(i.target, c.target) << c.line;
        if (!c.echo) continue;
        EXPECT_EQ(i.operands, c.operands) << c.line;
        EXPECT_EQ(IndicatorEchoLine(i), c.echo) << c.line;
    }
    // From the 31st operand on, numbers replace the 30th, which keeps its operator unless a
    // new one is given.
    for (const auto& [line, last] : {std::pair{many + "*32", IndicatorOperand{'*', 32}},
                                     std::pair{many + "-32 33", IndicatorOperand{'-', 33}}}) {
        const Indicator i = ParseIndicator(line);
        ASSERT_EQ(i.operands.size(), 30u);
        EXPECT_EQ(i.operands[28], (IndicatorOperand{0, 30}));
        EXPECT_EQ(i.operands[29], last) << line;
    }
}

// Fields: 1 to 4 numbers (words 1..4), 5 coded (5), 6 32-bit number (6, 7), 7 number (8),
// 8 date (9..11), 9 text of 5 at byte 1, 10 32-bit number (12, 13).
class IndicatorsTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::LayOutFields(
            {{4, 1}, {4, 2}, {4, 3}, {4, 4}, {0, 5}, {7, 6}, {4, 8}, {2, 9}, {-5, 0, 1}, {7, 12}});
        CoreState.WriteAccess = 1;
    }
    static SmallCard Card(std::array<int, 5> words, int32_t big) {
        SmallCard c;
        for (int w = 1; w <= 5; ++w) c.Word(w, words[size_t(w - 1)]);
        return c.Number(6, big).Word(9, 1).Word(10, 2).Word(11, 3).Number(12, kEmptyNumber).Text(1, "abc");
    }
};

TEST_F(IndicatorsTest, EveryCardComputedLeftToRightInLineOrder) {
    WriteBytes(Arch("indicato.txt"),
               "%7 = 3 / 4\r\n1 = 2 + 3 * 4\r\n\r\n2 = 8 + 1\r\n4 =\r\n10 = 6 * 6\r\n3 = 2 / 5\r\n9 = 1\r\n"
               "7 = 1 * 1 * 1 * 1\r\n11 = 1\r\n8 = 1\r\n5 = 1\r\n");
    std::vector<SmallCard> cards = {Card({1, 2, 3, 4, 0}, 100000), Card({0, 5, 1, 2, 3}, -3)};
    test::StoreSmallCards(CoreState.ArchiveDir, cards, 2);
    const std::string text = test::SmallTextFile(cards);
    CoreState.CurrentCard = 0;
    test::RecordingProgress progress;
    const IndicatorRun run = RunIndicators(progress);
    EXPECT_EQ(run.cards.Missing(), 2);

    EXPECT_EQ(ReadBytes(Arch("ind2.txt")),
              "%7=3/4\r\n1=2+3*4\r\n0=\r\n2=8+1\r\n4=\r\n10=6*6\r\n3=2/5\r\n9=1\r\n7=1*1*1*1\r\n11=1\r\n"
              "8=1\r\n5=1\r\n");
    // A date operand, a text, date or category target and a number beyond the fields are refused.
    EXPECT_EQ(run.refusedLines, (std::vector<int>{4, 8, 10, 11, 12}));

    // Card 0: 3 * 100 / 4 = 75; (2 + 3) * 4 = 20; 0; 10^10 does not fit 32 bits: empty; field 5
    // holds no category, so 2 / it is empty; 20^4 = 160000 does not fit 16 bits: empty.
    const uint16_t empty = kEmptyWord;
    cards[0].Word(8, 75).Word(1, 20).Word(4, 0).Number(12, kEmptyNumber).Word(3, empty).Word(8, empty);
    // Card 1: 1 * 100 / 2 = 50; (5 + 1) * 2 = 12; 0; -3 * -3 = 9; 5 / 3 = 1.67 gives 2; 12^4.
    cards[1].Word(8, 50).Word(1, 12).Word(4, 0).Number(12, 9).Word(3, 2).Word(8, 20736);
    EXPECT_EQ(run.emptiedOutOfRange, 2);
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), test::SmallValuesFile(cards));
    EXPECT_EQ(ReadBytes(Arch("alf-sch.dat")), text);

    // The card in hand is the one that was current, read again.
    EXPECT_EQ(CoreState.CurrentCard, 0);
    EXPECT_EQ(CurrentCardValues[1], 20);
    EXPECT_EQ(progress.maximum, 1);
}

TEST_F(IndicatorsTest, NearestIntegerHalvesToEvenEmptyOperandsAndOverflow) {
    WriteBytes(Arch("indicato.txt"), "3 = 1 / 2\r\n4 = 1 * 2\r\n7 = 1 + 2\r\n");
    constexpr uint16_t E = kEmptyWord;  // -32000, the empty word
    struct Case {
        int a, b;
        uint16_t quotient, product, sum;
    } cases[] = {
        {5, 2, 2, 10, 7},  // 2.5 goes to 2
        {7, 2, 4, 14, 9},  // 3.5 goes to 4
        {-5, 2, uint16_t(-2), uint16_t(-10), uint16_t(-3)},
        {1, 0, 0, 0, 1},                  // a division by 0 gives 0
        {200, 200, 1, E, 400},            // 40000 does not fit: empty
        {-300, 300, uint16_t(-1), E, 0},  // -90000 likewise
        {29999, 1, 29999, 29999, E},      // 30000 is past the largest typed value
        {-32000, 3, E, E, E},             // an empty operand: an empty result
        {5, -32000, E, E, E},             // 5 + empty is empty
    };
    std::vector<SmallCard> cards;
    for (const Case& c : cases) cards.push_back(Card({c.a, c.b, 0, 0, 0}, 0));
    test::StoreSmallCards(CoreState.ArchiveDir, cards);
    test::RecordingProgress progress;
    EXPECT_EQ(RunIndicators(progress).emptiedOutOfRange, 3);
    for (size_t k = 0; k < cards.size(); ++k)
        cards[k].Word(3, cases[k].quotient).Word(4, cases[k].product).Word(8, cases[k].sum);
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), test::SmallValuesFile(cards));
}

TEST_F(IndicatorsTest, WithoutThePasswordOrTheDefinitionsNothingChanges) {
    test::StoreSmallCards(CoreState.ArchiveDir, {Card({1, 2, 3, 4, 5}, 6)});
    const std::string before = ReadBytes(Arch("num-sch.dat"));
    test::RecordingProgress progress;
    WriteBytes(Arch("indicato.txt"), "1 = 2 + 3\r\n");
    CoreState.WriteAccess = 0;
    EXPECT_TRUE(RunIndicators(progress).refused);
    EXPECT_FALSE(FileExists(Arch("ind2.txt")));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), before);
    CoreState.WriteAccess = 1;
    RemoveFile(Arch("indicato.txt"));
    EXPECT_THROW(RunIndicators(progress), IoError);
    EXPECT_FALSE(FileExists(Arch("ind2.txt")));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), before);
}

}  // namespace
}  // namespace qv
