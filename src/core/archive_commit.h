#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Replacing several files of an archive as one step: a rebuilt pair of card files, or
// declarations together with the cards recoded for them. The new files are written beside the
// old ones under temporary names; Commit then writes and syncs a marker naming every rename
// (and the last-card index to set), does the renames, sets the index and removes the marker.
// A crash or a failed rename leaves the marker, and the next opening of the archive finishes
// the renames, so the archive holds the old set of files or the new one, never a mix. Until
// the marker is on disk nothing of the old set has changed.

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
    // For declarations replaced with their cards: the compiled definition tables are built
    // anew before the commit counts as over, so the marker stays until ClearArchiveCommits.
    void RebuildDefinition() { rebuild_ = true; }
    // Syncs the staged files and replaces the targets. The caller holds the index lock.
    void Commit();
    // After RebuildDefinition and the build: the commit is over.
    void DefinitionBuilt();

  private:
    std::string dir_;
    std::vector<std::pair<std::string, std::string>> renames_;  // staged, target (names in dir_)
    std::optional<std::pair<std::string, int32_t>> index_;
    bool rebuild_ = false;
    bool committed_ = false;
};

// Finishes the commits a crash or a failed rename left in `archiveDir` (every station's: a
// marker on disk means its files are complete). The caller holds the index lock. Answers
// whether one of them still needs its definition tables built (see RebuildDefinition). Raises
// the input/output error when a rename still fails; the marker then stays for the next attempt.
bool FinishArchiveCommits(const std::string& archiveDir);
// Removes the markers once the definition tables are built.
void ClearArchiveCommits(const std::string& archiveDir);

// What opening an archive does first, under its index lock when it has one: finishes left
// commits, settles this station's edit journal and removes this station's temporary files of
// processes that are gone. Answers whether the definition tables must be built anew (then
// ClearArchiveCommits after building them).
bool RecoverArchive(const std::string& archiveDir);

}  // namespace qv
