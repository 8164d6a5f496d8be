#pragma once
#include <cstdint>
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
    // removes the journal. A failure before the journal is on disk changes nothing; one after it
    // puts the before images back, or, when that fails too, leaves the journal for the next
    // opening. The caller holds the lock that guards the records. Raises the input/output error.
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

enum class JournalRecovery { None, Applied, Discarded };

// Settles this station's journal in `dir`, under the archive's lock: an incomplete or damaged
// journal is discarded; a complete one is applied again when every record on disk still holds
// its before or its after image, and otherwise discarded (another station changed the records
// since) and reported.
JournalRecovery RecoverJournal(const std::string& dir);

}  // namespace qv
