#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file.h"

namespace qv {

// Bounds a grid line keeps when it leaves them out: open below and above.
constexpr int32_t kOpenLowBound = -9999999;
constexpr int32_t kOpenHighBound = 99999999;
// Lines a grid reader keeps in memory; a grid the counting can use has fewer.
constexpr int kMaxGridLines = 4000;
// Characters of a grid line read into memory.
constexpr int kGridLineWidth = 300;

// One line of a category grid, read by the one grammar every grid reader shares.
struct GridLine {
    std::string Label;           // text before the first '*'
    bool HasStar = false;        // a line without '*' is a category that is never true
    bool OpensVariable = false;  // its code begins with 'G'
    std::string Code;            // on a line that opens a variable, the text after its ';' ("G0S0")
    int32_t Low = kOpenLowBound;
    int32_t High = kOpenHighBound;
    int32_t Parent = 0;
    int32_t FieldCount = 0;
    int32_t Field = 0;
};

// What the scan of a grid line met, for the grid diagnostics: the number texts ("-" and
// digits) that stood before the last '=', ',' and ';' read.
struct GridLineTokens {
    bool HasEquals = false, HasComma = false, HasSemicolon = false;
    bool UnknownCode = false;  // the ';' is followed by neither a 'G' code nor a '#' heading
    std::string FieldText, LowText, HighText;
};

// Reads one grid line. `previous` is the line the inherited parts come from (nullptr on the
// first line: everything inherited is 0). A line without '*' is not scanned. Every reader that
// asks whether a line opens a variable asks here, so the reports number the variables as the
// counts do.
GridLine ParseGridLine(std::string_view text, const GridLine* previous, GridLineTokens* tokens = nullptr);

// Where a report's label of a grid line ends. `GridLine::Label` is the text before the first
// '*'; the cross tables, connections and MaxSim keep a label that begins with '*' (a '*' in the
// first position does not end it and is not copied).
enum class LeadingStar { EndsLabel, Skipped };
std::string_view GridLineLabel(std::string_view text, LeadingStar rule);

// The name of a line of the quantitative grid: the text after its second '*' (empty without one).
std::string_view QuantGridLineName(std::string_view line);

// The categories of a grid, 1-based (entry 0 unused).
struct CategoryGrid {
    int Count = 0;              // N, at most kMaxGridLines
    bool MoreLines = false;     // the file holds more lines than were read
    int ParentRepetitions = 0;  // 2 when any line names a parent
    int UnitField = 0;          // weighting field of the counts, 0 = every card counts 1
    std::vector<int32_t> Low, High, Parent, FieldCount, Field;
    std::vector<uint8_t> HasStar, OpensVariable;
    std::vector<std::string> Labels;
};

// A parent a line can have in a grid of `count` lines; any other parent number is no parent.
constexpr bool ParentInGrid(int32_t parent, int count) {
    return parent >= 1 && parent <= count;
}

// A variable's first line whose code names a parent the grid does not hold, for the grid
// diagnostics (the lines after it inherit that parent and are not named again).
inline bool GivesParentOutside(const GridLine& line, int count) {
    return line.OpensVariable && line.Parent != 0 && !ParentInGrid(line.Parent, count);
}

// Reads a grid file; raises the input/output error when it cannot be opened. A parent outside
// the grid is read as 0.
CategoryGrid LoadCategoryGrid(const std::string& path);

// The weighting field of the counts when CoreState.CountByQuantUnit is set: field number of
// line CoreState.QuantUnitVar of the quantitative grid. Clears CountByQuantUnit and answers 0
// when that grid does not open; answers 0 when the option is off.
int LoadUnitField(const std::string& quantGridPath);

// Field numbers of the quantitative grid's lines (index = 0-based line); raises the
// input/output error when it cannot be opened.
std::vector<int32_t> LoadQuantitativeGrid(const std::string& path);

// Writers of the first grids from the archive definition ("grl-sch.txt", "grq-sch.txt",
// "tin-sch.txt"), rewritten whole.
void GenerateDichotomousGrid();
void GenerateQuantitativeGrid();
void GenerateTableHeadings();

// Forward-only reader of a table headings file, opened once per report.
class TableHeadingsReader {
  public:
    // False when the file does not open (the report then prints no headings).
    bool Open(const std::string& path);
    // Appends variable k's heading lines and two empty lines. Variables must be asked for in
    // increasing order: a block passed over, or missing, is not found again.
    void AppendHeading(int variable, TextBuilder& out);

  private:
    TextReader reader_;
};

}  // namespace qv
