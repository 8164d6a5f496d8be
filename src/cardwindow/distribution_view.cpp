#include "cardwindow/distribution_view.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cardwindow/range_check.h"
#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kColumnsText = 33;
constexpr int kCountedText = 28;
constexpr int kMinimumText = 29;
constexpr int kMaximumText = 30;
constexpr int kSumText = 31;
constexpr int kMeanText = 32;

constexpr int kLabelColumns = 60;
constexpr int kNumberColumns = 10;
constexpr int kSplitLabelChars = 10;
constexpr int kMaxTables = 3;
// Counters a field's value can name: entry kStatisticsCategoryBase + k, k = 1 .. 3999 (k = 0 is
// the table's total).
constexpr int kValueCounters = kStatisticsCounters - kStatisticsCategoryBase;
constexpr int kTerritoryCounters = kStatisticsCategoryBase - 1;
constexpr int kLastPercentClass = 100;
constexpr int kNumericSummaries = 999;

using RowValues = std::array<int64_t, kMaxTables>;

// The statistics hold three tables: at most two split columns.
int TableCount() {
    return 1 + std::clamp(CoreState.SplitCategoryCount, 0, kMaxTables - 1);
}

int32_t Total(int table) {
    return StatisticsTables[size_t(table)][kStatisticsCategoryBase];
}

int32_t ValueCounter(int table, int k) {
    if (k < 1 || k >= kValueCounters) return 0;
    return StatisticsTables[size_t(table)][size_t(kStatisticsCategoryBase + k)];
}

int32_t TerritoryCounter(int table, int code) {
    if (code < 1 || code > kTerritoryCounters) return 0;
    return StatisticsTables[size_t(table)][size_t(code)];
}

std::string Fixed2(double v, int width) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*.2f", width, v);
    return buffer;
}

// A label, then blanks up to column 60; a label that fills the 60 columns still gets one blank
// so that it never runs into the first count.
std::string LabelColumn(const std::string& label) {
    return label + std::string(size_t(std::max<int>(1, kLabelColumns - int(label.size()))), ' ');
}

class DistributionReport {
  public:
    explicit DistributionReport(int tables) : tables_(tables) {}

    const std::string& Text() const { return text_; }

    void Heading() {
        Put(std::string(kLabelColumns, ' ') + LoadText(kColumnsText));
        const int split = CoreState.SplitField;
        for (int t = 1; t < tables_; ++t) {
            std::string label;
            if (split >= 1 && split <= kMaxFields) label = CategoryLabel(split, t, CategoryOutOfRange::Empty);
            label = label.substr(0, kSplitLabelChars);
            Put(std::string(size_t(kNumberColumns) - label.size(), ' ') + label);
        }
        EndLine();
        EndLine();
    }

    // One row: its label column, the count of every table, then the percentages.
    void Row(const std::string& labelColumn, const RowValues& values) {
        Put(labelColumn);
        for (int t = 0; t < tables_; ++t) Put(RightAligned(values[size_t(t)], kNumberColumns));
        WritePercentages(values);
    }

    // Each table's value as a share of that table's cards; a table without cards shows the
    // value itself.
    void WritePercentages(const RowValues& values) {
        for (int t = 0; t < tables_; ++t) {
            const int32_t total = Total(t);
            const double v = double(values[size_t(t)]);
            Put(Fixed2(total != 0 ? v / double(total) * 100.0 : v, kNumberColumns));
        }
        Put("%");
        EndLine();
    }

    void WriteDistributionFooter() {
        Put(std::string(kLabelColumns, ' '));
        for (int t = 0; t < tables_; ++t) Put(" _________");
        EndLine();
        EndLine();
        Put(std::string(kLabelColumns, ' '));
        for (int t = 0; t < tables_; ++t) Put(RightAligned(Total(t), kNumberColumns));
        EndLine();
    }

    void WriteNumericFieldSummary(int field) {
        const int index = FieldNumericIndex[size_t(field)];
        int32_t maximum = kNoMaximum, minimum = kNoMinimum, count = 0, sum = 0;
        if (index >= 1 && index <= kNumericSummaries) {
            maximum = NumericFieldSummary[size_t(index)];
            minimum = NumericFieldSummary[size_t(1000 + index)];
            count = NumericFieldSummary[size_t(2000 + index)];
            sum = NumericFieldSummary[size_t(3000 + index)];
        }
        Line(RightAligned(count, kNumberColumns) + LoadText(kCountedText));
        if (minimum < kNoMinimum) Line(RightAligned(minimum, kNumberColumns) + LoadText(kMinimumText));
        if (maximum > kNoMaximum) Line(RightAligned(maximum, kNumberColumns) + LoadText(kMaximumText));
        Line(RightAligned(sum, kNumberColumns) + LoadText(kSumText));
        const double mean = count > 0 ? double(sum) / double(count) : 0.0;
        Line(Fixed2(mean, kNumberColumns) + LoadText(kMeanText));
    }

