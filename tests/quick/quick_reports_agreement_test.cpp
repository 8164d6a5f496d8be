#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/counting_engine.h"
#include "elaborations/cross_table_report.h"
#include "elaborations/grid_files.h"
#include "elaborations/simple_distribution_report.h"
#include "platform/bytes.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "quick/quick_reports.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using namespace test;

std::vector<std::string> Split(const std::string& text, char at) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == at)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> ReportLines() {
    std::string text = ReadBytes(CoreState.ProgramDir + "tabella.txt");
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return Split(text, '\n');
}

// The category lines of a report written with tabs: the numbers after the label ("-" and a
// missing figure read as 0), for every line whose label is not blank and is not a total.
std::vector<std::vector<double>> CategoryFigures(size_t figures) {
    std::vector<std::vector<double>> rows;
    for (const std::string& line : ReportLines()) {
        const std::vector<std::string> cells = Split(line, '\t');
        const std::string label = Trim(cells[0]);
        if (cells.size() < 2 || label.empty() || label.rfind("Testo ", 0) == 0) continue;
        std::vector<double> row;
        for (size_t k = 1; k <= figures; ++k) {
            const std::string cell = k < cells.size() ? Trim(cells[k]) : "";
            row.push_back(cell.empty() || cell == "-" ? 0.0 : std::stod(cell));
        }
        rows.push_back(row);
    }
    return rows;
}

// The chi-square lines: the figures after the caption, whatever the caption's text.
std::vector<std::string> ChiSquareLines(const std::string& caption, const std::string& dfCaption) {
    std::vector<std::string> out;
    for (const std::string& line : ReportLines()) {
        if (line.rfind(caption + " ", 0) != 0) continue;
        std::string rest = line.substr(caption.size() + 1);
        const size_t df = rest.find(dfCaption);
        out.push_back(Trim(rest.substr(0, df)) + "|" + Trim(rest.substr(df + dfCaption.size())));
    }
    return out;
}

// On the sample archive, over a partial selection, the quick reports count exactly what the
// standard counting pass counts, and give the same percentages and chi-squares.
TEST(QuickReportsAgreementTest, QuickReportsEqualTheStandardOnes) {
    ProgramRoot root;
    StartProgram();
    GenerateDichotomousGrid();
    // Two variables hanging from others, so that percentages are taken on a parent line.
    const std::string gridPath = DataFilePath(data_file::kGrid);
    std::string grid = ReadBytes(gridPath);
    const int plain = int(std::count(grid.begin(), grid.end(), '\n'));
    grid += "Con auto*13=1,1;G3S1\r\nCon auto e moto*13=2,2;G3S" + std::to_string(plain + 1) + "\r\n";
    WriteBytes(gridPath, grid);
    const int lines = plain + 2;

    CardSelectionMask.fill(0);
    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        if (c % 3 != 1) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    const std::vector<int> columns = {0, 1, lines - 1};
    for (int line = 0; line < lines; ++line) StandardRowFlags[size_t(line)] = QuickRowFlags[size_t(line)] = 1;
    for (int line : columns) StandardColumnFlags[size_t(line)] = QuickColumnFlags[size_t(line)] = 1;
    NoProgress progress;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    ASSERT_TRUE(CopyGridsToQuickSet(nullptr).Done);
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);

    CoreState.TabSeparators = 1;
    CoreState.ShowFrequencies = 1;
    ASSERT_EQ(WriteSimpleDistributionReport(), CountTableState::Ready);
    const std::vector<std::vector<double>> standard = CategoryFigures(2);
    WriteQuickDistributionReport(progress);
    const std::vector<std::vector<double>> quick = CategoryFigures(2);
    ASSERT_EQ(standard.size(), size_t(lines));
    ASSERT_EQ(quick.size(), standard.size());
    int counted = 0, hanging = 0;
    for (size_t r = 0; r < quick.size(); ++r) {
        EXPECT_EQ(quick[r][0], standard[r][0]) << "count of line " << r + 1;
        EXPECT_NEAR(quick[r][1], standard[r][1], 0.001) << "percentage of line " << r + 1;
        counted += quick[r][0] > 0;
    }
    hanging = quick[size_t(lines) - 1][0] > 0;
    EXPECT_GT(counted, lines / 2);
    EXPECT_TRUE(hanging) << "the line hanging from a parent counts cards";

    // Cross tables: every row's cells and total against the count table.
    const std::string table = ReadBytes(DataFilePath(data_file::kCountTable));
    auto field = [&](int record, int f) {
        return GetI32(Bytes(table) + size_t(record) * 48 + size_t(f) * 4);
    };
    std::vector<std::pair<int32_t, int>> named;  // column line (1-based), its field
    for (int f = 1; f <= 10; ++f)
        if (field(lines + 1, f) > 0) named.push_back({field(lines + 1, f), f});
    std::sort(named.begin(), named.end());
    ASSERT_EQ(named.size(), columns.size());
    CoreState.ChiSquare = 1;
    CoreState.TabSeparators = 0;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    const std::vector<std::string> standardChi = ChiSquareLines("Testo 392", "Testo 393 =");
    CoreState.TabSeparators = 1;
    WriteQuickCrossTableReport(progress);
    const std::vector<std::vector<double>> cross = CategoryFigures(columns.size() + 1);
    ASSERT_EQ(cross.size(), size_t(lines));
    for (int r = 1; r <= lines; ++r) {
        for (size_t k = 0; k < named.size(); ++k)
            EXPECT_EQ(cross[size_t(r) - 1][k], field(r, named[k].second))
                << "line " << r << " column " << k + 1;
        EXPECT_EQ(cross[size_t(r) - 1][named.size()], field(r, 11)) << "line " << r;
    }
    // The hanging variables are one line each: no chi-square there, and the others are taken
    // on the same totals by both roads.
    const std::vector<std::string> quickChi = ChiSquareLines("Testo 588", "Testo 589");
    EXPECT_GT(quickChi.size(), 3u);
    EXPECT_EQ(quickChi, standardChi);
    StopProgram();
}

