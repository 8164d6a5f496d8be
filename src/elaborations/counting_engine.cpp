#include "elaborations/counting_engine.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/selected_cards.h"
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

bool FitsRecord(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// Weight of a card for the unit field: its value, 0 when empty; fields without a number count 1.
struct UnitWeight {
    int kind = 0;  // 0: every card 1; 1: 16-bit word; 2: 32-bit number
    FieldWords words;

    UnitWeight(int field, int wordCount) {
        if (field < 1 || field > kMaxFields) return;
        FieldType type = FieldTypes[field];
        if (!type.IsText() && type <= FieldType::kPercent) kind = 1;
        if (type == FieldType::kNumber32) kind = 2;
        words = LocateField(field, wordCount);
    }
    int64_t Of(const uint16_t* card) const {
        if (kind == 1) {
            int16_t v = WordAt(card, words.first);
            return v == kEmptyShort ? 0 : v;
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
        FieldType type = FieldTypes[field];
        if (!type.IsText() && type <= FieldType::kPercent) kind = 1;
        if (type == FieldType::kNumber32) kind = 2;
        words = LocateField(field, wordCount);
    }
    bool Of(const uint16_t* card, int64_t& v) const {
        if (kind == 1) {
            v = WordAt(card, words.first);
            return v > kEmptyShort;
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

// What every pass shares: the grid loaded and checked, and its outputs left behind only when
// `body` (the pass on the grid) ends with Done.
template <typename Body>
CountingResult RunOnGrid(std::vector<int> outputs, Body&& body) {
    OutputGuard guard(std::move(outputs));
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    // Record N + 1 of the count table needs entry N + 1: 3999 lines at most.
    if (grid.Count >= kMaxGridLines) return {CountingOutcome::GridTooLong, {}};
    CountingResult result = body(grid);
    if (result.Outcome == CountingOutcome::Done) guard.Commit();
    return result;
}

// The selected cards as the quantitative passes see them: the columns a card falls in (0, all
// cards, first) and the values of the variables.
class QuantCards {
  public:
    QuantCards(const CategoryGrid& grid, const std::vector<int32_t>& columns,
               const std::vector<int32_t>& fields, Progress& progress)
        : cards_(progress),
          classifier_(grid, ActiveCategories(grid, false, columns), cards_.WordCount()),
          columns_(columns),
          gridCount_(grid.Count),
          trueColumns_(columns.size() + 1) {
        for (int32_t f : fields) values_.emplace_back(f, cards_.WordCount());
    }

    const CardCount& Count() const { return cards_.Count(); }

    // Calls visit(card words, true columns, their number) for every selected card.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        cards_.ForEach([&](int32_t, const uint16_t* card) {
            classifier_.Classify(card);
            size_t n = 0;
            trueColumns_[n++] = 0;
            for (size_t c = 1; c <= columns_.size(); ++c) {
                const int32_t category = columns_[c - 1];
                if (category >= 1 && category <= gridCount_ && classifier_.IsTrue(category))
                    trueColumns_[n++] = c;
            }
            visit(card, trueColumns_.data(), n);
            classifier_.Clear();
        });
    }

    // Variable v's value on a card; false when it gives none.
    bool Value(int v, const uint16_t* card, int64_t& x) const { return values_[size_t(v)].Of(card, x); }

  private:
    SelectedCards cards_;
    CardClassifier classifier_;
    const std::vector<int32_t>& columns_;
    int32_t gridCount_;
    std::vector<QuantValue> values_;
    std::vector<size_t> trueColumns_;
};

// ---------------------------------------------------------------------------------------------

CountingResult CountCategories(CategoryGrid& grid, Progress& progress) {
    grid.UnitField = LoadUnitField(DataFilePath(data_file::kQuantGrid));
    const std::vector<int32_t> columns = CountedColumns(grid.Count);
    const int columnCount = int(columns.size());

    SelectedCards cards(progress);
    const std::vector<uint8_t> active = ActiveCategories(grid, true, columns);
    CardClassifier classifier(grid, active, cards.WordCount());
    UnitWeight unit(CoreState.CountByQuantUnit ? grid.UnitField : 0, cards.WordCount());

    CategoryCounter counter(classifier, columns);
    std::vector<int64_t> weights;
    cards.ForEachBatch([&](const uint16_t* const* batch, size_t n) {
        if (unit.kind == 0) {
            weights.resize(n, 1);
        } else {
            weights.resize(n);
            for (size_t k = 0; k < n; ++k) weights[k] = unit.Of(batch[k]);
        }
        counter.Add(batch, weights.data(), n);
    });
    // Record r, field f at r * kCountTableFields + f: the layout of the file's records.
    std::vector<int64_t> counts = counter.Table();
    for (int c = 0; c < columnCount; ++c)
        counts[size_t(grid.Count + 1) * kCountTableFields + size_t(c) + 1] = columns[size_t(c)];
    // The reports check them, so no count prints under the labels of a grid edited since, for
    // a row that was not counted, or as counts of another unit.
    counts[0] = GridFingerprint();
    for (int r = 1; r <= grid.Count; ++r)
        counts[size_t(r) * kCountTableFields + kCountedRowField] = active[size_t(r)];
    const size_t names = size_t(grid.Count + 1) * kCountTableFields;
    counts[names + kCountedUnitField] = CountedUnitMark(CoreState.CountByQuantUnit, CoreState.QuantUnitVar);
    // Sums of a unit variable are no card counts: the reports print no significance for them.
    counts[names + kCountedByUnitField] = unit.kind != 0;

    // Totals are kept in 64 bits; a cell past the record's range is written as the mark the
    // reports print as too large, and every other cell stands.
    std::string bytes(counts.size() * 4, '\0');
    for (size_t i = 0; i < counts.size(); ++i)
        PutI32(reinterpret_cast<uint8_t*>(bytes.data()) + 4 * i,
               FitsRecord(counts[i]) ? int32_t(counts[i]) : kCountTooLarge);
    WriteFileAtomic(DataFilePath(data_file::kCountTable), bytes);
    return {CountingOutcome::Done, cards.Count()};
}

// Sums of pass 29, read back by pass 31.
struct QuantSums {
    std::vector<int32_t> columns;     // column 1..C categories (index c - 1)
    int variables = 0;                // Q
    std::vector<int64_t> sum, count;  // [q * (C + 1) + c], q 0-based
};

CountingResult SumQuantities(const CategoryGrid& grid, Progress& progress) {
    const std::vector<int32_t> fields = LoadQuantitativeGrid(DataFilePath(data_file::kQuantGrid));
    const std::vector<int32_t> columns = FlaggedColumnLines(grid.Count);
    const size_t width = columns.size() + 1;
    const int q = int(fields.size());

    QuantCards cards(grid, columns, fields, progress);
    std::vector<int64_t> sum(size_t(q) * width, 0), count(size_t(q) * width, 0), cardCount(width, 0);
    cards.ForEach([&](const uint16_t* card, const size_t* trueColumns, size_t n) {
        for (size_t k = 0; k < n; ++k) ++cardCount[trueColumns[k]];
        for (int v = 0; v < q; ++v) {
            int64_t x;
            if (!cards.Value(v, card, x)) continue;
            for (size_t k = 0; k < n; ++k) {
                sum[size_t(v) * width + trueColumns[k]] += x;
                ++count[size_t(v) * width + trueColumns[k]];
            }
        }
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
    // One record past the figures, which readers of the figures never reach: the report
    // checks it, so no variable's figures print under another's name.
    AppendI32(sums, QuantGridFingerprint());
    std::string cardBytes;
    for (int64_t v : cardCount) AppendI32(cardBytes, int32_t(v));
    columnText.Save(DataFilePath(data_file::kQuantColumns));
    WriteFileAtomic(DataFilePath(data_file::kQuantSums), sums);
    WriteFileAtomic(DataFilePath(data_file::kQuantCards), cardBytes);
    return {CountingOutcome::Done, cards.Count()};
}

QuantSums ReadQuantSums() {
    QuantSums s;
    TextReader columnText;
    columnText.OpenOrThrow(DataFilePath(data_file::kQuantColumns));
    s.columns = ReadQuantColumns(columnText);
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

CountingResult SumSquaredDeviations(const CategoryGrid& grid, Progress& progress) {
    std::vector<int32_t> fields = LoadQuantitativeGrid(DataFilePath(data_file::kQuantGrid));
    // The columns and means are those of the sums this pass goes with.
    const QuantSums sums = ReadQuantSums();
    const size_t width = sums.columns.size() + 1;
    const int q = sums.variables;
    fields.resize(size_t(q), 0);

    QuantCards cards(grid, sums.columns, fields, progress);
    std::vector<double> mean(sums.sum.size()), squares(sums.sum.size(), 0.0);
    for (size_t i = 0; i < mean.size(); ++i)
        mean[i] = double(sums.sum[i]) / double(sums.count[i] == 0 ? 1 : sums.count[i]);
    cards.ForEach([&](const uint16_t* card, const size_t* trueColumns, size_t n) {
        for (int v = 0; v < q; ++v) {
            int64_t x;
            if (sums.count[size_t(v) * width] < 0 || !cards.Value(v, card, x)) continue;
            for (size_t k = 0; k < n; ++k) {
                size_t i = size_t(v) * width + trueColumns[k];
                double d = double(x) - mean[i];
                squares[i] += d * d;
            }
        }
    });

    std::string bytes;
    for (double d : squares) AppendF64(bytes, d);
    WriteFileAtomic(DataFilePath(data_file::kQuantSquares), bytes);
    return {CountingOutcome::Done, cards.Count()};
}

}  // namespace

CountingResult RunCountingPass(int passCode, Progress& progress) {
    CurrentCardKeeper keeper;
    switch (passCode) {
        case kCategoryCountPass:
            return RunOnGrid({data_file::kCountTable},
                             [&](CategoryGrid& grid) { return CountCategories(grid, progress); });
        case kQuantitySumPass:
            return RunOnGrid({data_file::kQuantColumns, data_file::kQuantSums, data_file::kQuantCards},
                             [&](CategoryGrid& grid) { return SumQuantities(grid, progress); });
        case kSquaredDeviationPass:
            return RunOnGrid({data_file::kQuantSquares},
                             [&](CategoryGrid& grid) { return SumSquaredDeviations(grid, progress); });
        default:
            return {CountingOutcome::NoPass, {}};
    }
}

std::vector<int32_t> ReadQuantColumns(TextReader& columnText) {
    std::vector<int32_t> columns;
    while (!columnText.Eof() && int(columns.size()) < kMaxGridLines) {
        const std::string line = columnText.ReadLine();
        char* end = nullptr;
        const long v = std::strtol(line.c_str(), &end, 10);
        columns.push_back(end != line.c_str() && v >= INT32_MIN && v <= INT32_MAX ? int32_t(v) : 0);
    }
    return columns;
}

CountingResult RunQuantitativePasses(Progress& progress) {
    CoreState.CommandCode = kQuantitySumPass;
    CountingResult r = RunCountingPass(kQuantitySumPass, progress);
    if (r.Outcome != CountingOutcome::Done) return r;
    CoreState.CommandCode = kSquaredDeviationPass;
    return RunCountingPass(kSquaredDeviationPass, progress);
}

}  // namespace qv
