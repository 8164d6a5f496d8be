#pragma once
#include <cstdint>
#include <string>

#include "platform/progress.h"

// Merged lists over several archives. Each pass writes the selected cards of the open archive,
// grouped as the list engine groups them and each preceded by a key line ("*", the card's two
// group values, a blank and the number of lines of its block), into "Scheda.1" .. "Scheda.9" of the program
// directory; "mrg-sch.dat" (one signed 16-bit record) counts the files written since the first pass. The join
// interleaves the files by key into "mrg-list.txt" of the archive open at that moment. The passes order the
// cards of a group by card number, or by the order index of CoreState.ListOrderField when
// CoreState.MergeListAlphabetic is 1.

namespace qv {

constexpr int kMaxMergeFiles = 9;

enum class MergePassOutcome {
    Done,
    NoGroupField,       // both group fields are 0: nothing touched
    NoMorePasses,       // nine files already written: nothing touched
    OrderIndexMissing,  // alphabetical pass without the order index: nothing touched
};

// "Primo": the counter restarts at 0, then the first pass runs.
MergePassOutcome RunFirstMergePass(Progress& progress);
// "Successivo": the next pass, while fewer than nine files were written. Raises the
// input/output error when the counter file is missing.
MergePassOutcome RunNextMergePass(Progress& progress);

// The counter of "mrg-sch.dat"; 0 when the file does not open.
int ReadMergeCounter();
// "Scheda." and the file's digit in the program directory.
std::string MergeIntermediatePath(int number);

enum class MergeJoinOutcome { Done, NoFiles };
// "Unisce": reports the number of card blocks copied so far through progress.SetPosition.
// Raises the input/output error when an intermediate file does not open.
MergeJoinOutcome JoinMergedLists(Progress& progress);

}  // namespace qv