    void Categories(int field) {
        const int categories = FieldCategoryCount(field);
        for (int c = 1; c <= categories; ++c) {
            const int k = FieldStatisticsIndex[size_t(field)] + c - 1;
            if (ValueCounter(0, k) <= 0) continue;
            RowValues values{};
            for (int t = 0; t < tables_; ++t) values[size_t(t)] = ValueCounter(t, k);
            Row(LabelColumn(CategoryLabel(field, c, CategoryOutOfRange::Empty)), values);
        }
    }

    // Counters first..last of the field taken in classes of `width`; each class is labelled by
    // its first and last offset.
    void Classes(int field, int first, int last, int width) {
        const int base = FieldStatisticsIndex[size_t(field)];
        OffsetClasses(first, last, width, [&](int t, int offset) { return ValueCounter(t, base + offset); });
    }

    // The years of a date field past its counters, after them: 1900 (offset 0), 2010-2109
    // (offsets 110-209) in classes of `width`, and the later years in one row.
    void YearTail(int field, int width) {
        const int slot = YearTailSlot(field);
        if (slot < 0) return;
        auto counter = [&](int t, int offset) {
            const int k = YearTailCounter(offset);
            return k < 0 ? 0 : StatisticsYearTail[size_t(t)][YearTailEntry(slot, k)];
        };
        OffsetClasses(0, 0, 1, counter);
        const int later = kYearCountersShown + kYearTailCountersPerField - 1;
        OffsetClasses(kYearCountersShown + 1, later - 1, width, counter);
        RowValues sums{};
        for (int t = 0; t < tables_; ++t) sums[size_t(t)] = counter(t, later);
        if (sums[0] > 0)
            Row(std::string(41, ' ') + RightAligned(later, 3) + " -    " + std::string(10, ' '), sums);
    }

    void Municipalities(const std::vector<int>& starts) {
        const int province = CoreState.ProvinceIndex;
        if (province < 0 || size_t(province) + 1 >= starts.size()) return;
        const int first = std::max(1, starts[size_t(province)]);
        const int last = std::min({starts[size_t(province) + 1] - 1, TerritoryCount, kTerritoryCounters});
        for (int code = first; code <= last; ++code) {
            if (TerritoryCounter(0, code) <= 0) continue;
            RowValues values{};
            for (int t = 0; t < tables_; ++t) values[size_t(t)] = TerritoryCounter(t, code);
            Row(LabelColumn(ComuneName(code)), values);
        }
    }

  private:
    template <typename Counter>
    void OffsetClasses(int first, int last, int width, Counter&& counter) {
        for (int from = first; from <= last; from += width) {
            const int to = std::min(last, from + width - 1);
            RowValues sums{};
            for (int offset = from; offset <= to; ++offset)
                for (int t = 0; t < tables_; ++t) sums[size_t(t)] += counter(t, offset);
            if (sums[0] <= 0) continue;
            Row(std::string(41, ' ') + RightAligned(from, 3) + " - " + RightAligned(to, 3) +
                    std::string(10, ' '),
                sums);
        }
    }

    void Put(const std::string& s) { text_ += s; }
    void EndLine() { text_ += "\r\n"; }
    void Line(const std::string& s) {
        Put(s);
        EndLine();
    }

    int tables_;
    std::string text_;
};

}  // namespace

int DistributionField(int field) {
    if (field < 1 || field > kMaxFields || FieldTypes[size_t(field)] != FieldType::kFurtherAnswer)
        return field;
    for (int f = field; f >= 1; --f)
        if (FieldTypes[size_t(f)] == FieldType::kCoded) return f;
    return field;
}

std::vector<int> ReadProvinceStarts() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kProvinceStarts));
    std::vector<int> starts;
    while (!in.Eof() && int(starts.size()) < kDistributionProvinces)
        starts.push_back(LeadingCode(in.ReadLine(255).substr(0, 4)));
    starts.push_back(TerritoryCount + 1);
    return starts;
}

void WriteFieldDistribution() {
    const int field = DistributionField(CoreState.CurrentField);
    // A field number outside the definition has no counters: it is reported like a text.
    const FieldType type = TypeOrNone(field);
    std::vector<int> starts;
    if (type == FieldType::kMunicipality) starts = ReadProvinceStarts();

    DistributionReport report(TableCount());
    if (type == FieldType::kNumber || type == FieldType::kNumber32) {
        report.WriteNumericFieldSummary(field);
    } else {
        report.Heading();
        // A class width of 0 would never advance.
        const int width = std::max(1, CoreState.ClassWidth);
        switch (type) {
            case FieldType::kCoded:
                report.Categories(field);
                break;
            case FieldType::kDate:
                report.Classes(field, 1, kYearCountersShown, width);
                report.YearTail(field, width);
                break;
            case FieldType::kPercent:
                report.Classes(field, 0, kLastPercentClass, width);
                break;
            case FieldType::kMunicipality:
                report.Municipalities(starts);
                break;
            default:
                break;
        }
        if (type == FieldType::kCoded || type == FieldType::kDate || type == FieldType::kMunicipality ||
            type == FieldType::kPercent)
            report.WriteDistributionFooter();
    }
    WriteFileAtomic(DataFilePath(data_file::kReport), report.Text());
}

}  // namespace qv
