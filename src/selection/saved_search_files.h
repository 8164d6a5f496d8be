#pragma once
#include <string>

// The files a search is kept in under a name the user chose, besides the statistics and
// criteria files themselves: the territorial selection ("*.tun", shared with the manual
// territory selection), the territorial distribution ("*.tdt", read by another statistics
// program) and the naming of saved searches and conditions.

namespace qv {

// `chosen` with the extension of its own file name (from its last full stop on) replaced by
// `extension`; a folder's full stop is not an extension. The path is never cut.
std::string SavedSearchFileName(const std::string& chosen, const std::string& extension);

// Replaces TerritorySelection with the runs of a "*.tun" file: pairs of 16-bit words (first,
// last); a pair outside 1 <= first <= last <= TerritoryCount is skipped, an empty file clears
// every code. The file is required: IoError when it cannot be read, and when it ends inside a
// pair (then the selection is left as it was).
void LoadTerritorialSelection(const std::string& path);
// Writes the runs of consecutive selected codes 1..TerritoryCount, ascending.
void SaveTerritorialSelection(const std::string& path);

// Writes the counters of territory codes 1..TerritoryCount of the statistics table chosen by
// CoreState.DistributionTable (0 all selected cards, 1 and 2 the split tables; any other value
// takes table 0), one signed 32-bit integer per code, nothing else.
void SaveTerritorialDistribution(const std::string& path);

}  // namespace qv
