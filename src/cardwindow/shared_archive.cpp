#include "cardwindow/shared_archive.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr int kIndexBytes = 4;
constexpr size_t kDirLineWidth = std::string::npos;  // a directory is never cut
constexpr char kRecordName[] = "inv-serv.dat";
constexpr int kRecordNumbers = 5;

std::string RecordPath() {
    return CoreState.ArchiveDir + kRecordName;
}

// What this archive handed over to the shared archive in `dir`: local card `localLast` took
// number `sharedAt` there, every local card below it is there or came from there. While a copy
// is under way, local cards pendingFirst..pendingLast are being appended after shared card
// pendingBase. Stored as five signed 32-bit numbers, then the shared directory's bytes.
struct CopyRecord {
    int32_t localLast = -1;
    int32_t sharedAt = -1;
    int32_t pendingFirst = 0;
    int32_t pendingLast = -1;  // below pendingFirst: no copy under way
    int32_t pendingBase = -1;
    std::string dir;

    bool Pending() const { return pendingLast >= pendingFirst; }
};

std::string EncodeRecord(const CopyRecord& r) {
    std::string out;
    for (int32_t v : {r.localLast, r.sharedAt, r.pendingFirst, r.pendingLast, r.pendingBase})
        AppendI32(out, v);
    return out + r.dir;
}

// The record for `dir`; nullopt when there is none, it names another shared archive, or it
// does not hold together (then nothing in it can be trusted).
std::optional<CopyRecord> ReadRecord(const std::string& dir) {
    const std::optional<std::string> bytes = TryReadFile(RecordPath());
    if (!bytes || bytes->size() != kRecordNumbers * 4 + dir.size()) return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes->data());
    CopyRecord r{GetI32(p), GetI32(p + 4), GetI32(p + 8), GetI32(p + 12), GetI32(p + 16), bytes->substr(20)};
    if (r.dir != dir || r.localLast < -1 || r.sharedAt < r.localLast) return std::nullopt;
    // Nothing handed over yet is only recorded around a copy: a record that says so alone would
    // take every card for this station's, even cards copied in by hand later.
    if (!r.Pending() && r.localLast < 0) return std::nullopt;
    if (r.Pending() && (r.pendingFirst != r.localLast + 1 || r.pendingBase < r.sharedAt)) return std::nullopt;
    return r;
}

void WriteRecord(const CopyRecord& r) {
    WriteFileAtomic(RecordPath(), EncodeRecord(r));
}

int32_t LocalLastCard(const CardFiles& local) {
    RecordFile probe;
    if (!probe.TryOpen(local.IndexPath(), kIndexBytes, RecordFile::Mode::Read)) {
        if (errno != ENOENT) ThrowErrno(local.IndexPath());
        return -1;
    }
    probe.Close();
    return local.ReadLastCard();
}

// Card k of `a` and card k of `b` hold the same text and numbers; the notes head, which points
// into each archive's own notes file, is left out.
bool SameCard(const CardRecords& a, const CardRecords& b, int32_t k) {
    const CardGeometry& g = a.geometry;
    const size_t textBytes = size_t(g.textBytes), valueBytes = size_t(g.wordCount) * 2;
    const size_t compared = valueBytes - std::min(valueBytes, size_t(kNotesHeadWords) * 2);
    return std::memcmp(a.text.data() + size_t(k) * textBytes, b.text.data() + size_t(k) * textBytes,
                       textBytes) == 0 &&
           std::memcmp(a.values.data() + size_t(k) * valueBytes, b.values.data() + size_t(k) * valueBytes,
                       compared) == 0;
}

// Cards read for a comparison; nullopt when the files end before them (they are not there).
// Measured, not guessed from a failed read: a disk's read error is told as one.
std::optional<CardRecords> ReadIfThere(const CardFiles& files, int32_t first, int32_t count) {
    if (int64_t(first) + count - 1 > files.CountCards(true).last) return std::nullopt;
    return files.ReadCards(first, count);
}

// Local cards localFirst.. equal the `count` shared cards from sharedFirst on.
bool SameCards(const CardFiles& local, int32_t localFirst, const CardFiles& shared, int32_t sharedFirst,
               int32_t count) {
    const int32_t perBlock = CardRecords{local.Geometry()}.BlockCards();
    for (int32_t done = 0; done < count; done += perBlock) {
        const int32_t n = std::min(perBlock, count - done);
        const std::optional<CardRecords> a = ReadIfThere(local, localFirst + done, n);
        const std::optional<CardRecords> b = ReadIfThere(shared, sharedFirst + done, n);
        if (!a || !b) return false;
        for (int32_t k = 0; k < n; ++k)
            if (!SameCard(*a, *b, k)) return false;
    }
    return true;
}

// The highest card number up to `top` that holds the same card in both archives, -1 for none.
int32_t LastSameCard(const CardFiles& local, const CardFiles& shared, int32_t top) {
    const int32_t perBlock = CardRecords{local.Geometry()}.BlockCards();
    for (int32_t end = top; end >= 0; end -= perBlock) {
        const int32_t first = std::max(end - perBlock + 1, 0), n = end - first + 1;
        const CardRecords a = local.ReadCards(first, n), b = shared.ReadCards(first, n);
        for (int32_t k = n - 1; k >= 0; --k)
            if (SameCard(a, b, k)) return first + k;
    }
    return -1;
}

