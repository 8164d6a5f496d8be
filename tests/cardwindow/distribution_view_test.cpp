#include "cardwindow/distribution_view.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/report_text.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Fields of the fixture: 1 category (labels 1..3), 2 its further answer, 3 date, 4 percentage,
// 5 municipality, 6 16-bit number, 7 32-bit number, 8 text.
enum { kCategory = 1, kAnswer, kDate, kPercent, kComune, kNumber, kNumber32, kText };
constexpr int kTotal = 8151;
const std::string kLongLabel(60, 'L');

const std::string kHeading = Blanks(60) + "Schede\r\n\r\n";
std::string Footer(const std::string& totals, int tables = 1) {
    std::string rule;
    for (int t = 0; t < tables; ++t) rule += " _________";
    return Blanks(60) + rule + "\r\n\r\n" + Blanks(60) + totals + "\r\n";
}
std::string ClassLabel(const char* range) {
    return Blanks(41) + range + Blanks(10);
}

class DistributionViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
        CoreState.ArchiveDir = dir.Path();
        TerritoryCount = 8;
        WriteBytes(dir / "sigle.imp", test::NumberedTexts(40, {{28, " schede conteggiate"},
                                                               {29, " valore minimo"},
                                                               {30, " valore massimo"},
                                                               {31, " somma dei valori"},
                                                               {32, " media"},
                                                               {33, "Schede"}}));
        BuildTextFile();

        const int types[] = {0, 0, 1, 2, 6, 3, 4, 7, -10};
        for (int f = 1; f <= 8; ++f) FieldTypes[size_t(f)] = int16_t(types[f]);
        CoreState.FieldCount = 8;
        FieldFirstLabel[kCategory] = 1;
        FieldLastLabel[kCategory] = 3;
        FieldStatisticsIndex[kCategory] = 1;
        FieldStatisticsIndex[kDate] = 10;
        FieldStatisticsIndex[kPercent] = 130;
        FieldNumericIndex[kNumber] = 1;
        FieldNumericIndex[kNumber32] = 2;
        // Labels are counted from record 1.
        WriteBytes(dir / "mod-sch.dat", test::LabelRecords({"", "celibe", "sposato", kLongLabel}));
        WriteBytes(dir / "cmn-zor2.dat", test::MunicipalityRecords({"PRIMO", "SECONDO", "TERZO", "QUARTO",
                                                                    "QUINTO", "SESTO", "SETTIMO", "OTTAVO"}));
        WriteBytes(dir / "ini-prov.imp", "   1Alfa\r\n   4Beta\r\n   6Gamma\r\n");
        // Nothing counted on the numeric fields unless a test says so.
        for (int i = 1; i < 1000; ++i) {
            NumericFieldSummary[size_t(i)] = -9999999;
            NumericFieldSummary[size_t(1000 + i)] = 9999999;
        }
    }
    void TearDown() override { ResetProgramState(); }

    std::string Report(int field) {
        CoreState.CurrentField = field;
        WriteFieldDistribution();
        return ReadBytes(dir / "tabella.txt");
    }
    static void Count(int table, int entry, int32_t value) {
        StatisticsTables[size_t(table)][size_t(entry)] = value;
    }

    test::TempDir dir;
};

TEST_F(DistributionViewTest, CategoryRowsWithAndWithoutSplitColumns) {
    Count(0, kTotal, 8);
    EXPECT_EQ(Report(kCategory), kHeading + Footer("         8"));  // nothing found
    Count(0, kTotal + 1, 3);                                        // celibe
    Count(0, kTotal + 3, 5);                                        // the 60-character label
    const std::string oneTable = kHeading + "celibe" + Blanks(54) + "         3     37.50%\r\n" + kLongLabel +
                                 " " + "         5     62.50%\r\n" + Footer("         8");
    EXPECT_EQ(Report(kCategory), oneTable);
    // A further answer is reported through its category field.
    EXPECT_EQ(Report(kAnswer), oneTable);

    // Two split columns headed by the split field's labels.
    CoreState.SplitField = kCategory;
    CoreState.SplitCategoryCount = 2;
    Count(1, kTotal, 5);
    Count(1, kTotal + 1, 1);
    Count(2, kTotal + 1, 2);
    Count(1, kTotal + 3, 4);
    Count(2, kTotal + 3, 1);
    // Table 2 counted no card: its values are shown undivided.
    EXPECT_EQ(Report(kCategory), Blanks(60) + "Schede    celibe   sposato\r\n\r\n" + "celibe" + Blanks(54) +
                                     "         3         1         2     37.50     20.00      2.00%\r\n" +
                                     kLongLabel + " " +
                                     "         5         4         1     62.50     80.00      1.00%\r\n" +
                                     Footer("         8         5         0", 3));
}

