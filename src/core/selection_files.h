#pragma once
#include <cstdint>
#include <string>

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

// Mark closing each section of the criteria file (bytes 02 1F 0A FA).
constexpr int32_t kSectionMark = -99999998;

// False for a negative number and for one past the end of the selection mask.
bool IsCardSelected(int32_t card);

// Clears the counters; level 2 or more also clears the card selection.
void ClearStatistics(int level);
// A name not greater than "!" names no file: loading then only clears, saving writes nothing.
void LoadStatistics(const std::string& name);
void SaveStatistics(const std::string& name);

void ClearSearchCriteria();
void LoadSearchCriteria(const std::string& name);
void SaveSearchCriteria(const std::string& name);

bool NamesFile(const std::string& name);

// The flag of territory code 1..TerritoryCount in TerritorySelection (code j at j - 1); null for
// any other code, so a number from a file or from typing never lands outside the table.
uint8_t* TerritoryFlag(int code);

}  // namespace qv
