#include "elaborations/maxsim.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selected_cards.h"
#include "core/station_settings.h"
#include "elaborations/card_classifier.h"
#include "elaborations/factor_counts.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kPositionsId[2] = {data_file::kMaxSimSquares11, data_file::kMaxSimSquares12};
constexpr int kLinesId[2] = {data_file::kMaxSimSquares21, data_file::kMaxSimSquares22};
constexpr int kTraceId[2] = {data_file::kMaxSimReport1, data_file::kMaxSimReport2};
constexpr int kCountingFiles[] = {data_file::kMaxSimVariables, data_file::kMaxSimMatrix,
                                  data_file::kMaxSimReport};
constexpr int kAllFiles[] = {data_file::kMaxSimTable,
                             data_file::kMaxSimVariables,
                             data_file::kMaxSimMatrix,
                             kPositionsId[0],
                             kPositionsId[1],
                             kLinesId[0],
                             kLinesId[1],
                             data_file::kMaxSimReport,
                             kTraceId[0],
                             kTraceId[1]};
constexpr int kNotChosen = -10;  // below every similarity: the first candidate is always taken

const char* const kIndexTexts[kSimilarityIndexCount] = {
    "1) Sokal e Michner (a+b)/t", "2) Roger e Tanimoto (a+b)/[a+b+2(c+d)]", "3) 2(a+b)/[2(a+b)+c+d]",
    "4) Jaccard a/(a+c+d)",       "5) Sokal e Sneath a/[a+2(c+d)]",         "6) Dice 2a/(2a+c+d)",
};

int ChosenIndex() {
    return CoreState.SimilarityIndex < kSimilarityIndexCount ? CoreState.SimilarityIndex : 0;
}

void RemoveFiles(const int* ids, size_t count) {
    for (size_t i = 0; i < count; ++i) RemoveFile(DataFilePath(ids[i]));
}

using Lists = std::array<FlagList, 4>;

Lists LoadLists() {
    Lists lists;
    for (int l = 0; l < 4; ++l) {
        lists[size_t(l)].fill(0);
        LoadSelectionRunList(MaxSimListPath(MaxSimList(l + 1)), lists[size_t(l)]);
    }
    return lists;
}

// The percentage of the cards carrying c that also carry r; 0 when c is on no card.
double Percentage(const std::vector<int64_t>& co, int v, int r, int c) {
    const int64_t base = co[size_t(c) * size_t(v) + size_t(c)];
    return base == 0 ? 0.0 : double(co[size_t(r) * size_t(v) + size_t(c)]) * 100.0 / double(base);
}

// The files of the counting pass read back: the grid line of each variable and the matrix.
struct CountedTable {
    std::vector<int> lines;        // variable k (1-based) at k - 1
    std::vector<int> indexOfLine;  // grid line to variable, 0 = not chosen
    std::string matrix;            // V x V bytes
    int V() const { return int(lines.size()); }
    bool X(int r, int c) const { return matrix[size_t(r - 1) * size_t(V()) + size_t(c - 1)] != 0; }
};

CountedTable ReadCountedTable() {
    CountedTable t;
    const std::string varBytes = ReadFileOrThrow(DataFilePath(data_file::kMaxSimVariables));
    const size_t v = varBytes.size() / 2;
    t.indexOfLine.assign(kFlagListSize + 1, 0);
    for (size_t k = 0; k < v; ++k) {
        const int line = GetI16(Bytes(varBytes) + k * 2);
        t.lines.push_back(line);
        if (line >= 1 && line <= kFlagListSize && t.indexOfLine[size_t(line)] == 0)
            t.indexOfLine[size_t(line)] = int(k) + 1;
    }
    const std::string matrixPath = DataFilePath(data_file::kMaxSimMatrix);
    t.matrix = ReadFileOrThrow(matrixPath);
    if (t.matrix.size() < v * v) ThrowIo(kReadPastEnd, matrixPath);
    return t;
}

// Variables of a list, in grid order; lines that kept no variable are left out.
std::vector<int> Members(const FlagList& list, const CountedTable& t) {
    std::vector<int> out;
    for (int i = 0; i < kFlagListSize; ++i)
        if (list[size_t(i)] && t.indexOfLine[size_t(i) + 1] != 0) out.push_back(t.indexOfLine[size_t(i) + 1]);
    return out;
}

std::string OrderLine(int decided, const std::vector<int>& order) {
    std::string line = FormatInteger(decided, 10) + " - ";
    for (int e : order) line += FormatInteger(e, 5);
    return line;
}