// Copies local cards first..last block by block to the shared numbers from `to` on, each card's
// notes chained anew in the shared "not-sch.dat" so that no head points at another card's
// notes. The shared index is left to the caller.
void CopyCards(const CardFiles& local, const CardFiles& shared, int32_t first, int32_t last, int32_t to) {
    const std::string localNotes = DataFilePath(data_file::kNotes);
    const std::string sharedNotes = CoreState.OtherArchiveDir + "not-sch.dat";
    const int32_t perBlock = CardRecords{local.Geometry()}.BlockCards();
    for (int32_t start = first; start <= last; start += perBlock) {
        const int32_t count = std::min(perBlock, last - start + 1);
        CardRecords block = local.ReadCards(start, count);
        CopyNotesOfBlock(block, localNotes, sharedNotes);
        // A shared archive may begin as an index alone.
        shared.WriteCards(to + (start - first), block, true);
    }
}

// Settles a copy a crash or a failure interrupted: its cards count as handed over when the
// shared archive holds them right after the card they were to follow.
void SettlePending(CopyRecord& r, const CardFiles& local, const CardFiles& shared, int32_t sharedLast) {
    if (!r.Pending()) return;
    const int32_t count = r.pendingLast - r.pendingFirst + 1;
    if (int64_t(sharedLast) >= int64_t(r.pendingBase) + count &&
        SameCards(local, r.pendingFirst, shared, r.pendingBase + 1, count)) {
        r.localLast = r.pendingLast;
        r.sharedAt = r.pendingBase + count;
    }
    r.pendingFirst = 0;
    r.pendingLast = -1;
    r.pendingBase = -1;
}

}  // namespace

bool SharedArchiveConfigured() {
    RecordFile probe;
    return probe.OpenIfExists(DataFilePath(data_file::kSharedArchive), 1, RecordFile::Mode::Read);
}

void ForgetSharedCopy(CrashSafeArchiveReplacement& commit) {
    commit.Remove(RecordPath());
}

SyncResult SyncToServerArchive() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kSharedArchive));
    CoreState.OtherArchiveDir = StoredDir(in.ReadLine(kDirLineWidth));
    SyncResult result;
    // An empty line names no directory (it would name the working directory).
    if (CoreState.OtherArchiveDir.empty()) return result;

    const CardFiles local = CardFiles::Current();
    const CardFiles shared = CardFiles::InDirectory(CoreState.OtherArchiveDir, local.Geometry());
    FileLock lock(shared.IndexPath());
    if (!lock.Locked()) {
        RecordFile probe;
        // Only a shared index that is not there means "no shared archive"; a share failing
        // for a moment is an error, not a reason to skip the copy silently.
        if (!probe.TryOpen(shared.IndexPath(), kIndexBytes, RecordFile::Mode::Read) && errno == ENOENT)
            return result;
        ThrowIo(kAccessDenied, shared.IndexPath());
    }
    // A job left pending there is finished or rolled back at the shared archive's next opening:
    // cards copied meanwhile could go with it while this record counts them as handed over.
    RefusePendingCommits(CoreState.OtherArchiveDir);
    const int32_t S = result.sharedLast = shared.ReadLastCard();
    if (S < -1) ThrowIo(kInvalidNumber, shared.IndexPath());
    const int32_t L = result.localLast = LocalLastCard(local);

    const std::optional<CopyRecord> stored = ReadRecord(CoreState.OtherArchiveDir);
    std::optional<CopyRecord> record = stored;
    if (record) SettlePending(*record, local, shared, S);
    // A record that counts cards one of the archives no longer holds (emptied or replaced
    // there) tells nothing. Cards edited since they were handed over do not void it.
    if (!record || record->localLast > L || record->sharedAt > S) {
        // This archive began as a copy of the shared one: up to the shared last card the
        // cards are the shared archive's, as long as the last card both hold is the same.
        const int32_t top = std::min(S, L);
        if (top >= 0 && !SameCards(local, top, shared, top, 1)) {
            result.outcome = SyncOutcome::CannotTell;
            result.inQuestion = L - LastSameCard(local, shared, top - 1);
            return result;
        }
        record = CopyRecord{top, top, 0, -1, -1, CoreState.OtherArchiveDir};
    }

    const int32_t first = record->localLast + 1;
    if (first > L) {
        result.outcome = SyncOutcome::NothingToCopy;
        if (record->localLast >= 0 && (!stored || EncodeRecord(*stored) != EncodeRecord(*record)))
            WriteRecord(*record);
        return result;
    }
    // Known before a card is written: a crash from here on leaves a record that finds out
    // whether these cards arrived.
    record->pendingFirst = first;
    record->pendingLast = L;
    record->pendingBase = S;
    WriteRecord(*record);
    result.copied = L - first + 1;
    if (int64_t(S) + result.copied > INT32_MAX) ThrowIo(kInvalidNumber, shared.IndexPath());
    CopyCards(local, shared, first, L, S + 1);
    shared.WriteLastCard(S + result.copied);
    WriteRecord(CopyRecord{L, S + result.copied, 0, -1, -1, CoreState.OtherArchiveDir});
    result.outcome = SyncOutcome::Copied;
    return result;
}

}  // namespace qv
