#include "elaborations/typologies.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/card_files.h"
#include "support/field_layout.h"
#include "support/recording_progress.h"
#include "support/records.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using test::RecordingProgress;

// A loading line of the report: sign in column 10, weight in 11..15, category in 18..21.
std::string TermLine(const char* weight, const char* category, char sign = ' ') {
    return "  1      " + std::string(1, sign) + weight + " (" + category + ") label";
}

TEST(TypologyProfile, TermColumns) {
    struct Case {
        std::string line;
        bool taken;
        int16_t category, weight;
    } cases[] = {
        {"  1       0.812 (   1) Maschi", true, 1, 812},
        {"  5      -0.250 (  12) Risposta", true, -12, 250},
        {"  2       1.000 (4000) ultima", true, 4000, 1000},
        {"  2       0.577 (   3) x", true, 3, 577},
        {"  2       0.289 (   3) x", true, 3, 289},
        {"  2         .5  (   3) x", true, 3, 0},  // "  .5 " ends in a blank: weight unread
        {"  2          .5 (   3) x", true, 3, 500},
        {"  2       99999 (   3) x", true, 3, 32767},
        {"  2       0.5x  (   3) x", true, 3, 0},
        {"  2       1e-1  (   3) x", true, 3, 0},
        {"  2        1e-1 (   3) x", true, 3, 100},
        {"  2       -0.25 (   3) x", true, 3, -250},
        {"  2       0.300 (4001) oltre", false, 0, 0},
        {"  2       0.300 (   0) zero", false, 0, 0},
        {"  2       0.300 (12x ) x", false, 0, 0},
        {"  2       0.300 (1   ) x", false, 0, 0},
        {"  2       0.300 (    ) x", false, 0, 0},
        {"     - - - - - - - - - - - - -", false, 0, 0},
        {"  2       0.300 (12", true, 12, 300},  // the line ends inside the columns
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteBytes(dir / "p.txt", "-\r\n" + c.line + "\r\n");
        const TypologyTable t = ReadTypologyProfile(dir / "p.txt");
        ASSERT_EQ(t.Opened, 1);
        EXPECT_EQ(t.TermCount[0], c.taken ? 1 : 0) << c.line;
        if (!c.taken) continue;
        EXPECT_EQ(t.Terms[0][0].Category, c.category) << c.line;
        EXPECT_EQ(t.Terms[0][0].Weight, c.weight) << c.line;
    }
    EXPECT_EQ(TermLine("0.500", "   7", '-'), "  1      -0.500 (   7) label");
}

TEST(TypologyProfile, OpeningLinesAndLimits) {
    TempDir dir;
    std::string text = "  1       0.900 (   2) before any typology\r\n";
    // The opening line is a term line too.
    text += "--------- 0.400 (   9) header with a term\r\n";
    for (int i = 1; i <= 52; ++i) text += TermLine("0.100", i < 10 ? "   5" : "  15") + "\r\n";
    for (int t = 2; t <= 22; ++t) text += "-\r\n" + TermLine("0.200", "   3") + "\r\n";
    WriteBytes(dir / "p.txt", text);
    const TypologyTable table = ReadTypologyProfile(dir / "p.txt");
    EXPECT_EQ(table.Opened, 20);
    EXPECT_EQ(table.TermCount[0], 50);
    EXPECT_EQ(table.Terms[0][0].Category, 9);
    EXPECT_EQ(table.Terms[0][0].Weight, 400);
    EXPECT_EQ(table.Terms[0][49].Category, 15);
    for (int t = 1; t < 20; ++t) EXPECT_EQ(table.TermCount[size_t(t)], 1);

    EXPECT_THROW(ReadTypologyProfile(dir / "missing.txt"), IoError);
}

