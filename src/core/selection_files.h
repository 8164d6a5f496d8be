#pragma once
#include <cstdint>
#include <string>

#include "core/core_state.h"

namespace qv {

// What a search leaves behind: the card selection, the counters gathered while it ran and the
// conditions that produced it, with the two files that keep them per station or under a name
// the user chose.

// Territory codes of the statistics file: counters 0..8101 of each table.
constexpr int kStatisticsTerritoryCodes = 8101;
// First category counter of a statistics table; it holds the total of the table.
constexpr int kStatisticsCategoryBase = 8151;
constexpr int kStatisticsCategoryCounters = 4000;
constexpr int kStatisticsFileSize = 226725;
// The year tail (StatisticsYearTail) follows those parts, so a station that reads only them
// reads them as ever.
constexpr int kStatisticsYearTailBytes = 3 * kYearTailSlots * kYearTailCountersPerField * 4;

// Counters of a date field's year word (the year - 1900) in StatisticsTables: 1..109.
constexpr int kYearCountersShown = 109;
// The tail slot of a date field: its place among the date fields that have counters, in field
// order; -1 for any other field and past kYearTailSlots.
int YearTailSlot(int field);
// The tail counter of a year word the field's counters do not hold: 0 for 1900, 1..100 for
// 2010-2109, 101 for later years; -1 for 1901-2009 and for years before 1900.
int YearTailCounter(int yearWord);
// Entry of StatisticsYearTail for counter k of a field's slot.
constexpr size_t YearTailEntry(int slot, int k) {
    return size_t(slot) * kYearTailCountersPerField + size_t(k);
}

// Mark closing each section of the criteria file (bytes 02 1F 0A FA).
constexpr int32_t kSectionMark = -99999998;

// Card c at bit 0x80 >> (c % 8) of byte c / 8 of the mask; false for a negative number and for
// one past the end of the mask. Inline: the passes over the selection ask it for every card.
inline bool IsCardSelected(int64_t card) {
    if (card < 0 || card / 8 >= kSelectionMaskBytes) return false;
    return (CardSelectionMask[size_t(card / 8)] & (0x80 >> (card % 8))) != 0;
}
// Puts card c in the selection or takes it out; a card outside the mask is ignored.
inline void SetCardSelected(int64_t card, bool selected) {
    if (card < 0 || card / 8 >= kSelectionMaskBytes) return;
    uint8_t& byte = CardSelectionMask[size_t(card / 8)];
    const uint8_t bit = uint8_t(0x80 >> (card % 8));
    byte = selected ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
}

// Clears the counters; level 2 or more also clears the card selection.
void ClearStatistics(int level);
// A name not greater than "!" names no file: loading then only clears, saving writes nothing.
// A missing file counts as empty unless `required` (a file the user chose): then a file that
// cannot be read raises IoError and the statistics and the selection stay as they were.
void LoadStatistics(const std::string& name, bool required = false);
void SaveStatistics(const std::string& name);

void ClearSearchCriteria();
// As LoadStatistics: with `required` an unreadable file raises and the criteria stay.
void LoadSearchCriteria(const std::string& name, bool required = false);
void SaveSearchCriteria(const std::string& name);

bool NamesFile(const std::string& name);

// The flag of territory code 1..TerritoryCount in TerritorySelection (code j at j - 1); null for
// any other code, so a number from a file or from typing never lands outside the table.
uint8_t* TerritoryFlag(int code);

// Whether some territory code is chosen in TerritorySelection, and whether a territorial field
// (type 3) is in the conditions. The selection tests the territory only when both hold: a
// rebuilt definition chooses every territory, and must not reject every card of a search that
// names no place.
bool TerritoriesChosen();
bool TerritorialFieldInCondition();
// The field a territory choice made for the search stands for: the current field when it is
// territorial, else the first territorial field; 0 when the archive has none.
int TerritoryConditionField();
// Puts that field in the conditions when some territory is chosen, takes it out otherwise.
void MarkTerritoryCondition();

}  // namespace qv
