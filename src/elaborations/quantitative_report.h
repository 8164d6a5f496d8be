#pragma once

namespace qv {

// Quantitative tables: for each quantitative variable chosen in QuantVarFlags (a line of
// "grq-sch.txt"), its sum, count of values, mean, sum per card and standard deviation in the
// slot of all counted cards and in one slot per column category, from the files of the
// quantitative counting passes ("qnc-sch.dat", "qnt-sch.dat", "qnq-sch.dat", "scr-sch.dat").

// Columns the quantitative tables keep chosen.
constexpr int kMaxQuantitativeColumns = 9;

struct QuantitativeChoice {
    int Rows = 0;     // set QuantVarFlags among the quantitative grid's lines
    int Columns = 0;  // set StandardColumnFlags among the grid's lines, at most nine
};

// Rewrites "tx2-sch.dat" with the label of each chosen column line (31-byte records: a length
// byte and up to 30 characters), counts the chosen variables and columns, and clears every
// chosen column after the ninth. A category grid that does not open leaves the label file as
// it is and counts nothing.
QuantitativeChoice PrepareQuantitativeColumns();

enum class QuantitativeReportOutcome {
    Written,
    NoVariable,   // no quantitative variable chosen
    NoCounts,     // a pass file or the quantitative grid is missing
    StaleCounts,  // counted on other columns or on a grid edited since: count again
};

// Rewrites "tabella.txt". Anything but Written leaves it untouched and stores
// CoreState.ProceedFlag 0. Pass files shorter than their header says raise the input/output
// error.
QuantitativeReportOutcome WriteQuantitativeReport();

}  // namespace qv
