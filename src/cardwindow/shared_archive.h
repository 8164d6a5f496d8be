#pragma once
#include <cstdint>

namespace qv {

// The shared archive named by the first line of the open archive's "inf-serv.imp": a station
// that works on a copy of it hands the cards it added over when the program is left.

// True when "inf-serv.imp" of the archive directory opens.
bool SharedArchiveConfigured();

enum class SyncOutcome {
    NoSharedArchive,  // no directory named, or no "dli-sch.dat" there: nothing was touched
    NothingToCopy,    // the shared archive holds as many cards as this one
    Copied,           // the cards above the shared archive's last card were appended
    SharedHasMore,    // the shared archive holds more cards: this station's cards were not copied
};

struct SyncResult {
    SyncOutcome outcome = SyncOutcome::NoSharedArchive;
    int32_t localLast = -1;   // last card of this archive
    int32_t sharedLast = -1;  // last card of the shared archive before the copy
};

// Copies the cards numbered above the shared archive's last card (this station's additions,
// since this archive began as a copy of the shared one) to the same numbers there, while
// holding the lock on the shared "dli-sch.dat". Their notes are chained anew in the shared
// "not-sch.dat". Block by block, the notes records are written first, then the cards' text and
// numeric records, then the shared index is raised to the block's last card; the index is
// never lowered. Sets CoreState.OtherArchiveDir. Raises IoError on any failure; the shared
// index then counts the blocks copied whole and no half-copied card.
SyncResult SyncToServerArchive();

}  // namespace qv