// One pass of the ordering: `used` and `added` are the pass's variables, `other` the other
// dimension's used variables, whose rows of the matrix are the profiles compared.
void OrderPass(int pass, const CountedTable& t, const std::vector<int>& used, const std::vector<int>& added,
               const std::vector<int>& other) {
    std::vector<int> a(used);
    a.insert(a.end(), added.begin(), added.end());
    const int T = int(a.size()), U = int(used.size()), M = int(added.size());
    const int index = ChosenIndex();
    std::vector<int> s(size_t(T) * size_t(T), 0);
    for (int i = 0; i < T; ++i)
        for (int j = 0; j < T; ++j) {
            int both = 0, neither = 0, onlyI = 0, onlyJ = 0;
            for (int r : other) {
                const bool xi = t.X(r, a[size_t(i)]), xj = t.X(r, a[size_t(j)]);
                both += xi && xj;
                neither += !xi && !xj;
                onlyI += xi && !xj;
                onlyJ += !xi && xj;
            }
            int score = SimilarityScore(index, both, neither, onlyI, onlyJ);
            if (i == j && score == 0) score = 10000;
            s[size_t(i) * size_t(T) + size_t(j)] = score;
        }

    TextBuilder trace;
    trace.Line("Matrice delle similarita'").Line();
    trace.Line("variabili totali " + std::to_string(t.V()));
    trace.Line("colonne: " + std::to_string(T) + " di cui indipendenti " + std::to_string(U) +
               " e supplementari " + std::to_string(M));
    trace.Line("righe: " + std::to_string(other.size())).Line();
    std::string heading(8, ' ');
    for (int k = 1; k <= T; ++k) heading += FormatInteger(k, 8);
    trace.Line(heading);
    for (int i = 0; i < T; ++i) {
        std::string line = FormatInteger(i + 1, 5) + " - ";
        for (int j = 0; j < T; ++j) line += FormatInteger(s[size_t(i) * size_t(T) + size_t(j)], 8);
        trace.Line(line);
    }

    const MaxSimChain chain = BuildChain(std::move(s), U, M);
    trace.Line().Line("Riordino:").Line();
    for (size_t k = 0; k < chain.steps.size(); ++k) trace.Line(OrderLine(chain.decided[k], chain.steps[k]));
    trace.Save(DataFilePath(kTraceId[pass - 1]));

    std::string positions, lines;
    for (int e : chain.order) {
        AppendI16(positions, int16_t(e));
        const int line = t.lines[size_t(a[size_t(std::abs(e)) - 1]) - 1];
        AppendI16(lines, int16_t(e > 0 ? line : -line));
    }
    WriteFileAtomic(DataFilePath(kPositionsId[pass - 1]), positions);
    WriteFileAtomic(DataFilePath(kLinesId[pass - 1]), lines);
}

// The variables of an order file "sq2-max?.dat" (signed grid lines); entries naming no variable
// are left out.
std::vector<int> ReadOrder(int id, const CountedTable& t) {
    const std::string bytes = ReadFileOrThrow(DataFilePath(id));
    std::vector<int> out;
    for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
        const int line = std::abs(int(GetI16(Bytes(bytes) + k)));
        if (line >= 1 && line <= kFlagListSize && t.indexOfLine[size_t(line)] != 0)
            out.push_back(t.indexOfLine[size_t(line)]);
    }
    return out;
}

// Character `i` of each column number: numbers right-aligned in 3 above, left-aligned below.
std::string NumberRow(int columns, int i, bool rightAligned) {
    std::string line(31, ' ');
    for (int k = 1; k <= columns; ++k) {
        std::string n = std::to_string(k);
        n = rightAligned ? RightAligned(n, 3) : n + std::string(n.size() < 3 ? 3 - n.size() : 0, ' ');
        line.push_back(n[size_t(i)]);
    }
    return line;
}

}  // namespace

std::string MaxSimListPath(MaxSimList list) {
    return DataFilePath(data_file::kMaxSimListStem) + std::to_string(int(list));
}

const char* SimilarityIndexText(int index) {
    return kIndexTexts[index >= 0 && index < kSimilarityIndexCount ? index : 0];
}

int SimilarityScore(int index, int a, int b, int c, int d) {
    int64_t num = 0, den = 0;
    switch (index) {
        case 0:
            num = a + b, den = a + b + c + d;
            break;
        case 1:
            num = a + b, den = a + b + 2 * (c + d);
            break;
        case 2:
            num = 2 * (a + b), den = 2 * (a + b) + c + d;
            break;
        case 3:
            num = a, den = a + c + d;
            break;
        case 4:
            num = a, den = a + 2 * (c + d);
            break;
        case 5:
            num = 2 * a, den = 2 * a + c + d;
            break;
        default:
            return 0;
    }
    if (den <= 0) return 0;
    // Exactly: q = floor(num * 10000 / den), then the remainder decides.
    const int64_t scaled = num * 10000;
    int64_t q = scaled / den;
    const int64_t twice = 2 * (scaled % den);
    if (twice > den || (twice == den && q % 2 == 1)) ++q;
    return int(q);
}