// Sex by marital status on the sample, the missing answers of status not chosen. The cells show
// 52 113 5 8 14 / 97 109 4 10 8 and an empty row of missing sex: Pearson's chi-square of that
// 2 x 5 table is 12.640 (exact fractions) with df 4, above 9.488 only. The empty row is no
// class of the test, and both roads print the same line.
TEST(QuickReportsAgreementTest, ChiSquareOfTheShownTableOnTheSample) {
    ProgramRoot root;
    StartProgram();
    GenerateDichotomousGrid();
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    std::vector<int> sex, status;
    for (int line = 1; line <= grid.Count; ++line) {
        const std::string& label = grid.Labels[size_t(line)];
        if (label.rfind("Sesso", 0) == 0) sex.push_back(line - 1);
        if (label.rfind("Stato", 0) == 0 && label.find("MR") == std::string::npos) status.push_back(line - 1);
    }
    ASSERT_EQ(sex.size(), 3u);
    ASSERT_EQ(status.size(), 5u);
    CardSelectionMask.fill(0);
    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    for (int line : sex) StandardRowFlags[size_t(line)] = QuickRowFlags[size_t(line)] = 1;
    for (int line : status) StandardColumnFlags[size_t(line)] = QuickColumnFlags[size_t(line)] = 1;
    NoProgress progress;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    ASSERT_TRUE(CopyGridsToQuickSet(nullptr).Done);
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    CoreState.ChiSquare = CoreState.ShowFrequencies = 1;
    ASSERT_EQ(WriteCrossTableReport(), CountTableState::Ready);
    EXPECT_EQ(ChiSquareLines("Testo 392", "Testo 393 ="), std::vector<std::string>{"12.640|4 *"});
    WriteQuickCrossTableReport(progress);
    EXPECT_EQ(ChiSquareLines("Testo 588", "Testo 589"), std::vector<std::string>{"12.640|4 *"});
    StopProgram();
}

}  // namespace
}  // namespace qv
