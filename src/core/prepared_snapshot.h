#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/text_file.h"

// The quick analyses read the files prepared from the archive as it was then. When the cards
// have changed since, the quick hub, every quick report and the map window say what the files
// were prepared from; nothing is refused. The matrix also holds one area per line of the quick
// grid and per additional variable: counted under the lines of another grid, every figure
// would stand under the wrong label, so those are refused.

namespace qv {

struct PreparedSnapshot {
    bool Changed = false;    // another last-card index, or card files written after the preparation
    int32_t Cards = 0;       // the cards prepared
    int64_t PreparedAt = 0;  // the modification time of "dli-dat.dat", in ns since the epoch
};

// nullopt when the archive has no prepared files ("dli-dat.dat" of 4 bytes).
std::optional<PreparedSnapshot> ReadPreparedSnapshot();

// "dd/mm/yyyy" of a modification time, in local time.
std::string LocalDateOf(int64_t nanoseconds);

// The notice of a snapshot the archive has moved on from: the cards and the date the files
// were prepared from; empty when the files are as the archive (or there are none).
std::string PreparedSnapshotNotice();
// A quick report's first lines: the notice and an empty line, when there is a notice.
void StartWithSnapshotNotice(TextBuilder& out);

// What the matrix areas were built from, "grf-dat.dat": the fingerprints (FileFingerprint, two
// signed 32-bit values) of the quick grid "grl-dat.txt" at "Matrice" and of the additional
// variables "agg-dat.txt" at their last build (that of no file after "Matrice", which drops
// them). 0 is not checked: matrices prepared without the record stay usable.
enum class PreparedGrid { Unrecorded, Same, Changed };
PreparedGrid ComparePreparedGrid(bool withAdditional = true);
// The record of a matrix built now from the quick grid as it is, without additional variables.
std::string NewPreparedGridRecord();
// Records that the additional variables were built from "agg-dat.txt" as it is now (nothing
// for a matrix prepared without the record).
void RecordAdditionalVariables();
// Before a job reads the matrix areas by the quick lines as they are now: raises the
// input/output error, with words that say what to press, when no matrix was prepared or it
// was prepared from another grid (or, `withAdditional`, other additional variables).
void RequirePreparedGrid(bool withAdditional = true);
// The words of a matrix prepared from another grid.
std::string PreparedGridChangedText();

}  // namespace qv