MaxSimChain BuildChain(std::vector<int> s, int used, int added) {
    const int T = used + added;
    auto S = [&s, T](int i, int j) -> int& { return s[size_t(i - 1) * size_t(T) + size_t(j - 1)]; };
    MaxSimChain chain;
    std::vector<int>& order = chain.order;
    auto record = [&chain](int decided) {
        chain.decided.push_back(decided);
        chain.steps.push_back(chain.order);
    };

    int best = 0, first = 0, second = 0;
    for (int i = 1; i <= used; ++i)
        for (int j = 1; j <= used; ++j)
            if (i != j && S(i, j) > best) best = S(i, j), first = i, second = j;
    int growth = 0;
    if (first != 0) {
        order = {first, second};
        S(first, first) = S(second, second) = 0;
        record(best);
        growth = used - 2;
    } else if (used >= 1) {
        // No two used variables resemble each other at all: the chain starts from the first.
        order = {1};
        S(1, 1) = 0;
        record(0);
        growth = used - 1;
    }

    for (int step = 0; step < growth; ++step) {
        best = kNotChosen;
        int chosen = 0;
        bool atStart = false;
        for (int x = 1; x <= used; ++x) {
            if (S(x, x) <= 0) continue;  // already chained
            if (S(x, order.back()) > best) best = S(x, order.back()), chosen = x, atStart = false;
            if (S(x, order.front()) > best) best = S(x, order.front()), chosen = x, atStart = true;
        }
        if (chosen == 0) break;
        if (atStart)
            order.insert(order.begin(), chosen);
        else
            order.push_back(chosen);
        S(chosen, chosen) = 0;
        record(best);
    }

    for (int m = 1; m <= added; ++m) {
        const int z = used + m;
        best = kNotChosen;
        int p = -1;
        for (size_t q = 0; q < order.size(); ++q)
            if (order[q] > 0 && S(order[q], z) > best) best = S(order[q], z), p = int(q);
        if (p < 0) {
            // Nothing chained to resemble: the added variables follow in list order.
            order.push_back(-z);
            record(0);
            continue;
        }
        const int lastPos = int(order.size()) - 1;
        int at;
        if (p == 0)
            at = 0;
        else if (p == lastPos)
            at = p + 1;
        else
            at = S(std::abs(order[size_t(p) + 1]), z) > S(std::abs(order[size_t(p) - 1]), z) ? p + 1 : p;
        order.insert(order.begin() + at, -z);
        record(best);
    }
    return chain;
}

MaxSimCount CountMaxSimTable(Progress& progress) {
    const Lists lists = LoadLists();
    FlagList chosen{};
    for (const FlagList& l : lists)
        for (int i = 0; i < kFlagListSize; ++i) chosen[size_t(i)] |= l[size_t(i)];
    const AfcGrid grid = LoadAfcGrid(chosen, data_file::kGrid);
    const int v = grid.Slots.Count;
    if (v == 0) {
        RemoveFiles(kCountingFiles, std::size(kCountingFiles));
        return {};
    }

    SelectedCards cards(progress);
    CardClassifier classifier(grid.Slots, AfcTestableSlots(grid), cards.WordCount());
    std::vector<int64_t> co(size_t(v) * size_t(v), 0);
    std::vector<int32_t> present;
    cards.ForEach([&](int32_t, const uint16_t* card) {
        classifier.Classify(card);
        present.assign(classifier.True().begin(), classifier.True().end());
        classifier.Clear();
        for (int32_t x : present)
            for (int32_t y : present) ++co[size_t(x - 1) * size_t(v) + size_t(y - 1)];
    });

    std::string lines, matrix;
    for (int32_t line : grid.GridLine) AppendI16(lines, int16_t(line));
    const double threshold = CoreState.MaxSimThreshold;
    TextBuilder text;
    text.Line("Variabili " + std::to_string(v));
    std::string heading;
    for (int32_t line : grid.GridLine) heading += FormatInteger(line, 4);
    text.Line(heading);
    for (int r = 0; r < v; ++r) {
        std::string row;
        for (int c = 0; c < v; ++c) {
            const double pct = Percentage(co, v, r, c);
            const bool reaches = pct >= threshold;
            matrix.push_back(char(reaches ? 1 : 0));
            const int64_t base = co[size_t(c) * size_t(v) + size_t(c)];
            row += reaches ? FormatPercent(co[size_t(r) * size_t(v) + size_t(c)], base, 4, 0)
                           : std::string(4, ' ');
        }
        text.Line(row);
    }
    WriteFileAtomic(DataFilePath(data_file::kMaxSimVariables), lines);
    WriteFileAtomic(DataFilePath(data_file::kMaxSimMatrix), matrix);
    text.Save(DataFilePath(data_file::kMaxSimReport));
    return {v, cards.Count()};
}