TEST(TypologyScore, Cases) {
    using Terms = std::array<TypologyTerm, kTypologyTerms>;
    auto terms = [](std::initializer_list<TypologyTerm> list) {
        Terms t{};
        size_t i = 0;
        for (const TypologyTerm& x : list) t[i++] = x;
        return t;
    };
    // Slots 1..4 tested; slot 1 and 3 present.
    const std::vector<uint8_t> present = {0, 1, 0, 1, 0};
    struct Case {
        Terms terms;
        int16_t score;
    } cases[] = {
        {terms({{1, 812}, {2, 500}, {-4, 250}}), 67},  // 100 x 1062 / 1562 = 67.99..
        {terms({{-1, 300}, {2, 700}}), 0},
        {terms({{1, 500}, {-3, -600}}), -32000},  // the weights sum below 0
        {terms({{1, 1000}, {2, -999}}), 32767},   // 100 x 1000 / 1 kept in a word
        {terms({{1, 300}, {7, 700}}), 100},       // slot 7 is not in the grid: left out
    };
    for (const Case& c : cases) EXPECT_EQ(TypologyScore(c.terms, present), c.score);
}

// Sex (word 1), one answer (2), a date (3..5), a 32-bit number (6, 7); the scores go to words
// 10..29 of field 5; words 49 and 50 head the notes.
std::string CardBytes(uint16_t sex, uint16_t answer, uint16_t day, uint16_t month, uint16_t year,
                      int32_t big) {
    SmallCard card;
    card.Word(1, sex).Word(2, answer).Word(3, day).Word(4, month).Word(5, year).Number(6, big);
    for (int w = 10; w <= 29; ++w) card.Word(w, 7);
    return SmallValuesFile({card.Word(49, 0x1234).Word(50, 0x5678)});
}

const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"
    "Femmine*=2,2;\r\n"
    "Risposta A*2=1,1;G0S0\r\n"
    "Dal 2005*3=1050101,1051231;G0S0\r\n"
    "Grandi*4=1000,99999999;G0S0\r\n"
    "Nessuna*2=0,0;G0S0\r\n"
    "Fuori*9=0,0;G0S0\r\n";

// A factor section copied from the report, a second typology and one that weighs nothing.
const char* const kProfile =
    "  1       0.900 (   2) Femmine (before the first typology)\r\n"
    "----- Fattore 1\r\n"
    "\r\n"
    "  1       0.812 (   1) Maschi\r\n"
    "  2       0.500 (   4) Dal 2005\r\n"
    "     - - - - - - - - - - - - -\r\n"
    "  4      -0.250 (   3) Risposta A\r\n"
    "\r\n"
    "----- Fattore 2\r\n"
    "  1       0.300 (   5) Grandi\r\n"
    "  2       0.300 (   1) Maschi\r\n"
    "  4      -0.100 (   7) Fuori\r\n"
    "-\r\n"
    "  1       0.000 (   2) Femmine\r\n";

class TypologiesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        LayOutFields({{0, 1}, {0, 2}, {2, 3}, {7, 6}, {4, 10}, {4, 29}, {4, 30}});
        // 15 March 2005 (year word 105), 15 March 2015, -, 15 March 1905 (year word 5).
        WriteCardFiles(dir.Path(), CardBytes(1, 1, 15, 3, 105, 5000) + CardBytes(2, 0, 15, 3, 115, 500) +
                                       CardBytes(1, 1, 15, 3, 105, 5000) + CardBytes(1, 0, 15, 3, 5, 1000));
        CoreState.LastCard = 3;
        CardSelectionMask[0] = 0xD0;  // cards 0, 1 and 3
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteBytes(dir / "p.txt", kProfile);
        // The last standard computation took lines 1 and 3; 4001 and -1 name no line.
        WriteBytes(dir / "maf-sch.dat", test::Words({0, 2, 4001, -1}));
        std::string texts;
        for (int n = 1; n <= 600; ++n) {
            std::string t = "Testo " + std::to_string(n);
            texts.push_back(char(t.size()));
            texts += t;
            texts.append(255 - t.size(), '\0');
        }
        WriteBytes(dir / "sigle.dat", texts);
        CoreState.TypologyField = 5;
    }

    std::array<int16_t, 20> Scores(int card) {
        const std::string bytes = ReadBytes(dir / "num-sch.dat");
        std::array<int16_t, 20> s{};
        for (int t = 0; t < 20; ++t)
            s[size_t(t)] = GetI16(Bytes(bytes) + size_t(card) * 100 + 18 + size_t(t) * 2);
        return s;
    }

    static std::array<int16_t, 20> Expected(int16_t t1, int16_t t2) {
        std::array<int16_t, 20> s;
        s.fill(-32000);
        s[0] = t1;
        s[1] = t2;
        return s;
    }

    TempDir dir;
};

