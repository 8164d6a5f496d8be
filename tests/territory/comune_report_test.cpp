#include "territory/comune_report.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/records.h"
#include "support/report_text.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"
#include "territory/tiny_base.h"

namespace qv {
namespace {

using namespace test;

class ComuneReport : public test::TinyBaseTest {
  protected:
    void SetUp() override {
        TinyBaseTest::SetUp();
        MapClassThresholds.Title = "Schede";
    }
    void Counts(std::initializer_list<int32_t> counts) {
        int k = 0;
        for (int32_t c : counts) MapCardCounts[size_t(k++)] = c;
    }
    std::string Report() const { return ReadBytes(CoreState.ProgramDir + "tabella.txt"); }
};

// Comuni 1..4 hold 3, 1, 0 and 3 cards, 2 without comune; comune 4 is off the map.
TEST_F(ComuneReport, ListOfComuni) {
    Counts({2, 3, 1, 0, 3});
    MapActiveComuni[3] = 0;
    WriteComuneList();
    // Names fill 37 columns, numbers 10 each; the heading and the dashes line up with them.
    EXPECT_EQ(Report(), CrLf({"Distribuzione: Schede", "", Blanks(45) + "n.         %",
                              "Uno" + Blanks(34) + "         3" + "     75.00",
                              "Due" + Blanks(34) + "         1" + "     25.00", Blanks(37) + "----------",
                              Blanks(37) + "         4", "", "Schede senza indicazione del Comune: 2", "",
                              "Valore medio:       2.00", "", "Min.:          1", "Max.:          3"}));
}

// 3 and 3997 of 4000 cards: 0.075 % and 99.925 % are exact halves, printed up, not as the
// nearest binary quotient would round them; the mean of 4001 over two comuni likewise.
TEST_F(ComuneReport, SharesOfCountsRoundTheirExactHalvesUp) {
    Counts({0, 3, 3997});
    WriteComuneList();
    EXPECT_NE(Report().find("Uno" + Blanks(34) + "         3" + "      0.08\r\n"), std::string::npos)
        << Report();
    EXPECT_NE(Report().find(" 3997     99.93\r\n"), std::string::npos) << Report();
    Counts({0, 4, 3997});
    WriteComuneList();
    EXPECT_NE(Report().find("Valore medio:    2000.50\r\n"), std::string::npos) << Report();
}

TEST_F(ComuneReport, RankingOfComuni) {
    Counts({0, 1, 3, 3, 0});
    WriteComuneRanking();
    const std::string body[] = {"Due" + Blanks(34) + "         3" + "     42.86",
                                "Tre" + Blanks(34) + "         3" + "     42.86",
                                "Uno" + Blanks(34) + "         1" + "     14.29"};
    auto expected = [&](bool numbers) {
        auto rank = [&](int r) { return numbers ? "   " + std::to_string(r) + " - " : std::string(); };
        return CrLf({"Ordinamento: Schede", "", Blanks(52) + "n.         %", rank(1) + body[0],
                     rank(2) + body[1], rank(3) + body[2], Blanks(44) + "----------",
                     Blanks(44) + "         7", "", "Schede senza indicazione del Comune: 0",
                     "Media..:       2.33", "", "Min.:          1", "Max.:          3"});
    };
    EXPECT_EQ(Report(), expected(true)) << "equal counts: the lower comune first";
    MapState.HideRankNumbers = 1;
    WriteComuneRanking();
    EXPECT_EQ(Report(), expected(false));
}

TEST_F(ComuneReport, RankingOfUnitsAlwaysNumbered) {
    // Variable 1 puts comuni 1 and 2 in unit 1, 3 and 4 in unit 2.
    std::string matrix = test::Int32s({334, 335, 336, 337}) + std::string(46 * 4, '\0');
    matrix += test::Int32s({334, 334, 335, 335}) + std::string(46 * 4, '\0');
    WriteBytes(geo + "ter-zor.dat", matrix);
    WriteBytes(geo + "sig-zor2.txt",
               "Unita'\r\n000c Comuni\r\n 00001Uno\r\n 00002Due\r\n 00003Tre\r\n"
               " 00004Quattro\r\n001p Righe\r\n 00001Sopra\r\n 00002Sotto\r\n");
    MapState.AggregationVariable = 1;
    MapState.HideRankNumbers = 1;
    MapClassThresholds.Title = "Righe";
    Counts({0, 1, 3, 2, 0});
    WriteComuneRanking();
    EXPECT_EQ(Report(),
              CrLf({"Ordinamento: Righe", "", Blanks(45) + "n.         %",
                    "   1 - Sopra" + Blanks(25) + "         4" + "     66.67",
                    "   2 - Sotto" + Blanks(25) + "         2" + "     33.33", Blanks(37) + "----------",
                    Blanks(37) + "         6", "", "Schede senza indicazione del Comune: 0",
                    "Media..:       3.00", "", "Min.:          2", "Max.:          4"}));
}

TEST_F(ComuneReport, NothingToListAndMissingNames) {
    Counts({5, 0, 0, 0, 0});
    WriteComuneList();
    EXPECT_EQ(Report(), CrLf({"Distribuzione: Schede", "", Blanks(45) + "n.         %",
                              Blanks(37) + "----------", Blanks(37) + "         0", "",
                              "Schede senza indicazione del Comune: 5", "", "Valore medio:       0.00"}));

    Counts({0, 4, 0, 0, 0});
    std::remove((geo + "cmn-zor2.dat").c_str());
    EXPECT_THROW(WriteComuneRanking(), IoError);
    EXPECT_NE(Report().find("Distribuzione"), std::string::npos) << "the previous report stays";
}

}  // namespace
}  // namespace qv
