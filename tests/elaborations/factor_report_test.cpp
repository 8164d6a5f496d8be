#include "elaborations/factor_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_plane.h"
#include "elaborations/factor_rotation.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "support/io_faults.h"
#include "support/loadings_file.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/report_text.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

// Every expected report below is worked out by hand from the loadings written by the test.

namespace qv {
namespace {

using namespace test;

std::string Labels(const std::vector<std::string>& labels, size_t record) {
    std::string bytes;
    for (const std::string& l : labels) {
        bytes.push_back(char(l.size()));
        bytes += l;
        bytes.append(record - 1 - l.size(), '\0');
    }
    return bytes;
}

const std::string kHead = CrLf({"Testo 1447", "", "------- Testo 1448 --------", ""});
const std::string kSeparator = "     - - - - - - - - - - - - -";

class FactorReportTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        WriteBytes(CoreState.ProgramDir + "sigle.imp", test::NumberedTexts(2176));
        BuildTextFile();
    }
    void TearDown() override { ResetProgramState(); }

    // Standard: slots on grid lines 2, 3 and 5; two factors.
    void StandardAnalysis() {
        WriteBytes(Arch("maf-sch.dat"), Words({1, 2, 4}));
        WriteBytes(Arch("fat-sch.dat"), test::LoadingsBytes({{0.5, -0.75, 0.375}, {0.5, 0.125, 0.5}}));
        WriteBytes(Arch("saf-sch.imp"), Labels({"Alto", "Medio", "Basso"}, 100));
    }
    // Quick: slots on list lines 1, 2, 3, 4 and 6; one factor.
    void QuickAnalysis() {
        WriteBytes(Arch("maf-dat.dat"), Words({0, 1, 2, 3, 5}));
        WriteBytes(Arch("fat-dat.dat"), test::LoadingsBytes({{0.9, 0.0, 0.375, -0.5, 0.125}}));
        WriteBytes(Arch("saf-dat.dat"), Labels({"Uno", "Due", "Tre", "Quattro", "Sei"}, 201));
    }
};

TEST_F(FactorReportTest, StandardReportGolden) {
    StandardAnalysis();
    CoreState.MinCorrelation = 0.3;
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Standard));
    // Squares: factor 1 0.953125, factor 2 0.515625 of 1.46875; communalities 0.5, 0.578125,
    // 0.390625, mean 0.489583. Factor 2 has two loadings of 0.5: the lower slot first.
    EXPECT_EQ(Report(), kHead + CrLf({
                                    "Testo 145   1:     0.649",
                                    "Testo 145   2:     0.351",
                                    "",
                                    "",
                                    "",
                                    "--------  Testo 1449 ------",
                                    "",
                                    "   3 -    0.578 Medio",
                                    "   2 -    0.500 Alto",
                                    "   5 -    0.391 Basso",
                                    "",
                                    "",
                                    "Testo 1450    0.490",
                                    "",
                                    "",
                                    "----- Testo 1451 1",
                                    "",
                                    "  1       0.500 (   2) Alto",
                                    "  2       0.375 (   5) Basso",
                                    kSeparator,
                                    "  4      -0.750 (   3) Medio",
                                    "",
                                    "",
                                    "----- Testo 1451 2",
                                    "",
                                    "  1       0.500 (   2) Alto",
                                    "  2       0.500 (   5) Basso",
                                    kSeparator,
                                    "",
                                    "",
                                    "-------------  Testo 1452",
                                    "",
                                    "   1 - Alto",
                                    "   2 - Medio",
                                    "   3 - Basso",
                                }));
}

// Six categories ask for two steps; one factor written means the extraction stopped.
TEST_F(FactorReportTest, StoppedExtractionSaysHowManyFactors) {
    WriteBytes(Arch("maf-dat.dat"), Words({0, 1, 2, 3, 4, 5}));
    WriteBytes(Arch("fat-dat.dat"), test::LoadingsBytes({{0.5, 0.5, 0.5, 0.5, 0.5, 0.5}}));
    WriteBytes(Arch("saf-dat.dat"), Labels({"A", "B", "C", "D", "E", "F"}, 201));
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Quick));
    EXPECT_NE(Report().find(CrLf({"Testo 530   1:     1.000", "Testo 2176 1", "", "", ""})),
              std::string::npos)
        << Report();
}

TEST_F(FactorReportTest, QuickFactorListsByMinimum) {
    QuickAnalysis();
    const std::string middle = CrLf({
        "Testo 530   1:     1.000",
        "",
        "",
        "",
        "--------  Testo 1449 ------",
        "",
        "   1 -    0.810 Uno",
        "   4 -    0.250 Quattro",
        "   3 -    0.141 Tre",
        "   6 -    0.016 Sei",
        "   2 -    0.000 Due",
        "",
        "",
        "Testo 1450    0.243",
        "",
        "",
        "----- Testo 1451 1",
        "",
    });
    const std::string tail = CrLf({"", "", "-------------  Testo 1452", "", "   1 - Uno", "   2 - Due",
                                   "   3 - Tre", "   4 - Quattro", "   5 - Sei"});
    struct Case {
        double minimum;
        std::vector<std::string> lists;
    } cases[] = {
        // 0: the zero loading is in neither list; three positive lines put the first negative at 5.
        {0,
         {"  1       0.900 (   1) Uno", "  2       0.375 (   3) Tre", "  3       0.125 (   6) Sei",
          kSeparator, "  5      -0.500 (   4) Quattro"}},
        {1, {kSeparator}},
        // Negative: the first list takes all above -0.2, the second the rest below 0.2.
        {-0.2,
         {"  1       0.900 (   1) Uno", "  2       0.375 (   3) Tre", "  3       0.125 (   6) Sei",
          "  4       0.000 (   2) Due", kSeparator, "  6      -0.500 (   4) Quattro"}},
    };
    for (const Case& c : cases) {
        CoreState.MinCorrelation = c.minimum;
        EXPECT_TRUE(WriteFactorReport(FactorRoad::Quick));
        EXPECT_EQ(Report(), kHead + middle + CrLf(c.lists) + tail) << c.minimum;
    }
}

