#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "elaborations/count_table.h"

namespace qv {

// Connections: each chosen row category crossed with each column category of the count table
// "tab-sch.dat" as a 2x2 table; the rows whose chi-square reaches CoreState.MinChiSquare are
// listed in "tabella.txt", strongest positive association first.

// Columns the connections dialog keeps chosen (the cross tables keep ten).
constexpr int kMaxConnectionColumns = 9;

// A row category against a column category over `total` counted cards (above 0): `both` cards
// in the row and the column, `columnTotal` in the column, `rowTotal` in the row.
struct Connection {
    double ChiSquare = 0;  // negative when the row is rarer in the column than overall
    double Phi = 0;        // with the sign of the chi-square
    // The two percentages as exact ratios: of the column's cards those in the row, and of the
    // cards outside the column those in the row.
    int64_t Both = 0, ColumnTotal = 0, RowOutside = 0, Outside = 0;
};
Connection ComputeConnection(int64_t both, int64_t columnTotal, int64_t rowTotal, int64_t total);
// A listed connection as the reports write it: |chi-square|, phi, the row's line number, the
// two percentages and the row's label. The line number stays in its columns however large the
// chi-square is.
std::string ConnectionLine(const Connection& connection, int line, const std::string& label);

// The grid as the connections report sees it (index = 1-based line, entry 0 unused).
struct ConnectionLines {
    int Count = 0;                    // grid lines read, at most 4000
    std::vector<std::string> Labels;  // text before the first '*', at most 99 characters
    std::vector<int> Variable;        // lines so far whose code begins with 'G'
};

// Reads "grl-sch.txt" and rewrites the label file "tx2-sch.dat" in 100-byte records (a length
// byte, the label, zero bytes). Raises the input/output error when the grid does not open.
ConnectionLines RebuildConnectionLines();

// The connections report for the rows of StandardRowFlags, with CoreState.MinChiSquare and
// CoreState.HideTrivialConnections. Anything but Ready (no count table, or a stale one) stores
// CoreState.ProceedFlag 0 and leaves "tabella.txt" untouched.
CountTableState WriteConnectionsReport();

// The minimum chi-square as the dialog shows it: width 10, 3 decimals.
std::string FormatMinChiSquare(double value);
// The minimum typed by the user (at most 50 characters are read; a comma stands for the
// decimal point, as in the hint "6,635"); false when it is not a finite number.
bool ParseMinChiSquare(const std::string& text, double& value);

}  // namespace qv
