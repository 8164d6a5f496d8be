#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Replacing several files of an archive as one step: a rebuilt pair of card files, or
// declarations together with the cards recoded for them. The new files are written beside the
// old ones under temporary names; Commit then writes and syncs a marker naming every rename
// (with the size and modification time of each new file and of the file it replaces, and the
// last-card index before and after), keeps a second link to each old file, does the renames,
// sets the index and removes the marker, then the old files.
//
// A job that fails after the marker is on disk is rolled back before Commit returns, and says
// so; when even that fails, the archive is read-only for the rest of the session and the marker
// stays. The next opening finishes a marker only when every file is as the job
// left it, and otherwise rolls it back, so cards stored since are never overwritten by a late
// finish. While a marker is pending no card is stored (see RefusePendingCommits).

namespace qv {

class ArchiveCommit {
  public:
    explicit ArchiveCommit(std::string archiveDir);
    // Removes the staged files of a commit that did not happen.
    ~ArchiveCommit();
    ArchiveCommit(const ArchiveCommit&) = delete;
    ArchiveCommit& operator=(const ArchiveCommit&) = delete;

    // An empty temporary file beside `target` (a file of the archive directory) that replaces
    // it at Commit. Raises the input/output error.
    std::string Stage(const std::string& target);
    // The same, holding a copy of `target` to be changed.
    std::string StageCopy(const std::string& target);
    // Sets the last-card index file to `last` after the renames.
    void SetLastCard(const std::string& indexPath, int32_t last);
    // Syncs the staged files and replaces the targets; `build` (the compiled definition tables
    // built anew from replaced declarations) runs once they are in place, and again over the
    // old files after a rollback. The caller holds the index lock. Raises the input/output
    // error, with words saying whether the job was rolled back or the archive is now read-only.
    void Commit(const std::function<void()>& build = {});

  private:
    std::string dir_;
    std::vector<std::pair<std::string, std::string>> renames_;  // staged, target (names in dir_)
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
        Stamp after, before;
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
// writable). Opening an archive clears it.
void SetArchiveReadOnly(const std::string& reason);
const std::string& ArchiveReadOnlyReason();

}  // namespace qv