TEST_F(TypologiesTest, BuildWritesListAndRenumbers) {
    FlagList working{};
    working[3000] = 1;
    const TypologyTable table = BuildTypologies(dir / "p.txt", FactorRoad::Standard, working);
    EXPECT_EQ(ReadBytes(dir / "tipi.txt"),
              "Testo 147 3\r\n"
              "         1       812         4       500       250\r\n"
              "         5       300         1       300       100\r\n"
              "         2\r\n");
    // Lines 1, 2, 3, 4, 5 and 7 named: slots 1..5 and 6.
    FlagList expected{};
    for (int i : {0, 1, 2, 3, 4, 6}) expected[size_t(i)] = 1;
    EXPECT_EQ(working, expected);
    ASSERT_EQ(table.Opened, 3);
    const int16_t t1[][2] = {{1, 812}, {4, 500}, {-3, 250}};
    const int16_t t2[][2] = {{5, 300}, {1, 300}, {-6, 100}};
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(table.Terms[0][size_t(s)].Category, t1[s][0]);
        EXPECT_EQ(table.Terms[0][size_t(s)].Weight, t1[s][1]);
        EXPECT_EQ(table.Terms[1][size_t(s)].Category, t2[s][0]);
        EXPECT_EQ(table.Terms[1][size_t(s)].Weight, t2[s][1]);
    }
    EXPECT_EQ(table.Terms[2][0].Category, 2);

    BuildTypologies(dir / "p.txt", FactorRoad::Quick, working);
    EXPECT_EQ(ReadBytes(dir / "tipi.txt").substr(0, 13), "Testo 531 3\r\n");
}

// By hand, with the slots present on each card:
// Dates are keyed in years since 1900, as the counts key them:
//   card 0 (Maschi, Risposta A, 2005 is 1050315, Grandi): T1 100 x (812 + 500) / 1562 = 83,
//          T2 (300 + 300 + 100) / 700 = 100
//   card 1 (Femmine; 2015 is 1150315): T1 100 x 250 / 1562 = 16, T2 100 x 100 / 700 = 14
//   card 3 (Maschi, 1905 is 50315 and not 2005, Grandi; answer 0): T1 100 x (812 + 250) / 1562
//          = 67, T2 100
// The third typology weighs nothing: -32000, as every typology the profile did not open.
TEST_F(TypologiesTest, AttributionScoresSelectedCards) {
    // Two selected cards the index names past the card files (a station still writing them,
    // numbered before this station's last new card) are neither scored nor written: the files
    // keep their length.
    WriteBytes(dir / "dli-sch.dat", Hex("05 00 00 00"));
    CoreState.LastCard = 5;
    CardSelectionMask[0] |= 0x0C;
    const std::string before = ReadBytes(dir / "num-sch.dat");
    CoreState.CurrentCard = 2;
    CurrentCardValues[1] = 99;
    StandardAfcCategoryFlags[3000] = 1;
    RecordingProgress progress;
    const TypologyScoring scoring = AttributeTypologies(FactorRoad::Standard, dir / "p.txt", progress);
    EXPECT_EQ(scoring.Scored, 3);
    EXPECT_EQ(scoring.Cards.Missing(), 2);  // for the closing message
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 3}));

    EXPECT_EQ(Scores(0), Expected(83, 100));
    EXPECT_EQ(Scores(1), Expected(16, 14));
    EXPECT_EQ(Scores(3), Expected(67, 100));
    const std::string after = ReadBytes(dir / "num-sch.dat");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(200, 100), before.substr(200, 100));  // card 2 is not selected
    for (int card : {0, 1, 3}) {
        const size_t at = size_t(card) * 100;
        EXPECT_EQ(after.substr(at, 18), before.substr(at, 18));            // words 1..9
        EXPECT_EQ(after.substr(at + 58, 42), before.substr(at + 58, 42));  // words 30..50
    }
    // The flags are those of the last standard computation; the card in hand is untouched.
    FlagList flags{};
    flags[0] = flags[2] = 1;
    EXPECT_EQ(StandardAfcCategoryFlags, flags);
    EXPECT_EQ(CoreState.CurrentCard, 2);
    EXPECT_EQ(CurrentCardValues[1], 99);
}

