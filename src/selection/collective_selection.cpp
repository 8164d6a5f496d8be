#include "selection/collective_selection.h"

#include <algorithm>
#include <vector>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/selected_cards.h"
#include "core/selection_files.h"
#include "platform/assertion.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

std::string SelectionFileName;

namespace {

constexpr int kTotalEntry = kStatisticsCategoryBase;
constexpr int kYearCounters = 110;  // counters of a date field, offsets 0..109
constexpr int kEmptyPercentClass = 101;
constexpr int32_t kMaskCards = kSelectionMaskBytes * 8;

// Counters wrap like the 32-bit integers they are stored as.
void Add(int32_t& counter, int32_t amount) {
    counter = int32_t(uint32_t(counter) + uint32_t(amount));
}

// One card's numeric part in a scan block, read the way the card store reads the card in hand.
class CardView {
  public:
    CardView(const uint16_t* words, int wordCount) : words_(words), count_(wordCount) {}
    int16_t Word(int position) const {
        return position >= 1 && position <= count_ ? int16_t(words_[position - 1]) : 0;
    }
    int16_t FieldWord(int field) const { return Word(FieldPositions[field]); }
    int32_t Number(int field) const {
        const int p = FieldPositions[field];
        if (p < 1 || p + 1 > count_) return kEmptyNumber;
        return DecodeCardNumber(words_[p - 1], words_[p]);
    }
    // (year - 1900) * 10000 + month * 100 + day.
    int32_t DateKey(int field) const {
        const int p = FieldPositions[field];
        if (p < 1 || p > count_) return 0;
        return int32_t(Word(p + 2)) * 10000 + int32_t(Word(p + 1)) * 100 + Word(p);
    }
    int DateYear(int field) const {
        const int p = FieldPositions[field];
        return p >= 1 && p <= count_ ? Word(p + 2) : 0;
    }

