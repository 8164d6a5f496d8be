#include "elaborations/counting_engine.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/card_classifier.h"
#include "elaborations/category_counter.h"
#include "elaborations/count_table.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kTableColumns = 12;  // reserved, columns 1..10, all cards
constexpr int kAllCardsColumn = 11;
constexpr int kProgressSteps = 250;
constexpr int kBlockBytes = 4 << 20;

// Rows flagged (pass 28 only), columns, and every ancestor of them.
std::vector<uint8_t> ActiveCategories(const CategoryGrid& grid, bool withRows,
                                      const std::vector<int32_t>& columns) {
    std::vector<uint8_t> active(size_t(grid.Count) + 2, 0);
    if (withRows)
        for (int line = 0; line < grid.Count; ++line)
            if (StandardRowFlags[size_t(line)]) active[size_t(line) + 1] = 1;
    for (int32_t c : columns)
        if (c >= 1 && c <= grid.Count) active[size_t(c)] = 1;
    // Up every chain of parents; a chain that loops or leaves the grid ends there.
    std::vector<uint8_t> walked(active.size(), 0);
    for (int i = 1; i <= grid.Count; ++i) {
        if (!active[size_t(i)] || walked[size_t(i)]) continue;
        walked[size_t(i)] = 1;
        int32_t p = grid.Parent[size_t(i)];
        while (p >= 1 && p <= grid.Count && !walked[size_t(p)]) {
            active[size_t(p)] = walked[size_t(p)] = 1;
            p = grid.Parent[size_t(p)];
        }
    }
    return active;
}

// ---------------------------------------------------------------------------------------------
// The selected cards, read block by block from "num-sch.dat".
class SelectedCards {
  public:
    explicit SelectedCards(Progress& progress) : progress_(progress) {
        geometry_ = CurrentCardGeometry();
        wordCount_ = geometry_.wordCount;
        // The cards the files hold now: a card still being written elsewhere is not a blank one.
        count_ = CardFiles::Current().CountCards();
        last_ = std::min<int64_t>(count_.last, int64_t(kSelectionMaskBytes) * 8 - 1);
        progress_.SetMaximum(std::max(count_.last, 0));
        step_ = std::max<int64_t>(1, (int64_t(count_.last) + 1) / kProgressSteps);
        blockCards_ = wordCount_ > 0 ? std::max(1, kBlockBytes / (wordCount_ * 2)) : 1;
    }

    int WordCount() const { return wordCount_; }
    const CardCount& Count() const { return count_; }

    // Calls visit(card words) for every selected card in order.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        if (wordCount_ <= 0) return;
        std::vector<uint16_t> block;
        int64_t nextReport = 0;
        for (int64_t first = 0; first <= last_; first += blockCards_) {
            const int64_t count = std::min<int64_t>(blockCards_, last_ - first + 1);
            if (!AnySelected(first, count)) continue;
            block.resize(size_t(count) * size_t(wordCount_));
            ReadCardValuesBlock(int32_t(first), int32_t(count), block.data());
            for (int64_t card = first; card < first + count; ++card) {
                if (!(CardSelectionMask[size_t(card >> 3)] & (0x80 >> (card & 7)))) continue;
                if (card >= nextReport) {
                    progress_.SetPosition(int(card));
                    nextReport = card + step_;
                }
                visit(block.data() + size_t(card - first) * size_t(wordCount_));
            }
        }
    }

  private:
    static bool AnySelected(int64_t first, int64_t count) {
        for (int64_t card = first; card < first + count; ++card) {
            if ((card & 7) == 0 && card + 8 <= first + count && CardSelectionMask[size_t(card >> 3)] == 0) {
                card += 7;
                continue;
            }
            if (CardSelectionMask[size_t(card >> 3)] & (0x80 >> (card & 7))) return true;
        }
        return false;
    }

    Progress& progress_;
    CardGeometry geometry_;
    int wordCount_ = 0;
    CardCount count_;
    int64_t last_ = -1;
    int64_t step_ = 1;
    int blockCards_ = 1;
};