TEST_F(TypologiesTest, QuickRoadReadsTheQuickGrid) {
    // In the quick grid line 1 is "Femmine": card 1 now has T1's first term.
    WriteBytes(dir / "grl-dat.txt",
               "Femmine*1=2,2;G0S0\r\nx*=9,9;\r\nRisposta A*2=1,1;G0S0\r\nDal 2005*3=1050101,1051231;G0S0\r\n"
               "Grandi*4=1000,99999999;G0S0\r\nNessuna*2=0,0;G0S0\r\nFuori*9=0,0;G0S0\r\n");
    QuickAfcCategoryFlags[5] = 1;
    NoProgress progress;
    EXPECT_EQ(AttributeTypologies(FactorRoad::Quick, dir / "p.txt", progress).Scored, 3);
    // card 1: T1 100 x (812 + 250) / 1562 = 67, T2: Grandi no (500), Femmine yes, Fuori absent:
    // 100 x 400 / 700 = 57.
    EXPECT_EQ(Scores(1), Expected(67, 57));
    // card 0: T1 only Dal 2005, 100 x 500 / 1562 = 32; T2 Grandi and Fuori absent, 57.
    EXPECT_EQ(Scores(0), Expected(32, 57));
    EXPECT_EQ(QuickAfcCategoryFlags[5], 1);
    EXPECT_EQ(ReadBytes(dir / "tipi.txt").substr(0, 9), "Testo 531");
}

TEST_F(TypologiesTest, ScoreFieldMustHoldTwentyWords) {
    // Field 6 at word 29 ends at word 48, before the notes head; field 7 at word 30 would not.
    struct Case {
        int field, position, offset;
    } cases[] = {{5, 10, 9}, {6, 29, 28}, {7, 30, -1}, {0, 0, -1}, {4001, 0, -1}, {8, 0, -1}};
    for (const Case& c : cases) EXPECT_EQ(TypologyScoreOffset(c.field), c.offset) << c.field;

    const std::string before = ReadBytes(dir / "num-sch.dat");
    CoreState.TypologyField = 7;
    NoProgress progress;
    EXPECT_EQ(AttributeTypologies(FactorRoad::Standard, dir / "p.txt", progress).Scored, -1);
    EXPECT_EQ(ReadBytes(dir / "num-sch.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "tipi.txt"));
}

TEST_F(TypologiesTest, ProfileMissingAndEmpty) {
    StandardAfcCategoryFlags[7] = 1;
    NoProgress progress;
    EXPECT_THROW(AttributeTypologies(FactorRoad::Standard, dir / "none.txt", progress), IoError);
    FlagList flags{};
    flags[0] = flags[2] = 1;
    EXPECT_EQ(StandardAfcCategoryFlags, flags);  // put back all the same

    // No line opens a typology: every selected card gets -32000 twenty times.
    WriteBytes(dir / "p.txt", "  1       0.812 (   1) Maschi\r\n");
    std::remove((dir / "maf-sch.dat").c_str());
    EXPECT_EQ(AttributeTypologies(FactorRoad::Standard, dir / "p.txt", progress).Scored, 3);
    EXPECT_EQ(Scores(1), Expected(-32000, -32000));
    EXPECT_EQ(ReadBytes(dir / "tipi.txt"), "Testo 147 0\r\n");
    EXPECT_EQ(StandardAfcCategoryFlags, FlagList{});
}

}  // namespace
}  // namespace qv