  private:
    const uint16_t* words_;
    int count_;
};

// The tables of one run, built from the archive definition.
struct RunTables {
    std::vector<int> conditionFields;
    std::vector<int> statisticsFields;
    // The last answer field of the multi-answer group a first answer starts.
    std::vector<int> answerGroupEnd = std::vector<int>(kMaxFields + 1, 0);
    std::vector<int> dateFieldOrdinal = std::vector<int>(kMaxFields + 1, 0);
    bool territoryActive = false;
    int territoryStatisticsField = 0;
    int fieldCount = 0;
};

RunTables BuildRunTables() {
    RunTables t;
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    t.fieldCount = std::clamp(CoreState.FieldCount, 0, kMaxFields);
    int head = 0;
    int dates = 0;
    for (int f = 1; f <= t.fieldCount; ++f) {
        const bool inCondition = FieldInCondition[f] != 0;
        const bool statistics = IsStatisticsField(f);
        if (inCondition) t.conditionFields.push_back(f);
        if (statistics) t.statisticsFields.push_back(f);
        switch (FieldTypes[f]) {
            case FieldType::kCoded:
                head = f;
                t.answerGroupEnd[f] = f;
                break;
            case FieldType::kFurtherAnswer:
                if (head > 0 && t.answerGroupEnd[head] == f - 1) t.answerGroupEnd[head] = f;
                break;
            case FieldType::kDate:
                t.dateFieldOrdinal[f] = ++dates;
                break;
            case FieldType::kMunicipality:
                if (statistics && t.territoryStatisticsField == 0) t.territoryStatisticsField = f;
                break;
            default:
                break;
        }
    }
    t.territoryActive = TerritoriesChosen() && TerritorialFieldInCondition();
    return t;
}

// Whether code v of a field that uses `listField`'s categories is wanted.
bool CategoryIsWanted(int listField, int v) {
    if (v < 1 || v > FieldCategoryCount(listField)) return false;
    const int slot = FieldFirstCategory[listField] + v - 1;
    return slot >= 1 && slot <= kCategorySlots && CategoryWanted[size_t(slot)] != 0;
}

bool CardMatchesConditions(const RunTables& t, const CardView& card) {
    bool territory = false;
    for (int f : t.conditionFields) {
        const FieldType type = FieldTypes[f];
        bool result;
        switch (type) {
            case FieldType::kCoded: {
                // Every answer of the group is coded with the first field's categories; any
                // answer in the condition may hold a wanted one.
                result = false;
                for (int g = f; g <= t.answerGroupEnd[f] && !result; ++g)
                    result = FieldInCondition[g] != 0 && CategoryIsWanted(f, card.FieldWord(g));
                break;
            }
            case FieldType::kDate: {
                const int ordinal = t.dateFieldOrdinal[f];
                if (ordinal < 1 || ordinal > kDateConditionSlots) continue;  // no place for its bounds
                result = DateInRange(ordinal, card.DateKey(f));
                break;
            }
            case FieldType::kMunicipality: {
                const int v = card.FieldWord(f);
                if (v == 0) territory = false;
                const uint8_t* flag = TerritoryFlag(v);
                if (flag && *flag) territory = true;
                if (FieldConditionSense[f] == 0) territory = !territory;
                continue;
            }
            case FieldType::kNumber:
            case FieldType::kTime:
            case FieldType::kPercent: {
                // An empty word is as empty as a missing 32-bit number.
                const int16_t v = card.FieldWord(f);
                result = ValueInRange(FieldNumericIndex[f], v == kEmptyShort ? kEmptyNumber : v);
                break;
            }
            case FieldType::kNumber32:
                result = ValueInRange(FieldNumericIndex[f], card.Number(f));
                break;
            default:
                continue;
        }
        if (FieldConditionSense[f] == 0) result = !result;
        if (!result) return false;
    }
    return !(t.territoryActive && !territory);
}

// Entry of counter c of a field in a statistics table; 0 when it falls outside the field
// counters (it would land on the total or past the table).
int CounterEntry(int field, int c, int limit) {
    const int relative = FieldStatisticsIndex[field] + c;
    if (relative < 1 || relative > limit) return 0;
    return kTotalEntry + relative;
}

void AccumulateSearchStatistics(const RunTables& t, const CardView& card) {
    int32_t w = 1;
    const int weightField = CoreState.StatisticsField;
    if (weightField > 0) {
        w = 0;
        if (weightField <= kMaxFields) {
            // An empty weight weighs nothing; its empty mark is no quantity.
            const FieldType type = FieldTypes[weightField];
            if (type == FieldType::kCoded || type == FieldType::kNumber) {
                const int16_t v = card.FieldWord(weightField);
                w = v > kEmptyShort ? v : 0;
            }
            if (type == FieldType::kNumber32) {
                const int32_t v = card.Number(weightField);
                w = v > kEmptyNumber ? v : 0;
            }
        }
    }
    int s = 0;
    if (CoreState.SplitField > 0 && CoreState.SplitField <= kMaxFields) {
        s = card.FieldWord(CoreState.SplitField);
        if (s < 0 || s > CoreState.SplitCategoryCount) s = 0;
    }
    // Only codes 1 and 2 have a split table.
    const bool split = s == 1 || s == 2;
    auto count = [&](int entry, int32_t amount) {
        if (entry <= 0) return;
        Add(StatisticsTables[0][size_t(entry)], amount);
        if (split) Add(StatisticsTables[size_t(s)][size_t(entry)], amount);
    };
    count(kTotalEntry, w);

    for (int f : t.statisticsFields) {
        const int index = FieldNumericIndex[f];
        auto summarise = [&](int32_t v) {
            if (index < 1 || index > kNumericConditionSlots) return;
            int32_t& maximum = NumericFieldSummary[size_t(index)];
            int32_t& minimum = NumericFieldSummary[size_t(1000 + index)];
            maximum = std::max(maximum, v);
            minimum = std::min(minimum, v);
            Add(NumericFieldSummary[size_t(2000 + index)], 1);
            Add(NumericFieldSummary[size_t(3000 + index)], v);
        };
        switch (FieldTypes[f]) {
            case FieldType::kCoded:
            case FieldType::kFurtherAnswer: {
                const int v = card.FieldWord(f);
                if (v >= 1 && v <= FieldCategoryCount(f))
                    count(CounterEntry(f, v - 1, kCategorySlots - 2), w);
                break;
            }
            case FieldType::kDate: {
                // Offsets 1..109: offset 110 would be the next field's first counter. The
                // other years of a date go to the field's year tail, so no date is dropped.
                const int y = card.DateYear(f);
                if (y >= 1 && y < kYearCounters) {
                    count(CounterEntry(f, y, kCategorySlots - 1), w);
                } else if (card.DateKey(f) != 0) {
                    const int slot = YearTailSlot(f), k = YearTailCounter(y);
                    if (slot < 0 || k < 0) break;
                    Add(StatisticsYearTail[0][YearTailEntry(slot, k)], w);
                    if (split) Add(StatisticsYearTail[size_t(s)][YearTailEntry(slot, k)], w);
                }
                break;
            }
            case FieldType::kMunicipality:
                if (f == t.territoryStatisticsField) {
                    const int u = card.FieldWord(f);
                    if (u >= 1 && u <= std::min(TerritoryCount, kStatisticsTerritoryCodes)) count(u, w);
                }
                break;
            case FieldType::kNumber: {
                const int16_t v = card.FieldWord(f);
                if (v > kEmptyShort) summarise(v);
                break;
            }
            case FieldType::kPercent: {
                const uint16_t word = uint16_t(card.FieldWord(f));
                int k = word == kEmptyWord ? kEmptyPercentClass : int16_t(word) / 100;
                // Class 102 would be the next field's first counter.
                if (k < 0 || k >= kPercentCounters) k = 0;
                count(CounterEntry(f, k, kCategorySlots - 1), 1);
                break;
            }
            case FieldType::kNumber32: {
                const int32_t v = card.Number(f);
                if (v > kEmptyNumber) summarise(v);
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace

bool DateInRange(int ordinal, int32_t key) {
    if (ordinal < 1 || ordinal > kDateConditionSlots) return false;
    const int32_t from = DateConditionFrom[size_t(ordinal)];
    const int32_t to = DateConditionTo[size_t(ordinal)];
    if (from == 0 && to > 0) return key <= to;
    if (from > 0 && to == 0) return key >= from;
    if (from > 0 && to > 0) return from <= key && key <= to;
    return false;
}

bool ValueInRange(int index, int32_t value) {
    if (index < 1 || index > kNumericConditionSlots) return false;
    const int32_t low = NumericConditionLow[size_t(index)];
    const int32_t high = NumericConditionHigh[size_t(index)];
    // Any other value is a bound, however low: a field's values run below -9999999 too.
    const bool hasLow = low != kEmptyNumber, hasHigh = high != kEmptyNumber;
    if (!hasLow && !hasHigh) return false;
    if (hasLow && (value == kEmptyNumber || value < low)) return false;
    return !hasHigh || value <= high;
}

uint8_t ReverseBitOrder(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1u << i)) r = uint8_t(r | (0x80u >> i));
    return r;
}

uint8_t AdjustLastSelectionByte(uint8_t b, int32_t cardCount) {
    const int used = cardCount % 8;
    if (cardCount <= 0 || used == 0) return b;
    return uint8_t(b & (0xFF00u >> used));
}

void ReadSiblingSelection(const std::string& path) {
    const std::string bytes = ReadFileOrThrow(path);
    const int32_t cardCount = CardFiles::Current().CountCards().last + 1;
    const size_t n = std::min(bytes.size(), CardSelectionMask.size());
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = ReverseBitOrder(uint8_t(bytes[i]));
        // Only the byte that holds the archive's last card has bits for cards that do not exist.
        if (i + 1 == bytes.size() && cardCount > 0 && int64_t(i) == (int64_t(cardCount) - 1) / 8)
            b = AdjustLastSelectionByte(b, cardCount);
        CardSelectionMask[i] = b;
    }
}

void RunCollectiveSelection(SelectionCombination combination, Progress& progress) {
    // Cards past the mask's capacity cannot be selected, so they are not read.
    const int32_t last = std::min(CoreState.LastCard, kMaskCards - 1);
    progress.SetMaximum(std::max(CoreState.LastCard, 1));

    const RunTables tables = BuildRunTables();
    switch (combination) {
        case kFirstSearch:
            ClearStatistics(2);
            break;
        case kOrSavedSearch:
        case kAndSavedSearch:
            LoadStatistics(SelectionFileName + ".STA", true);
            ClearStatistics(1);
            break;
        case kSiblingSelection:
            ClearStatistics(1);
            break;
        default:
            break;
    }

    const int wordCount = CurrentCardGeometry().wordCount;
    ForEachCardBlock(last, [&](int32_t first, int32_t count, int32_t found, const uint16_t* block) {
        for (int32_t k = 0; k < found; ++k) {
            const int32_t n = first + k;
            progress.SetPosition(n);
            const CardView card(block + size_t(k) * size_t(wordCount), wordCount);
            const bool old = IsCardSelected(n);
            SetCardSelected(n, false);
            bool selected = false;
            switch (combination) {
                case kFirstSearch:
                    selected = CardMatchesConditions(tables, card);
                    break;
                case kOrSavedSearch:
                    selected = old || CardMatchesConditions(tables, card);
                    break;
                case kAndSavedSearch:
                    selected = old && CardMatchesConditions(tables, card);
                    break;
                case kSiblingSelection:
                    selected = old;
                    break;
                default:
                    break;
            }
            if (selected) {
                AccumulateSearchStatistics(tables, card);
                SetCardSelected(n, true);
            }
        }
        if (found < count) ThrowIo(kReadPastEnd, DataFilePath(data_file::kCardValues));
    });
}

}  // namespace qv