TEST_F(FactorReportTest, ShortFilesByRoad) {
    // Standard: a label past the end of its file is empty, and its line left out at the end.
    StandardAnalysis();
    CoreState.MinCorrelation = 0.3;
    WriteBytes(Arch("saf-sch.imp"), Labels({"Alto", "Medio"}, 100));
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Standard));
    const std::string report = Report();
    EXPECT_NE(report.find("   5 -    0.391 \r\n"), std::string::npos);
    const std::string end = "Testo 1452\r\n\r\n   1 - Alto\r\n   2 - Medio\r\n";
    EXPECT_EQ(report.substr(report.size() - end.size()), end);

    // A loadings file that ends inside a factor is refused alike by the report, the rotation and
    // the plane, on both roads: nothing is read as 0, no tail is passed over, nothing is written.
    // The quick report also refuses a label file shorter than its slots.
    const std::string oneRecord = test::LoadingsBytes({{0.5}});
    struct Case {
        FactorRoad road;
        const char* file;
        std::string bytes;
    } cases[] = {
        {FactorRoad::Standard, "fat-sch.dat",
         test::LoadingsBytes({{0.5, -0.75, 0.375}, {0.5, 0.125, 0.5}, {0.5}})},
        {FactorRoad::Standard, "fat-sch.dat", test::LoadingsBytes({{0.5, -0.75}})},
        {FactorRoad::Standard, "fat-sch.dat",
         test::LoadingsBytes({{0.5, -0.75, 0.375}}) + oneRecord.substr(0, 4)},
        {FactorRoad::Quick, "fat-dat.dat", test::LoadingsBytes({{0.9, 0.0, 0.375, -0.5, 0.125}, {0.1}})},
        {FactorRoad::Quick, "saf-dat.dat", Labels({"Uno", "Due", "Tre", "Quattro"}, 201)},
    };
    NoProgress none;
    for (const Case& c : cases) {
        StandardAnalysis();
        QuickAnalysis();
        WriteBytes(CoreState.ProgramDir + "tabella.txt", "vecchio");
        WriteBytes(Arch(c.file), c.bytes);
        auto expectRefused = [&](auto&& read, const char* reader) {
            try {
                read();
                ADD_FAILURE() << c.file << " " << c.bytes.size() << " read by " << reader;
            } catch (const IoError& e) {
                EXPECT_EQ(e.Code(), kReadPastEnd) << reader;
                EXPECT_EQ(e.Path(), Arch(c.file)) << reader;
            }
            EXPECT_EQ(ReadBytes(Arch(c.file)), c.bytes) << reader;
        };
        expectRefused([&] { WriteFactorReport(c.road); }, "report");
        EXPECT_EQ(Report(), "vecchio") << c.file;
        if (c.file == std::string("saf-dat.dat")) continue;
        CoreState.PlaneFactorX = 1;
        CoreState.PlaneFactorY = 2;
        expectRefused([&] { CountPlaneFactors(c.road); }, "plane count");
        expectRefused([&] { BuildPlaneScene(c.road); }, "plane drawing");
        expectRefused([&] { PlaneClick(c.road, 315, 100); }, "plane turn");
        expectRefused([&] { RotateFactors(c.road, FactorLength(c.road), none); }, "rotation");
    }
}

TEST_F(FactorReportTest, MissingFiles) {
    StandardAnalysis();
    // No loadings: the heading only, and the caller is told.
    std::remove(Arch("fat-sch.dat").c_str());
    CoreState.ProceedFlag = 1;
    EXPECT_FALSE(WriteFactorReport(FactorRoad::Standard));
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(Report(), kHead);
    // Every failed call is told: loadings that fail to open are no missing analysis.
    WriteBytes(Arch("fat-sch.dat"), test::LoadingsBytes({{0, 0, 0}}));
    test::ForEachIoFault([] {}, [] { WriteFactorReport(FactorRoad::Standard); }, [](const std::string&) {});
    // Factors of zeros explain no share (rather than a division by zero).
    WriteBytes(Arch("fat-sch.dat"), test::LoadingsBytes({{0, 0, 0}}));
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Standard));
    EXPECT_EQ(Report().substr(kHead.size(), 26), "Testo 145   1:     0.000\r\n");
    // No labels: nothing is written.
    WriteBytes(CoreState.ProgramDir + "tabella.txt", "vecchio");
    std::remove(Arch("saf-sch.imp").c_str());
    EXPECT_THROW(WriteFactorReport(FactorRoad::Standard), IoError);
    EXPECT_EQ(Report(), "vecchio");
}

TEST_F(FactorReportTest, SlotsAreThoseOfTheAnalysis) {
    // Flags changed after the computation: the loadings are still read in groups of the
    // analysis's three categories, on their own grid lines.
    StandardAnalysis();
    StandardAfcCategoryFlags.fill(1);
    CoreState.MinCorrelation = 0.6;
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Standard));
    EXPECT_NE(
        Report().find("----- Testo 1451 1\r\n\r\n" + kSeparator + "\r\n  2      -0.750 (   3) Medio\r\n"),
        std::string::npos)
        << Report();

    // No analysis: no slot, no factor.
    std::remove(Arch("maf-sch.dat").c_str());
    EXPECT_TRUE(WriteFactorReport(FactorRoad::Standard));
    EXPECT_EQ(Report().find("Testo 145 "), std::string::npos);
}

}  // namespace
}  // namespace qv