void BuildMaxSimOrder() {
    const CountedTable t = ReadCountedTable();
    const Lists lists = LoadLists();
    const std::vector<int> rows = Members(lists[0], t), columns = Members(lists[1], t);
    const std::vector<int> addedRows = Members(lists[2], t), addedColumns = Members(lists[3], t);
    OrderPass(1, t, rows, addedRows, columns);
    OrderPass(2, t, columns, addedColumns, rows);
}

ConsistencyCount ConsistencyFigure(const std::vector<uint8_t>& cells, int rows, int columns) {
    int64_t pairs = 0, equal = 0;
    auto cell = [&](int r, int c) { return cells[size_t(r) * size_t(columns) + size_t(c)]; };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (r + 1 < rows) ++pairs, equal += cell(r, c) == cell(r + 1, c);
            if (c + 1 < columns) ++pairs, equal += cell(r, c) == cell(r, c + 1);
        }
    return {equal, pairs};
}

std::string ConsistencyLine(const ConsistencyCount& count) {
    return "SS: " + FormatRatio(count.Equal, count.Pairs, 8, 5);
}

void WriteMaxSimTable() {
    TextBuilder out;
    out.Line(std::string("MAXSIM, indice di similarita': ") + SimilarityIndexText(ChosenIndex()) +
             " - soglia:" + FormatFixed(CoreState.MaxSimThreshold, 7, 2) + "%");
    out.Line("------").Line();
    const std::string tablePath = DataFilePath(data_file::kMaxSimTable);

    TextReader grid;
    if (!grid.Open(DataFilePath(data_file::kGrid))) {
        CoreState.ProceedFlag = 0;
        out.Save(tablePath);
        return;
    }
    std::vector<std::string> labels;
    while (!grid.Eof() && int(labels.size()) < kMaxGridLines)
        labels.emplace_back(GridLineLabel(grid.ReadLine(kGridLineWidth), LeadingStar::Skipped)
                                .substr(0, kNarrowScratchWidth));
    WriteCategoryLabelScratch(labels, kNarrowScratchWidth);

    const CountedTable t = ReadCountedTable();
    const std::vector<int> rows = ReadOrder(kLinesId[0], t), columns = ReadOrder(kLinesId[1], t);
    auto label = [&](int variable) {
        const int line = t.lines[size_t(variable) - 1];
        return line >= 1 && line <= int(labels.size()) ? labels[size_t(line) - 1] : std::string();
    };

    out.Line("Variabili in colonna: ").Line();
    for (size_t k = 0; k < columns.size(); ++k)
        out.Line(FormatInteger(int64_t(k) + 1, 3) + " -  " + label(columns[k]));
    out.Line();
    const int nc = int(columns.size()), nr = int(rows.size());
    for (int i = 0; i < 3; ++i) out.Line(NumberRow(nc, i, true));
    std::vector<uint8_t> cells;
    for (int r : rows) {
        std::string line = RightAligned(label(r), kNarrowScratchWidth) + " ";
        for (int c : columns) {
            cells.push_back(t.X(r, c) ? 1 : 0);
            line.push_back(cells.back() ? 'X' : ' ');
        }
        out.Line(line + " " + label(r));
    }
    for (int i = 0; i < 3; ++i) out.Line(NumberRow(nc, i, false));
    out.Line().Line(ConsistencyLine(ConsistencyFigure(cells, nr, nc)));
    out.Save(tablePath);
}

std::optional<CardCount> RunMaxSim(Progress& progress) {
    try {
        const MaxSimCount count = CountMaxSimTable(progress);
        if (count.Categories == 0) {
            RemoveFiles(kAllFiles, std::size(kAllFiles));
            return std::nullopt;
        }
        BuildMaxSimOrder();
        WriteMaxSimTable();
        return count.Cards;
    } catch (const IoError&) {
        // Half a run's files would pass for a result: none are kept.
        RemoveFiles(kAllFiles, std::size(kAllFiles));
        throw;
    }
}

void CopyMaxSimTableToReport() {
    TextReader in;
    TextBuilder out;
    if (in.Open(DataFilePath(data_file::kMaxSimTable)))
        while (!in.Eof()) out.Line(in.ReadLine(4096));
    out.Save(ReportFilePath());
}

}  // namespace qv
