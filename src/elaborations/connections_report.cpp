#include "elaborations/connections_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kHeaderTextId = 319;
constexpr size_t kMaxTypedChars = 50;

}  // namespace

Connection ComputeConnection(int64_t both, int64_t columnTotal, int64_t rowTotal, int64_t total) {
    const double a = double(both);
    const double b = double(columnTotal - both);
    const double c = double(rowTotal - both);
    const double d = double(total - rowTotal) - b;
    Connection r;
    r.Both = both;
    r.ColumnTotal = columnTotal;
    r.RowOutside = rowTotal - both;
    r.Outside = total - columnTotal;
    const double denominator = (b + d) * (a + c) * (c + d) * (a + b);
    if (denominator > 0) {
        const double cross = a * d - b * c;
        r.ChiSquare = double(total) * cross * cross / denominator;
    }
    if (a < double(columnTotal) * double(rowTotal) / double(total)) r.ChiSquare = -r.ChiSquare;
    r.Phi = total > 0 ? std::sqrt(std::fabs(r.ChiSquare) / double(total)) : 0.0;
    if (r.ChiSquare < 0) r.Phi = -r.Phi;
    return r;
}

std::string ConnectionLine(const Connection& r, int line, const std::string& label) {
    return FormatFixedFitting(std::fabs(r.ChiSquare), 8, 2) + FormatFixed(r.Phi, 7, 3) + " (" +
           FormatInteger(line, 4) + ")" + " (" + FormatPercent(r.Both, r.ColumnTotal, 6, 2) + "%/" +
           FormatPercent(r.RowOutside, r.Outside, 6, 2) + "%) " + label;
}

ConnectionLines RebuildConnectionLines() {
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kGrid));
    ConnectionLines t;
    t.Labels.emplace_back();
    t.Variable.push_back(0);
    int variable = 0;
    while (!reader.Eof() && t.Count < kMaxGridLines) {
        const std::string line = reader.ReadLine(kGridLineWidth);
        ++t.Count;
        if (ParseGridLine(line, nullptr).OpensVariable) ++variable;
        t.Variable.push_back(variable);
        t.Labels.emplace_back(GridLineLabel(line, LeadingStar::Skipped).substr(0, kConnectionsScratchWidth));
    }
    WriteCategoryLabelScratch(std::span(t.Labels).subspan(1), kConnectionsScratchWidth);
    return t;
}

CountTableState WriteConnectionsReport() {
    const ConnectionLines lines = RebuildConnectionLines();
    const CountTable table = ReadCountTable(lines.Count);
    if (table.State != CountTableState::Ready) {
        CoreState.ProceedFlag = 0;
        return table.State;
    }
    const int n = lines.Count;
    const double minimum = CoreState.MinChiSquare;
    const bool hideTrivial = CoreState.HideTrivialConnections == 1;
    auto at = [&](int line, int field) { return int64_t(table.At(line, field)); };
    int64_t total = at(0, kCountTableAllCards);
    if (total == 0) total = 1;

    TextBuilder out;
    bool tooLarge = false;
    std::vector<Connection> rows(size_t(n) + 1);
    std::vector<uint8_t> active(size_t(n) + 1);
    for (int k = 1; k <= table.Columns(); ++k) {
        const int columnLine = table.ColumnLines[size_t(k) - 1];
        out.Line().Line().Line(std::string(49, '-')).Line();
        out.Line(" " + lines.Labels[size_t(columnLine)]).Line();
        out.Line(LoadText(kHeaderTextId)).Line();

        const int64_t columnTotal = at(0, k);
        int listed = 0;
        for (int i = 1; i <= n; ++i) {
            active[size_t(i)] = 0;
            rows[size_t(i)] = {};
            if (!StandardRowFlags[size_t(i) - 1]) continue;
            // A row whose counts did not fit their records has no figures to weigh.
            if (AnyCountTooLarge({at(i, k), columnTotal, at(i, kCountTableAllCards), total})) {
                tooLarge = true;
                continue;
            }
            rows[size_t(i)] = ComputeConnection(at(i, k), columnTotal, at(i, kCountTableAllCards), total);
            if (std::fabs(rows[size_t(i)].ChiSquare) >= minimum) {
                active[size_t(i)] = 1;
                ++listed;
            }
        }

        bool positiveChosen = false, separated = false;
        for (int k = 0; k < listed; ++k) {
            // The greatest signed chi-square; the lowest line wins a tie. The search starts
            // from the first listed row, so a strong negative connection is never lost below
            // a starting bound.
            int best = 0;
            for (int i = 1; i <= n; ++i)
                if (active[size_t(i)] &&
                    (best == 0 || rows[size_t(i)].ChiSquare > rows[size_t(best)].ChiSquare))
                    best = i;
            active[size_t(best)] = 0;
            const Connection& r = rows[size_t(best)];
            if (r.ChiSquare < 0) {
                if (positiveChosen && !separated) out.Line(std::string(16, ' ') + "- - - - - - - - -");
                separated = true;
            } else {
                positiveChosen = true;
            }
            if (hideTrivial && lines.Variable[size_t(best)] == lines.Variable[size_t(columnLine)]) continue;
            out.Line(ConnectionLine(r, best, lines.Labels[size_t(best)]));
        }
    }
    if (tooLarge) out.Line(LoadText(kCountTooLargeText));
    out.Save(ReportFilePath());
    return CountTableState::Ready;
}

std::string FormatMinChiSquare(double value) {
    return FormatFixed(value, 10, 3);
}

bool ParseMinChiSquare(const std::string& text, double& value) {
    std::string s = text.substr(0, kMaxTypedChars);
    std::replace(s.begin(), s.end(), ',', '.');
    size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const size_t last = s.find_last_not_of(' ');
    s = s.substr(first, last - first + 1);
    if (s[0] == '+') s.erase(0, 1);
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace qv
