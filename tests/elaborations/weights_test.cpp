#include "elaborations/weights.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "support/card_files.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Sex (field 1, word 1), zone (field 2, word 2), a 16-bit number (field 3, word 3) and a
// 32-bit number (field 4, words 4 and 5).
const char* const kGrid =
    "Maschi*1=1,1;G0S0\r\n"  // line 0
    "Femmine*=2,2;\r\n"      // line 1
    "MR*=0,0;\r\n"           // line 2
    "Nord*2=1,1;G0S0\r\n"    // line 3
    "Sud*=2,3;\r\n"          // line 4
    "Peso*3=0,0;G0S0\r\n";   // line 5

struct Card {
    uint16_t sex, zone;
};

class WeightsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        std::filesystem::copy_file(test::ShippedProgramDir() + "sigle.imp", dir / "sigle.imp");
        BuildTextFile();
        LayOutFields({{0, 1}, {0, 2}, {4, 3}, {7, 4}});
        // Cells by hand: (1,1) cards 0, 1, 7; (1,2) cards 2 (zone 3 is "Sud") and 8; (2,1)
        // cards 3 and 6; (2,2) only card 4, which is not selected; card 5 has no sex, card 9
        // neither sex nor zone.
        cards = {{1, 1}, {1, 1}, {1, 3}, {2, 1}, {2, 2}, {0, 2}, {2, 1}, {1, 1}, {1, 2}, {0, 0}};
        std::string bytes;
        for (const Card& c : cards)
            bytes += SmallValuesFile({SmallCard().Word(1, c.sex).Word(2, c.zone).Word(3, 77).Number(4, 5)});
        test::WriteCardFiles(dir.Path(), bytes);
        CoreState.LastCard = 9;
        CoreState.CurrentCard = 3;
        CardSelectionMask[0] = 0xF7;
        CardSelectionMask[1] = 0xC0;
        WriteBytes(dir / "grl-sch.txt", kGrid);
        WriteBytes(dir / "grq-sch.txt", "*3*Peso\r\n*4*Grande\r\n");
        for (int line : {0, 1, 3, 4}) StandardRowFlags[size_t(line)] = 1;
    }

    uint16_t Word(int card, int word) {
        std::string bytes = ReadBytes(dir / "num-sch.dat");
        return GetU16(Bytes(bytes) + (card * 50 + word - 1) * 2);
    }

    TempDir dir;
    std::vector<Card> cards;
    NoProgress progress;
};

