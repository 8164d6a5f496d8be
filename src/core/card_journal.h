#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// In-place updates of records that must end whole or not at all, such as an edited card's text
// and numeric records. Each station has its own journal beside the files ("sch-<station>.jnl",
// a name no copy or compile takes for data): the records' before and after images and a
// checksum are written and synced first, then the records, then the journal is removed. The
// card files' formats are untouched, so a station that knows nothing of journals reads them.

namespace qv {

class RecordJournal {
  public:
    // `dir` is the directory of the files updated, ending with '/'.
    explicit RecordJournal(std::string dir);

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

}  // namespace qv
