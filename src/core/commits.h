#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How this program changes files so that a failure never leaves them half written. Each
// mechanism promises something different; use the one whose promise the data needs:
//
// - WriteFileAtomic (platform/file_io.h): one file rewritten whole. A failure leaves the old
//   file; a crash leaves the old file or the new one.
// - FilesReplacedOrPutBack (platform/file_io.h): several files replaced together. A failure
//   puts the old ones back before it raises; a crash in the middle of the renames can leave some
//   of each, and nothing settles them later. For station files (map options, the rescaled base).
// - CrashSafeArchiveReplacement (here): files of an archive, with its last-card index and its
//   definition tables, replaced together or not at all, even across a crash. A failure rolls the
//   job back before it returns (or, when that fails too, makes the archive read-only for the
//   session); the next opening finishes or rolls back what a crash left. For the archive-wide
//   jobs: import, recoding, reordering, merge, and the quick preparation's files.
// - CrashSafeRecordEdit (here): records changed in place inside existing files, whole or not at
//   all, even across a crash. A failure leaves the old records, or (when they cannot be put
//   back) makes the archive read-only and the next opening completes the edit. For editing a
//   card and its notes.
//
// Both crash-safe ones are settled by RecoverArchive when the archive is next opened.

// CrashSafeArchiveReplacement: several files of an archive replaced (or removed) as one step: a
// rebuilt pair of card files, or declarations together with the cards recoded for them. The new files
// are written beside the old ones under temporary names; Commit then writes and syncs a marker
// naming every rename (with the size and modification time of each new file and of the file it
// replaces, and the last-card index before and after), keeps a second link to each old file,
// does the renames, sets the index and removes the marker, then the old files.
//
// A job that fails after the marker is on disk is rolled back before Commit returns, and says
// so; when even that fails, the archive is read-only for the rest of the session and the marker
// stays. The next opening finishes a marker only when every file is as the job
// left it, and otherwise rolls it back, so cards stored since are never overwritten by a late
// finish. While a marker is pending no card is stored (see RefusePendingCommits).

namespace qv {

class CrashSafeArchiveReplacement {
  public:
    explicit CrashSafeArchiveReplacement(std::string archiveDir);
    // Removes the staged files of a commit that did not happen.
    ~CrashSafeArchiveReplacement();
    CrashSafeArchiveReplacement(const CrashSafeArchiveReplacement&) = delete;
    CrashSafeArchiveReplacement& operator=(const CrashSafeArchiveReplacement&) = delete;

    // An empty temporary file beside `target` (a file of the archive directory) that replaces
    // it at Commit. Raises the input/output error.
    std::string Stage(const std::string& target);
    // The same, holding a copy of `target` to be changed.
    std::string StageCopy(const std::string& target);
    // `target` removed at Commit with the renames, and put back by a rollback; whatever was
    // staged for it is dropped. Nothing when it is not there.
    void Remove(const std::string& target);
    // Sets the last-card index file to `last` after the renames.
    void SetLastCard(const std::string& indexPath, int32_t last);
    // Syncs the staged files and replaces the targets; `build` (the compiled definition tables
    // built anew from replaced declarations) runs once they are in place, and again over the
    // old files after a rollback. The caller holds the index lock. Raises the input/output
    // error, with words saying whether the job was rolled back or the archive is now read-only.
    void Commit(const std::function<void()>& build = {});

