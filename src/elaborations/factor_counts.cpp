#include "elaborations/factor_counts.h"

#include <algorithm>
#include <cmath>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selected_cards.h"
#include "elaborations/card_classifier.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/short_string.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kCountRecordEntries = kFactorColumns + 1;  // entries 0..400
constexpr int kCountRecordBytes = kCountRecordEntries * 4;
constexpr int kMarginEntry = kFactorColumns;

}  // namespace

int WriteFactorCategoryLists(FactorRoad road) {
    const bool standard = road == FactorRoad::Standard;
    const FlagList& flags = standard ? StandardAfcCategoryFlags : QuickAfcCategoryFlags;
    const FactorRoadFiles files = FilesOf(road);
    TextReader list;
    list.OpenOrThrow(DataFilePath(standard ? data_file::kGrid : data_file::kViewerStaging));
    std::string labels, lines;
    int listed = 0;
    // Flags past the end of the list name no category; past the limit the counts hold none.
    for (int index = 0; index < kFlagListSize && !list.Eof(); ++index) {
        const std::string line = list.ReadLine(standard ? 100 : 255);
        if (!flags[size_t(index)]) continue;
        if (++listed > FactorCategoryLimit(road)) continue;
        labels += EncodeShortString(GridLineLabel(line, LeadingStar::EndsLabel), files.labelRecordBytes - 1);
        AppendI16(lines, int16_t(index));
    }
    WriteFileAtomic(DataFilePath(files.labelsId), labels);
    WriteFileAtomic(DataFilePath(files.linesId), lines);
    return listed;
}

std::vector<int> FactorLines(FactorRoad road) {
    std::vector<int> out;
    const std::string bytes = TryReadFile(DataFilePath(FilesOf(road).linesId)).value_or(std::string());
    for (size_t at = 0; at + 2 <= bytes.size() && int(out.size()) < FactorCategoryLimit(road); at += 2)
        out.push_back(GetI16(Bytes(bytes) + at) + 1);
    return out;
}

int FactorLength(FactorRoad road) {
    return int(FactorLines(road).size());
}

void StoreFactorLength(FactorRoad road, int categories) {
    const std::string path = DataFilePath(FilesOf(road).linesId);
    const std::string bytes = TryReadFile(path).value_or(std::string());
    const size_t keep = size_t(std::max(categories, 0)) * 2;
    if (bytes.size() > keep) WriteFileAtomic(path, bytes.substr(0, keep));
}

AfcGrid LoadAfcGrid(const FlagList& flags, int gridId) {
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(gridId));
    AfcGrid afc;
    CategoryGrid& s = afc.Slots;
    auto push = [&s](const CategoryGrid& g, size_t i) {
        s.Low.push_back(g.Low[i]);
        s.High.push_back(g.High[i]);
        s.Parent.push_back(0);
        s.FieldCount.push_back(g.FieldCount[i]);
        s.Field.push_back(g.Field[i]);
        s.HasStar.push_back(g.HasStar[i]);
        s.OpensVariable.push_back(g.OpensVariable[i]);
        s.Labels.push_back(g.Labels[i]);
    };
    push(grid, 0);
    for (int line = 1; line <= grid.Count && line <= kFlagListSize; ++line) {
        if (!flags[size_t(line - 1)]) continue;
        if (s.Count == kStandardFactorCategories) break;  // the rest do not fit the count records
        push(grid, size_t(line));
        afc.GridLine.push_back(line);
        ++s.Count;
    }
    return afc;
}

std::vector<uint8_t> AfcTestableSlots(const AfcGrid& grid) {
    const CategoryGrid& s = grid.Slots;
    std::vector<uint8_t> testable(size_t(s.Count) + 2, 0);
    for (int k = 1; k <= s.Count; ++k) {
        const int32_t f = s.Field[size_t(k)];
        testable[size_t(k)] = s.FieldCount[size_t(k)] != 0 || (f >= 1 && f <= CoreState.FieldCount);
    }
    return testable;
}

CooccurrenceCounts CountCooccurrences(Progress& progress) {
    const AfcGrid grid = LoadAfcGrid(StandardAfcCategoryFlags);
    const int n = grid.Slots.Count;
    CooccurrenceCounts counts;
    counts.Resize(n);
    if (n == 0) return counts;

    SelectedCards cards(progress);
    counts.Files = cards.Count();
    CardClassifier classifier(grid.Slots, AfcTestableSlots(grid), cards.WordCount());
    // Row i entry j at i * 401 + j: the layout of the file's records.
    std::vector<int32_t> rows(size_t(n + 1) * kCountRecordEntries, 0);
    int32_t total = 0;
    std::vector<int32_t> present;
    present.reserve(size_t(n));
    cards.ForEach([&](int32_t, const uint16_t* card) {
        ++total;
        classifier.Classify(card);
        present.assign(classifier.True().begin(), classifier.True().end());
        classifier.Clear();
        std::sort(present.begin(), present.end());
        for (int32_t j : present) {
            for (int32_t i : present) ++rows[size_t(i) * kCountRecordEntries + size_t(j)];
            ++rows[size_t(j)];
        }
        for (int32_t i : present) ++rows[size_t(i) * kCountRecordEntries + kMarginEntry];
    });
    rows[kMarginEntry] = total;

    std::string bytes;
    bytes.reserve(rows.size() * 4);
    for (int32_t v : rows) AppendI32(bytes, v);
    WriteFileAtomic(DataFilePath(data_file::kCooccurrence), bytes);

    counts.Cards = total;
    for (int r = 1; r <= n; ++r) {
        counts.Frequency[size_t(r - 1)] = rows[size_t(r)];
        for (int c = 1; c <= n; ++c)
            counts.Joint[size_t(r - 1) * size_t(n) + size_t(c - 1)] =
                rows[size_t(c) * kCountRecordEntries + size_t(r)];
    }
    return counts;
}