TEST_F(DistributionViewTest, DateAndPercentageClasses) {
    Count(0, kTotal, 4);
    Count(0, kTotal + 10 + 45, 2);
    Count(0, kTotal + 10 + 60, 1);
    Count(0, kTotal + 10 + 109, 1);
    Count(0, kTotal + 10 + 110, 7);  // past the years shown
    CoreState.ClassWidth = 50;
    EXPECT_EQ(Report(kDate), kHeading + ClassLabel("  1 -  50") + "         2     50.00%\r\n" +
                                 ClassLabel(" 51 - 100") + "         1     25.00%\r\n" +
                                 ClassLabel("101 - 109") + "         1     25.00%\r\n" +
                                 Footer("         4"));
    CoreState.ClassWidth = 0;  // taken as 1: a row per year
    EXPECT_NE(Report(kDate).find(ClassLabel(" 45 -  45") + "         2     50.00%"), std::string::npos);

    // The years past the counters, from the year tail, after them: a card of 1900, one of
    // 2015 (offset 115) and one of 2150; the rows add up to the total again.
    Count(0, kTotal, 7);
    StatisticsYearTail[0][YearTailEntry(0, 0)] = 1;
    StatisticsYearTail[0][YearTailEntry(0, 115 - 109)] = 1;
    StatisticsYearTail[0][YearTailEntry(0, 101)] = 1;
    CoreState.ClassWidth = 50;
    EXPECT_EQ(Report(kDate),
              kHeading + ClassLabel("  1 -  50") + "         2     28.57%\r\n" + ClassLabel(" 51 - 100") +
                  "         1     14.29%\r\n" + ClassLabel("101 - 109") + "         1     14.29%\r\n" +
                  ClassLabel("  0 -   0") + "         1     14.29%\r\n" + ClassLabel("110 - 159") +
                  "         1     14.29%\r\n" + ClassLabel("210 -    ") + "         1     14.29%\r\n" +
                  Footer("         7"));
    StatisticsYearTail[0].fill(0);
    Count(0, kTotal, 4);

    Count(0, kTotal + 130 + 0, 1);
    Count(0, kTotal + 130 + 95, 2);
    Count(0, kTotal + 130 + 100, 1);
    Count(0, kTotal + 130 + 101, 4);  // cards without a value
    CoreState.ClassWidth = 10;
    EXPECT_EQ(Report(kPercent), kHeading + ClassLabel("  0 -   9") + "         1     25.00%\r\n" +
                                    ClassLabel(" 90 -  99") + "         2     50.00%\r\n" +
                                    ClassLabel("100 - 100") + "         1     25.00%\r\n" +
                                    Footer("         4"));
}

TEST_F(DistributionViewTest, MunicipalitiesOfTheProvinceShown) {
    Count(0, kTotal, 12);
    Count(0, 3, 9);
    Count(0, 4, 2);
    Count(0, 6, 1);
    Count(0, 8, 1);
    const struct {
        int province;
        std::string rows;
    } cases[] = {
        {0, "TERZO" + Blanks(55) + "         9     75.00%\r\n"},
        {1, "QUARTO" + Blanks(54) + "         2     16.67%\r\n"},
        // The last province ends at the last territory code.
        {2,
         "SESTO" + Blanks(55) + "         1      8.33%\r\nOTTAVO" + Blanks(54) + "         1      8.33%\r\n"},
        {3, ""},
        {-1, ""},
    };
    for (const auto& c : cases) {
        CoreState.ProvinceIndex = c.province;
        EXPECT_EQ(Report(kComune), kHeading + c.rows + Footer("        12")) << c.province;
    }
}

TEST_F(DistributionViewTest, NumericSummariesAndTexts) {
    NumericFieldSummary[1] = 40;
    NumericFieldSummary[1001] = -3;
    NumericFieldSummary[2001] = 4;
    NumericFieldSummary[3001] = 70;
    EXPECT_EQ(Report(kNumber),
              "         4 schede conteggiate\r\n        -3 valore minimo\r\n"
              "        40 valore massimo\r\n        70 somma dei valori\r\n     17.50 media\r\n");
    EXPECT_EQ(Report(kNumber32),
              "         0 schede conteggiate\r\n         0 somma dei valori\r\n"
              "      0.00 media\r\n");
    EXPECT_EQ(Report(kText), kHeading);
    // A further answer with no category field before it stays what it is.
    FieldTypes[kCategory] = 1;
    EXPECT_EQ(Report(kAnswer), kHeading);
}

TEST_F(DistributionViewTest, MissingFilesLeaveThePreviousReport) {
    WriteBytes(dir / "tabella.txt", "prima");
    Count(0, kTotal, 1);
    Count(0, kTotal + 1, 1);
    Count(0, 4, 1);
    for (const char* name : {"ini-prov.imp", "mod-sch.dat", "cmn-zor2.dat"}) {
        const std::string kept = ReadBytes(dir / name);
        std::remove((dir / name).c_str());
        CoreState.ProvinceIndex = 1;
        CoreState.CurrentField = std::string(name) == "mod-sch.dat" ? kCategory : kComune;
        EXPECT_THROW(WriteFieldDistribution(), IoError) << name;
        EXPECT_EQ(ReadBytes(dir / "tabella.txt"), "prima") << name;
        WriteBytes(dir / name, kept);
    }
}

TEST_F(DistributionViewTest, ReportedFieldAndProvinceStarts) {
    const int types[] = {-5, 0, 1, 1, 4, 1};
    for (int f = 1; f <= 6; ++f) FieldTypes[size_t(f)] = int16_t(types[f - 1]);
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2}, {3, 2}, {4, 2},
                                         {5, 5}, {6, 2}, {0, 0}, {4001, 4001}};
    for (const auto& [field, reported] : cases) EXPECT_EQ(DistributionField(field), reported) << field;

    std::string many;
    for (int p = 1; p <= 110; ++p) many += std::to_string(p) + "   x\r\n";
    WriteBytes(dir / "ini-prov.imp", many);
    const std::vector<int> starts = ReadProvinceStarts();
    EXPECT_EQ(starts, [] {
        std::vector<int> kept;
        for (int p = 1; p <= 102; ++p) kept.push_back(p);
        kept.push_back(9);  // TerritoryCount + 1 closes the last province read
        return kept;
    }());
}

}  // namespace
}  // namespace qv
