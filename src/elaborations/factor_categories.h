#pragma once
#include <string>

#include "core/core_state.h"
#include "elaborations/factor_files.h"

// The categories a factor analysis can take: the entries of the road's category list, the ones
// the user has chosen, and the ways a choice is saved, recalled ("*.raf") or taken from the row
// categories of a connections report.

namespace qv {

// The road's choice: StandardAfcCategoryFlags or QuickAfcCategoryFlags.
FlagList& AfcFlags(FactorRoad road);

// Entries of the road's category list, at most 4000: standard, the lines of "grl-sch.txt";
// quick, the lines of "grl-dat.txt" and then one per pair of lines of "agg-dat.txt" (a lone
// last line is an entry too). A file that does not open adds nothing.
int CountAfcListEntries(FactorRoad road);

// Set flags among 0..lastLine (none when lastLine is below 0).
int CountChosenAfc(const FlagList& flags, int lastLine);

// Sets flags 0..lastLine.
void ChooseAllAfc(FlagList& flags, int lastLine);

// The choice of flags 0..lastLine as a run list: a pair of 16-bit indexes (first, last) for
// every run of set flags, ascending.
void SaveAfcRunList(const std::string& path, const FlagList& flags, int lastLine);

// Clears flags 0..lastLine and sets the runs of a run list. Runs are cut to the list: indexes
// past lastLine name no entry and are ignored; a pair whose last is below its first sets
// nothing; a trailing odd word is ignored. Raises the input/output error when the file does
// not open (the flags are then already cleared).
void LoadAfcRunList(const std::string& path, FlagList& flags, int lastLine);

// Clears flags 0..lastLine, then reads a connections report saved as text: on every line whose
// columns 18 to 21 read as a whole number v (blanks before it allowed, nothing after), the flag
// of line v (index v - 1) is set when that line is in the list. Answers false when the file does
// not open.
bool ReadConnectionsFile(const std::string& path, FlagList& flags, int lastLine);

}  // namespace qv