CooccurrenceCounts ReadCooccurrenceFile(int categories) {
    const std::string path = DataFilePath(data_file::kCooccurrence);
    const std::string bytes = ReadFileOrThrow(path);
    const int n = std::clamp(categories, 0, kStandardFactorCategories);
    if (bytes.size() < size_t(n + 1) * kCountRecordBytes) ThrowIo(kReadPastEnd, path);
    auto entry = [&bytes](int record, int j) -> int64_t {
        return GetI32(Bytes(bytes) + size_t(record) * kCountRecordBytes + size_t(j) * 4);
    };
    CooccurrenceCounts counts;
    counts.Resize(n);
    counts.Cards = std::max<int64_t>(entry(0, kMarginEntry), 0);
    for (int r = 1; r <= n; ++r)
        counts.Frequency[size_t(r - 1)] = std::clamp<int64_t>(entry(0, r), 0, counts.Cards);
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) {
            const int64_t limit = std::min(counts.Frequency[size_t(r - 1)], counts.Frequency[size_t(c - 1)]);
            counts.Joint[size_t(r - 1) * size_t(n) + size_t(c - 1)] =
                std::clamp<int64_t>(entry(c, r), 0, limit);
        }
    return counts;
}

int16_t PhiCoefficient(int64_t cards, int64_t both, int64_t rowCount, int64_t columnCount) {
    const auto r6 = [](long double v) { return Real6Round(v); };
    const long double t = r6(cards <= 0 ? 1 : cards);
    const long double a = r6(both), nr = r6(rowCount), nc = r6(columnCount);
    const long double b = r6(nr - a);
    const long double c = r6(nc - a);
    const long double d = r6((t - nc) - b);
    const long double p = r6((a + b) * (c + d) * (a + c) * (b + d));
    long double chi2 = 0;
    if (p > 0) {
        const long double cross = a * d - b * c;
        chi2 = r6(t * (cross * cross) / p);
    }
    if (nr * nc / t > a) chi2 = -chi2;
    const long double root = r6(std::sqrt(std::fabs(chi2) / t));
    // Counts that contradict one another could give a ratio above 1: no coefficient passes 1.
    const long double scaled = std::min(r6(10000 * root), 10000.0L);
    const int16_t phi = int16_t(std::trunc(scaled));
    return chi2 < 0 ? int16_t(-phi) : phi;
}

void WritePhiMatrix(const CooccurrenceCounts& counts, FactorRoad road, Progress& progress) {
    const int n = counts.Categories;
    progress.SetMaximum(n);
    std::string bytes;
    bytes.reserve(size_t(n) * size_t(n) * 2);
    for (int r = 1; r <= n; ++r) {
        progress.SetPosition(r);
        for (int c = 1; c <= n; ++c)
            AppendI16(bytes, PhiCoefficient(counts.Cards, counts.Both(r, c), counts.Frequency[size_t(r - 1)],
                                            counts.Frequency[size_t(c - 1)]));
    }
    WriteFileAtomic(DataFilePath(FilesOf(road).phiId), bytes);
}

void BuildPhiMatrixFromCounts(int categories, Progress& progress) {
    WritePhiMatrix(categories > 0 ? ReadCooccurrenceFile(categories) : CooccurrenceCounts{},
                   FactorRoad::Standard, progress);
}

std::vector<int16_t> LoadPhiMatrix(FactorRoad road, int categories) {
    const std::string path = DataFilePath(FilesOf(road).phiId);
    const std::string bytes = ReadFileOrThrow(path);
    const size_t entries = size_t(std::max(categories, 0)) * size_t(std::max(categories, 0));
    if (bytes.size() < entries * 2) ThrowIo(kReadPastEnd, path);
    std::vector<int16_t> matrix(entries);
    for (size_t i = 0; i < entries; ++i) matrix[i] = GetI16(Bytes(bytes) + i * 2);
    return matrix;
}

int BuildQuickLabelList() {
    TextReader grid;
    grid.OpenOrThrow(DataFilePath(data_file::kQuickGrid));
    TextBuilder out;
    int gridLines = 0;
    for (; !grid.Eof(); ++gridLines) out.Line(grid.ReadLine(255));
    TextReader additional;
    if (additional.Open(DataFilePath(data_file::kAdditionalVariables))) {
        for (int m = 1; !additional.Eof(); ++m) {
            const std::string first = additional.ReadLine(255);
            if (!additional.Eof()) additional.SkipLine();
            out.Line((first.empty() ? std::string() : first.substr(1)) + "* ;" + (m == 1 ? "G0S0" : ""));
        }
    }
    out.Save(DataFilePath(data_file::kViewerStaging));
    return gridLines;
}

CooccurrenceCounts CardCountSource::Count(int, Progress& progress) {
    return CountCooccurrences(progress);
}

}  // namespace qv
