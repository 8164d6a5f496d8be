#pragma once
#include <string>
#include <vector>

namespace qv {

// Connections: each chosen row category crossed with each column category of the count table
// "tab-sch.dat" as a 2x2 table; the rows whose chi-square reaches CoreState.MinChiSquare are
// listed in "tabella.txt", strongest positive association first.

// Columns the connections dialog keeps chosen (the cross tables keep ten).
constexpr int kMaxConnectionColumns = 9;

// A row category against a column category over `total` counted cards (above 0): `both` cards
// in the row and the column, `columnTotal` in the column, `rowTotal` in the row.
struct Connection {
    double ChiSquare = 0;      // negative when the row is rarer in the column than overall
    double Phi = 0;            // with the sign of the chi-square
    double InColumn = 0;       // % of the column's cards that are in the row
    double OutsideColumn = 0;  // % of the cards outside the column that are in the row
};
Connection ComputeConnection(double both, double columnTotal, double rowTotal, double total);
// A listed connection as the reports write it: |chi-square|, phi, the row's line number, the
// two percentages and the row's label.
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
// CoreState.HideTrivialConnections. Answers false, with CoreState.ProceedFlag 0 and
// "tabella.txt" untouched, when the count table is missing or shorter than the grid needs.
bool WriteConnectionsReport();

// The minimum chi-square as the dialog shows it: width 10, 3 decimals.
std::string FormatMinChiSquare(double value);
// The minimum typed by the user (at most 50 characters are read; a comma stands for the
// decimal point, as in the hint "6,635"); false when it is not a finite number.
bool ParseMinChiSquare(const std::string& text, double& value);

}  // namespace qv