  private:
    std::string dir_;
    struct Rename {
        std::string staged, target;  // names in dir_
        bool remove = false;         // the target goes; nothing is staged for it
    };
    std::vector<Rename> renames_;
    std::optional<std::pair<std::string, int32_t>> index_;
    bool committed_ = false;
};

// A marker as it is stored: one line per replaced file, the index line, and "C" when the
// definition tables are to be built anew. Sizes are -1 for a file that is not there.
struct CommitMarker {
    struct Stamp {
        int64_t size = -1;
        int64_t time = 0;  // modification time, nanoseconds
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        std::string staged, target, backup;
        Stamp after, before;  // after.size -1: the target is removed
        bool legacy = false;  // written by an earlier version: names only, always finished
    };
    std::vector<Entry> entries;
    std::string index;  // empty when the job sets no index
    int32_t lastAfter = -1;
    std::optional<int32_t> lastBefore;
    bool rebuild = false;
};
// The marker's lines; nullopt for a marker that is damaged or names a file outside the
// archive directory.
std::optional<CommitMarker> ParseCommitMarker(std::string_view bytes);

// Settles the commits a crash or a failure left in `archiveDir` (every station's), finishing
// or rolling back each, and sets aside a marker that cannot be applied. The caller holds the
// index lock. Answers whether one of them still needs its definition tables built. Raises the
// input/output error when a rename fails; the marker then stays for the next attempt.
bool FinishArchiveCommits(const std::string& archiveDir);
// Removes the markers and the old files they kept once the definition tables are built.
void ClearArchiveCommits(const std::string& archiveDir);

// Refuses, with words, a store or a job while a commit is pending in `archiveDir`: a later
// finish or rollback would overwrite what it writes. The caller holds the index lock.
void RefusePendingCommits(const std::string& archiveDir);

// CrashSafeRecordEdit: in-place updates of records that must end whole or not at all, such as
// an edited card's text and numeric records. Each station has its own journal beside the files
// ("sch-<station>.jnl", a name no copy or compile takes for data): the records' before and
// after images and a checksum are written and synced first, then the records, then the journal
// is removed. The card files' formats are untouched, so a station that knows nothing of
// journals reads them.

class CrashSafeRecordEdit {
  public:
    // `dir` is the directory of the files updated, ending with '/'.
    explicit CrashSafeRecordEdit(std::string dir);

    // Queues `after` for file `path` (in the journal's directory) at byte `offset`.
    void Add(const std::string& path, int64_t offset, std::vector<uint8_t> after);
    // Reads the before images, writes and syncs the journal, writes and syncs the records and
    // removes the journal. The journal is either in place and the edit stored, or removed and
    // the edit failed: a journal that cannot be removed after a failure keeps its edit, which
    // the next opening completes, and the archive is read-only until then. A settled journal
    // that cannot be removed is reported once and the next edit writes over it. The caller
    // holds the lock that guards the records. Raises the input/output error.
    void Commit();

  private:
    struct Entry {
        std::string name;
        int64_t offset = 0;
        std::vector<uint8_t> after;
        bool hadBefore = false;
        std::vector<uint8_t> before;
    };
    std::string dir_;
    std::vector<Entry> entries_;
};

enum class JournalRecovery { None, Applied, Discarded, SetAside };

// Settles this station's journal in `dir`, under the archive's lock: one whose records already
// hold its after images is discarded; one whose records each hold the before or the after image
// is applied again; otherwise another station changed the records since, and it is discarded
// and reported. A damaged one, or one naming a missing file or records beyond a file's end, is
// set aside (see SetAsideDamaged).
JournalRecovery RecoverJournal(const std::string& dir);

// A journal's records, as stored: nullopt when it is damaged or names a file outside its
// directory.
struct JournalImage {
    std::string name;
    int64_t offset = 0;
    std::vector<uint8_t> before, after;
};
std::optional<std::vector<JournalImage>> ParseJournal(const std::string& bytes);

// What opening an archive does first, under its index lock when it has one: settles left
// commits, settles this station's edit journal and removes this station's temporary files of
// processes that are gone. Answers whether the definition tables must be built anew (then
// ClearArchiveCommits after building them).
bool RecoverArchive(const std::string& archiveDir);

// Renames a journal or marker that cannot be applied to a name that says so, and keeps the
// notice for the user (see TakeRecoveryNotices).
void SetAsideDamaged(const std::string& path, int reasonText);
// Things the opening settled that the user is told once the window is up; emptied by the call.
std::string TakeRecoveryNotices();
void AddRecoveryNotice(const std::string& text);

// The open archive made read-only for the session, with the words saying why (empty: it is
// writable). Opening an archive clears it. The write password stays typed meanwhile.
void SetArchiveReadOnly(const std::string& reason);
const std::string& ArchiveReadOnlyReason();
// Whether the open archive may be written now: the write password was typed and the archive is
// not read-only.
bool ArchiveWritable();

}  // namespace qv
