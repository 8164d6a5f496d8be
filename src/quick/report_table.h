#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The report table: rows from a row set of "ri2-dat.txt", columns from a column set of
// "tab-dat.NN" (NN the saved condition last applied) or "tab-dat.txt", every row and column a
// set of cards written as a card-set condition; each cell counts the selected cards in both.
// Set files, in the archive directory and written by the user:
//   "#title"                       opens a set (sets numbered from 1)
//   "CONDITION;*label"             a row, or in a column set a column between its first two
//                                  "*" lines
//   "0;"                           (column list) asks for the "TOTALE" column
//   "\"span label\""               (anywhere in a column set) a group over `span` columns

namespace qv {

// Card sets: rows and columns together; the total row and column make 50 entries of each.
constexpr int kMaxReportSets = 50;
constexpr int kMaxReportRows = 49;
constexpr int kMaxReportColumns = 49;
constexpr int kMaxColumnGroups = 10;
constexpr int kMaxHeadingBackslashes = 5;

// Drawing constants, in pixels of the bitmap.
constexpr int kLabelColumnWidth = 120;
constexpr int kReportColumnWidth = 50;
constexpr int kReportRowGap = 13;
constexpr int kReportTopMargin = 10;
constexpr int kTitleFontHeight = 20;
constexpr int kTextFontHeight = 10;
constexpr int kReportRowHeight = kTextFontHeight + kReportRowGap;  // 23
constexpr int kHeadingLineHeight = kTextFontHeight + 5;            // 15

struct ReportTable {
    std::string ColumnSetTitle;
    std::string RowSetTitle;
    std::array<std::string, 3> LogLines;
    std::vector<std::string> RowLabels;     // 1..RowCount + 1 (entry 0 unused); the last is "Totale"
    std::vector<std::string> ColumnLabels;  // 1..ColumnCount + 1; the last is "TOTALE"
    std::vector<std::string> GroupLabels;   // GroupCount entries, in order
    std::vector<int32_t> GroupSpans;
    int32_t ColumnCount = 0;
    int32_t RowCount = 0;
    int32_t HeadingLines = 1;
    bool TotalColumn = false;
    int32_t GroupCount = 0;
    int32_t PageWidth = 0;
    int32_t PageHeight = 0;
    // Counts[r][c] for rows and columns from 1, the total row and column included; row 0 and
    // column 0 hold the totals of the counting step.
    std::array<std::array<int64_t, kMaxReportSets + 1>, kMaxReportSets + 1> Counts{};
    std::string Footer;
    // What the table could not take: items naming no category, lines and groups past the
    // limits. Empty when everything was read.
    std::vector<std::string> LeftOut;

    // Where the parts of the table stand on the bitmap.
    int TableTop() const;
    int TableRight() const;
    int TableBottom() const;
    int HeadingTop() const;
    int GroupTop() const;
    int ShownColumns() const { return ColumnCount + (TotalColumn ? 1 : 0); }
};

// "tab-dat." followed by the two digits of CoreState.ReportCondition when that file exists (0 to
// 99), else "tab-dat.txt".
std::string ColumnSetFilePath();

// The titles of the sets of "tab-dat.txt" (columns) and "ri2-dat.txt" (rows): their "#" lines
// without the mark; empty when the file does not open.
std::vector<std::string> ReadColumnSetTitles();
std::vector<std::string> ReadRowSetTitles();

// Counts row set `rowSet` against column set `columnSet` (1-based) over the selection, then
// forms the shown totals and lays the table out (labels "Totale" and "TOTALE", heading lines,
// bitmap size). Leaves CoreState.CurrentCard at LastCard + 1. Cards added after the preparation
// count in no cell. Raises the input/output error when "grl-dat.txt", "dli-dat.dat",
// "dat-dat.dat", "ri2-dat.txt" or the column set file cannot be read.
ReportTable ComputeReportTable(int columnSet, int rowSet);

// The title lines: the first three lines of the selection log, the first prefixed with the row
// set's title and " - ", and the footer from "gma-dat.dat". Raises the input/output error when
// the log does not open.
void ReadReportTitles(ReportTable& table);

// The l-th heading line (1-based) of a column label: its l-th piece between backslashes.
std::string HeadingSegment(const std::string& label, int line);

// The HTML page of the table (CR LF lines), its texts escaped; "Geolar.Htm" in the program
// directory.
std::string ReportTableHtml(const ReportTable& table);
std::string ReportHtmlPath();
void WriteReportHtml(const ReportTable& table);

// The print enlargement of this station, "Stampa." + station number in the archive directory:
// nullopt when the file does not open or holds no whole number.
std::optional<int> ReadPrintEnlargement();
void WritePrintEnlargement(int percent);
// What the print options show before the station ever chose one.
constexpr int kDefaultPrintEnlargement = 500;

}  // namespace qv