bool FitsRecord(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// Weight of a card for the unit field: its value, 0 when empty; fields without a number count 1.
struct UnitWeight {
    int kind = 0;  // 0: every card 1; 1: 16-bit word; 2: 32-bit number
    FieldWords words;

    UnitWeight(int field, int wordCount) {
        if (field < 1 || field > kMaxFields) return;
        int type = FieldTypes[field];
        if (type >= 0 && type <= 6) kind = 1;
        if (type == 7) kind = 2;
        words = LocateField(field, wordCount);
    }
    int64_t Of(const uint16_t* card) const {
        if (kind == 1) {
            int16_t v = WordAt(card, words.first);
            return v == -32000 ? 0 : v;
        }
        if (kind == 2) {
            int32_t v = NumberAt(card, words);
            return v == kEmptyNumber ? 0 : v;
        }
        return 1;
    }
};

// A quantitative variable's value on a card; false when it gives none.
struct QuantValue {
    int kind = 0;  // 0: none; 1: 16-bit word; 2: 32-bit number
    FieldWords words;

    QuantValue(int field, int wordCount) {
        if (field < 1 || field > kMaxFields) return;
        int type = FieldTypes[field];
        if (type >= 0 && type <= 6) kind = 1;
        if (type == 7) kind = 2;
        words = LocateField(field, wordCount);
    }
    bool Of(const uint16_t* card, int64_t& v) const {
        if (kind == 1) {
            v = WordAt(card, words.first);
            return v > -32000;
        }
        if (kind == 2) {
            v = NumberAt(card, words);
            return v > kEmptyNumber;
        }
        return false;
    }
};

// Removes a pass's outputs after a failure, so no report reads them as the new result.
class OutputGuard {
  public:
    explicit OutputGuard(std::vector<int> ids) : ids_(std::move(ids)) {}
    ~OutputGuard() {
        if (!committed_)
            for (int id : ids_) RemoveFile(DataFilePath(id));
    }
    void Commit() { committed_ = true; }

  private:
    std::vector<int> ids_;
    bool committed_ = false;
};

// CoreState.CurrentCard is put back however the pass ends.
class CurrentCardKeeper {
  public:
    CurrentCardKeeper() : card_(CoreState.CurrentCard) {}
    ~CurrentCardKeeper() { CoreState.CurrentCard = card_; }

  private:
    int32_t card_;
};

CategoryGrid LoadGridForPass(CountingResult& result) {
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    // Record N + 1 of the count table needs entry N + 1: 3999 lines at most.
    if (grid.Count >= kMaxGridLines) result.Outcome = CountingOutcome::GridTooLong;
    return grid;
}

// ---------------------------------------------------------------------------------------------

CountingResult CountCategories(Progress& progress) {
    CountingResult result;
    OutputGuard guard({data_file::kCountTable});
    CategoryGrid grid = LoadGridForPass(result);
    if (result.Outcome != CountingOutcome::Done) return result;
    grid.UnitField = LoadUnitField(DataFilePath(data_file::kQuantGrid));

    const std::vector<int32_t> columns = CountedColumns(grid.Count);
    const int columnCount = int(columns.size());

    SelectedCards cards(progress);
    result.Cards = cards.Count();
    CardClassifier classifier(grid, ActiveCategories(grid, true, columns), cards.WordCount());
    UnitWeight unit(CoreState.CountByQuantUnit ? grid.UnitField : 0, cards.WordCount());

    CategoryCounter counter(classifier, columns);
    cards.ForEach([&](const uint16_t* card) { counter.Add(card, unit.Of(card)); });
    // Row r, column c at r * 12 + c: the layout of the file's records.
    std::vector<int64_t> counts = counter.Table();
    for (int c = 0; c < columnCount; ++c)
        counts[size_t(grid.Count + 1) * kTableColumns + size_t(c) + 1] = columns[size_t(c)];
    // The reports check it, so no count prints under the labels of a grid edited since.
    counts[0] = GridFingerprint();
    // Sums of a unit variable are no card counts: the reports print no significance for them.
    counts[size_t(grid.Count + 1) * kTableColumns + kCountedByUnitField] = unit.kind != 0;

    for (int64_t v : counts)
        if (!FitsRecord(v)) return {CountingOutcome::TotalTooLarge, {}};
    std::string bytes;
    bytes.reserve(counts.size() * 4);
    for (int64_t v : counts) AppendI32(bytes, int32_t(v));
    WriteFileAtomic(DataFilePath(data_file::kCountTable), bytes);
    guard.Commit();
    return result;
}

// Sums of pass 29, read back by pass 31.
struct QuantSums {
    std::vector<int32_t> columns;     // column 1..C categories (index c - 1)
    int variables = 0;                // Q
    std::vector<int64_t> sum, count;  // [q * (C + 1) + c], q 0-based
};

CountingResult SumQuantities(Progress& progress) {
    CountingResult result;
    OutputGuard guard({data_file::kQuantColumns, data_file::kQuantSums, data_file::kQuantCards});
    CategoryGrid grid = LoadGridForPass(result);
    if (result.Outcome != CountingOutcome::Done) return result;
    const std::vector<int32_t> fields = LoadQuantitativeGrid(DataFilePath(data_file::kQuantGrid));
    const std::vector<int32_t> columns = FlaggedColumnLines(grid.Count);
    const size_t width = columns.size() + 1;
    const int q = int(fields.size());

    SelectedCards cards(progress);
    result.Cards = cards.Count();
    CardClassifier classifier(grid, ActiveCategories(grid, false, columns), cards.WordCount());
    std::vector<QuantValue> values;
    for (int32_t f : fields) values.emplace_back(f, cards.WordCount());

    std::vector<int64_t> sum(size_t(q) * width, 0), count(size_t(q) * width, 0), cardCount(width, 0);
    std::vector<size_t> trueColumns(width);
    cards.ForEach([&](const uint16_t* card) {
        classifier.Classify(card);
        size_t n = 0;
        trueColumns[n++] = 0;
        for (size_t c = 1; c < width; ++c)
            if (classifier.IsTrue(columns[c - 1])) trueColumns[n++] = c;
        for (size_t k = 0; k < n; ++k) ++cardCount[trueColumns[k]];
        for (int v = 0; v < q; ++v) {
            int64_t x;
            if (!values[size_t(v)].Of(card, x)) continue;
            for (size_t k = 0; k < n; ++k) {
                sum[size_t(v) * width + trueColumns[k]] += x;
                ++count[size_t(v) * width + trueColumns[k]];
            }
        }
        classifier.Clear();
    });

    // Sums are kept in 64 bits; a variable whose figures do not fit the 4-byte records is
    // written with the count -1 in every slot, which no count can be, and the others stand.
    for (int v = 0; v < q; ++v) {
        const size_t first = size_t(v) * width;
        if (std::all_of(sum.begin() + std::ptrdiff_t(first), sum.begin() + std::ptrdiff_t(first + width),
                        FitsRecord))
            continue;
        std::fill_n(sum.begin() + std::ptrdiff_t(first), width, 0);
        std::fill_n(count.begin() + std::ptrdiff_t(first), width, kTooLargeForRecords);
    }

    TextBuilder columnText;
    for (int32_t c : columns) columnText.Line(std::to_string(c));
    std::string sums;
    AppendI32(sums, q);
    AppendI32(sums, GridFingerprint());
    for (size_t i = 0; i < sum.size(); ++i) {
        AppendI32(sums, int32_t(sum[i]));
        AppendI32(sums, int32_t(count[i]));
    }
    std::string cardBytes;
    for (int64_t v : cardCount) AppendI32(cardBytes, int32_t(v));
    columnText.Save(DataFilePath(data_file::kQuantColumns));
    WriteFileAtomic(DataFilePath(data_file::kQuantSums), sums);
    WriteFileAtomic(DataFilePath(data_file::kQuantCards), cardBytes);
    guard.Commit();
    return result;
}

QuantSums ReadQuantSums() {
    QuantSums s;
    TextReader columnText;
    columnText.OpenOrThrow(DataFilePath(data_file::kQuantColumns));
    while (!columnText.Eof()) {
        std::string line = columnText.ReadLine();
        char* end = nullptr;
        long v = std::strtol(line.c_str(), &end, 10);
        s.columns.push_back(end != line.c_str() && v >= INT32_MIN && v <= INT32_MAX ? int32_t(v) : 0);
    }
    const std::string path = DataFilePath(data_file::kQuantSums);
    const std::string bytes = ReadFileOrThrow(path);
    const size_t width = s.columns.size() + 1;
    if (bytes.size() < 8) ThrowIo(kReadPastEnd, path);
    const int32_t q = GetI32(Bytes(bytes));
    if (q < 0 || q > kMaxFields || bytes.size() < 8 + size_t(q) * width * 8) ThrowIo(kReadPastEnd, path);
    s.variables = q;
    for (size_t i = 0; i < size_t(q) * width; ++i) {
        s.sum.push_back(GetI32(Bytes(bytes) + 8 + i * 8));
        s.count.push_back(GetI32(Bytes(bytes) + 12 + i * 8));
    }
    return s;
}

CountingResult SumSquaredDeviations(Progress& progress) {
    CountingResult result;
    OutputGuard guard({data_file::kQuantSquares});
    CategoryGrid grid = LoadGridForPass(result);
    if (result.Outcome != CountingOutcome::Done) return result;
    std::vector<int32_t> fields = LoadQuantitativeGrid(DataFilePath(data_file::kQuantGrid));
    // The columns and means are those of the sums this pass goes with.
    const QuantSums sums = ReadQuantSums();
    const std::vector<int32_t>& columns = sums.columns;
    const size_t width = columns.size() + 1;
    const int q = sums.variables;
    fields.resize(size_t(q), 0);

    SelectedCards cards(progress);
    result.Cards = cards.Count();
    CardClassifier classifier(grid, ActiveCategories(grid, false, columns), cards.WordCount());
    std::vector<QuantValue> values;
    for (int32_t f : fields) values.emplace_back(f, cards.WordCount());
    std::vector<double> mean(sums.sum.size()), squares(sums.sum.size(), 0.0);
    for (size_t i = 0; i < mean.size(); ++i)
        mean[i] = double(sums.sum[i]) / double(sums.count[i] == 0 ? 1 : sums.count[i]);

    std::vector<size_t> trueColumns(width);
    cards.ForEach([&](const uint16_t* card) {
        classifier.Classify(card);
        size_t n = 0;
        trueColumns[n++] = 0;
        for (size_t c = 1; c < width; ++c)
            if (columns[c - 1] >= 1 && columns[c - 1] <= grid.Count && classifier.IsTrue(columns[c - 1]))
                trueColumns[n++] = c;
        for (int v = 0; v < q; ++v) {
            int64_t x;
            if (sums.count[size_t(v) * width] < 0 || !values[size_t(v)].Of(card, x)) continue;
            for (size_t k = 0; k < n; ++k) {
                size_t i = size_t(v) * width + trueColumns[k];
                double d = double(x) - mean[i];
                squares[i] += d * d;
            }
        }
        classifier.Clear();
    });

    std::string bytes;
    for (double d : squares) {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        for (int b = 0; b < 8; ++b) bytes.push_back(char(bits >> (8 * b)));
    }
    WriteFileAtomic(DataFilePath(data_file::kQuantSquares), bytes);
    guard.Commit();
    return result;
}

}  // namespace

CountingResult RunCountingPass(int passCode, Progress& progress) {
    CurrentCardKeeper keeper;
    switch (passCode) {
        case kCategoryCountPass:
            return CountCategories(progress);
        case kQuantitySumPass:
            return SumQuantities(progress);
        case kSquaredDeviationPass:
            return SumSquaredDeviations(progress);
        default:
            return {CountingOutcome::NoPass, {}};
    }
}

CountingResult RunQuantitativePasses(Progress& progress) {
    CoreState.CommandCode = kQuantitySumPass;
    CountingResult r = RunCountingPass(kQuantitySumPass, progress);
    if (r.Outcome != CountingOutcome::Done) return r;
    CoreState.CommandCode = kSquaredDeviationPass;
    return RunCountingPass(kSquaredDeviationPass, progress);
}

}  // namespace qv