TEST(StrataCells, NestedOrderWithTheLastVariableInnermost) {
    struct Case {
        std::vector<int> counts;
        std::vector<int> cells;
    } cases[] = {
        {{3}, {1331, 2662, 3993}},
        {{2, 2}, {1452, 1573, 2783, 2904}},
        {{1, 1, 1, 2}, {1331 + 121 + 11 + 1, 1331 + 121 + 11 + 2}},
        {{}, {}},
        {{2, 0}, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> got;
        for (const StrataCell& cell : CellsInOrder(c.counts)) got.push_back(cell.Index);
        EXPECT_EQ(got, c.cells);
    }
}

TEST_F(WeightsTest, StrataComeFromTheChosenLinesOnly) {
    // Five variables of which the fifth is left out; the first has eleven categories.
    std::string grid;
    grid += "A1*1=1,1;G0S0\r\n";
    for (int k = 2; k <= 11; ++k) grid += "A" + std::to_string(k) + "*=" + std::to_string(k) + ",99;\r\n";
    for (int v = 2; v <= 5; ++v) grid += "V" + std::to_string(v) + "*" + std::to_string(v) + "=-5,7;G0S0\r\n";
    WriteBytes(dir / "grl-sch.txt", grid);
    FlagList rows{};
    for (int line = 0; line < 15; ++line) rows[size_t(line)] = 1;
    std::vector<StrataVariable> strata = LoadStrata(dir / "grl-sch.txt", rows);
    ASSERT_EQ(strata.size(), 4u);
    EXPECT_EQ(strata[0].Field, 1);
    ASSERT_EQ(strata[0].Categories.size(), 10u);
    EXPECT_EQ(strata[0].Categories[9].Label, "A10");
    EXPECT_EQ(strata[3].Field, 4);
    EXPECT_EQ(strata[3].Categories[0].Low, -5);
    EXPECT_EQ(strata[3].Categories[0].High, 7);
    // Overlapping bounds: the last category that holds the value.
    EXPECT_EQ(StratumOf(strata[0], 5), 5);
    EXPECT_EQ(StratumOf(strata[0], 1), 1);
    EXPECT_EQ(StratumOf(strata[0], 0), 0);
}

TEST_F(WeightsTest, CreatedFilesHoldOneInEveryCell) {
    CreateWeightFiles();
    const std::string expected =
        "2 variabili di stratificazione\r\n"
        "Variabile 1, modalita': 2\r\n"
        "Variabile 2, modalita': 2\r\n"
        "   Valore=  Modalita'\r\n"
        "        1=    1    1: \"Maschi\" \"Nord\"\r\n"
        "        1=    1    2: \"Maschi\" \"Sud\"\r\n"
        "        1=    2    1: \"Femmine\" \"Nord\"\r\n"
        "        1=    2    2: \"Femmine\" \"Sud\"\r\n";
    EXPECT_EQ(ReadBytes(dir / "pesi.txt"), expected);
    EXPECT_EQ(ReadBytes(dir / "universo.txt"), expected);
}

TEST_F(WeightsTest, WeightIsTheUniverseOverTheSelectedCardsRoundedToEven) {
    // 100 / 3 = 33.3; 7 / 2 = 3.5 goes to 4; 5 / 2 = 2.5 goes to 2; no card keeps 40.
    WriteBytes(
        dir / "universo.txt",
        "2 x\r\nVariabile 1, modalita': 2\r\nVariabile 2, modalita': 2\r\n   Valore=  Modalita'\r\n"
        "      100=    1    1\r\n        7=    1    2\r\n        5=    2    1\r\n       40=    2    2\r\n");
    ASSERT_TRUE(ComputeWeights(progress));
    const std::string expected =
        "2 variabili di stratificazione (calcolo dei pesi)\r\n"
        "Variabile 1, modalita': 2\r\n"
        "Variabile 2, modalita': 2\r\n"
        "     Peso   Valore=  Modalita'\r\n"
        "       33=    1    1: \"Maschi\" \"Nord\"\r\n"
        "        4=    1    2: \"Maschi\" \"Sud\"\r\n"
        "        2=    2    1: \"Femmine\" \"Nord\"\r\n"
        "       40=    2    2: \"Femmine\" \"Sud\"\r\n";
    // The control report also counts the card that only some strata recognise (card 5, in
    // cell (0, 2)): attribution will give it weight 0.
    EXPECT_EQ(ReadBytes(dir / "controll.txt"),
              expected + "\r\nSchede con solo alcune variabili di strato riconosciute (peso 0): 1\r\n");
    EXPECT_EQ(ReadBytes(dir / "pesi.txt"), expected);
    EXPECT_EQ(CoreState.CurrentCard, 3);
}

TEST_F(WeightsTest, MissingUniverseLeavesTheWeightsAsTheyWere) {
    WriteBytes(dir / "pesi.txt", "old");
    EXPECT_FALSE(ComputeWeights(progress));
    EXPECT_EQ(ReadBytes(dir / "pesi.txt"), "old");
}

TEST_F(WeightsTest, AttributionWritesTheCellWeightIntoEverySelectedCard) {
    WriteBytes(
        dir / "pesi.txt",
        "2 x\r\nVariabile 1, modalita': 2\r\nVariabile 2, modalita': 2\r\nPeso\r\n"
        "       33=    1    1\r\n        4=    1    2\r\n        2=    2    1\r\n       40=    2    2\r\n");
    // Two selected cards the index names past the card files (a station still writing them)
    // are not written as empty cards.
    WriteBytes(dir / "dli-sch.dat", test::Hex("0B 00 00 00"));
    CoreState.LastCard = 11;
    CardSelectionMask[1] |= 0x30;
    ASSERT_EQ(AttributeWeights(progress), AttributionOutcome::Done);
    EXPECT_EQ(ReadBytes(dir / "num-sch.dat").size(), 10u * 100u);
    // Card 4 is not selected; card 5 lies in cell (0, 2), which the file does not list (0);
    // card 9 is in no category and keeps its value.
    const uint16_t expected[] = {33, 33, 4, 2, 77, 0, 2, 33, 4, 77};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(Word(c, 3), expected[c]) << "card " << c;
    EXPECT_EQ(ReadBytes(dir / "controll.txt"),
              "2 variabili di stratificazione (attribuzione dei pesi)\r\n"
              "Variabile 1, modalita': 2\r\n"
              "Variabile 2, modalita': 2\r\n"
              "     Peso=  Modalita'\r\n"
              "       33=    1    1\r\n"
              "        4=    1    2\r\n"
              "        2=    2    1\r\n"
              "       40=    2    2\r\n"
              "\r\n"
              "Campo Mod.          Inferiore      Superiore\r\n"
              "   1   1              1              1\r\n"
              "   1   2              2              2\r\n"
              "   2   1              1              1\r\n"
              "   2   2              2              3\r\n"
              "\r\n"
              "Pesi scritti nel campo 3\r\n"
              "\r\n"
              "Schede con solo alcune variabili di strato riconosciute (peso 0): 1\r\n");
    EXPECT_EQ(CoreState.CurrentCard, 3);
}

TEST_F(WeightsTest, AttributionIntoAThirtyTwoBitFieldAndRefusals) {
    const std::string head = "1 x\r\nVariabile 1, modalita': 2\r\nPeso\r\n";
    WriteBytes(dir / "pesi.txt", head + "    40000=    1\r\n       -3=    2\r\n");
    CoreState.QuantUnitVar = 1;
    ASSERT_EQ(AttributeWeights(progress), AttributionOutcome::Done);
    std::string bytes = ReadBytes(dir / "num-sch.dat");
    auto number = [&](int card) {
        return DecodeCardNumber(GetU16(Bytes(bytes) + (card * 50 + 3) * 2),
                                GetU16(Bytes(bytes) + (card * 50 + 4) * 2));
    };
    EXPECT_EQ(number(0), 40000);
    EXPECT_EQ(number(3), -3);
    EXPECT_EQ(number(4), 5);  // not selected
    EXPECT_EQ(number(5), 5);  // no sex

    // 40000 does not fit the 16-bit field: no card is touched.
    const std::string before = ReadBytes(dir / "num-sch.dat");
    CoreState.QuantUnitVar = 0;
    EXPECT_EQ(AttributeWeights(progress), AttributionOutcome::WeightTooLarge);
    EXPECT_EQ(ReadBytes(dir / "num-sch.dat"), before);
    // A line past the quantitative grid names no field.
    CoreState.QuantUnitVar = 2;
    EXPECT_EQ(AttributeWeights(progress), AttributionOutcome::BadField);
    EXPECT_EQ(ReadBytes(dir / "num-sch.dat"), before);
}

}  // namespace
}  // namespace qv
