#pragma once
#include <cstdint>

namespace qv {

class CrashSafeArchiveReplacement;

// The shared archive named by the first line of the open archive's "inf-serv.imp": a station
// that works on a copy of it hands the cards it added over when the program is left.

// True when "inf-serv.imp" of the archive directory is there; one that fails to open raises.
bool SharedArchiveConfigured();

enum class SyncOutcome {
    NoSharedArchive,  // no directory named, or no "dli-sch.dat" there: nothing was touched
    NothingToCopy,    // every card this station added is in the shared archive
    Copied,           // this station's new cards were appended after the shared archive's last
    CannotTell,       // which cards this station added is unknown: nothing was written
};

struct SyncResult {
    SyncOutcome outcome = SyncOutcome::NoSharedArchive;
    int32_t localLast = -1;   // last card of this archive
    int32_t sharedLast = -1;  // last card of the shared archive before the copy
    int32_t copied = 0;       // cards appended to the shared archive
    int32_t inQuestion = 0;   // CannotTell: this archive's cards that may be this station's
};

// Appends to the shared archive, after its last card, every card of this archive that was
// added here since the archive was copied from the shared one or since the last copy, each
// once, while holding the lock on the shared "dli-sch.dat". Their notes are chained anew in the
// shared "not-sch.dat".
//
// Which cards are this station's is kept in "inv-serv.dat" of this archive: the last local card
// handed over and the shared number it took, plus, while a copy is under way, the cards being
// copied and the shared last card they follow. That record is on disk before the shared index
// is raised, so the next copy after a crash or a failure recognises cards that already arrived
// (by comparing them) and never appends them twice. Without a usable record, the cards above
// the shared archive's last card are this station's when the local card at that number equals
// the shared one (this archive began as its copy); otherwise the copy answers CannotTell. A
// record that counts more cards than either archive holds is not used. Cards compare by their
// text and numeric records, the notes head aside.
//
// Sets CoreState.OtherArchiveDir. Raises IoError on any failure; the shared index then still
// counts none of the cards being copied.
SyncResult SyncToServerArchive();

// Drops the record of what was copied with the commit of a job that replaces this archive's
// cards: the next copy compares again. A job that fails or is rolled back keeps it.
void ForgetSharedCopy(CrashSafeArchiveReplacement& commit);

}  // namespace qv
