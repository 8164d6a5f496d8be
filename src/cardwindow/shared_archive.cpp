#include "cardwindow/shared_archive.h"

#include <set>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr int kSharedArchiveFile = 106;
constexpr int kLocalNotesFile = 98;
constexpr int kIndexBytes = 4;
constexpr size_t kDirLineWidth = 250;
// "not-sch.dat": 100 text bytes and the next record of the chain; record 0 holds the first
// free record in place of the link.
constexpr int kNotesRecordBytes = 104;
constexpr int kNotesLinkOffset = 100;

RecordFile OpenForWriting(const std::string& path, int recordSize) {
    RecordFile file;
    if (!file.TryOpen(path, recordSize, RecordFile::Mode::ReadWrite))
        file.Open(path, recordSize, RecordFile::Mode::Create);
    return file;
}

int32_t LocalLastCard(const CardFiles& local) {
    RecordFile probe;
    if (!probe.TryOpen(local.IndexPath(), kIndexBytes, RecordFile::Mode::Read)) return -1;
    probe.Close();
    return local.ReadLastCard();
}

// The records of a notes chain in chain order. A chain that leaves the file or comes back to
// a record it passed ends there.
std::vector<uint8_t> ReadChain(const RecordFile& notes, int32_t head) {
    std::vector<uint8_t> records;
    std::set<int32_t> seen;
    const int64_t count = notes.RecordCount();
    while (head > 0 && head < count && seen.insert(head).second) {
        const size_t at = records.size();
        records.resize(at + kNotesRecordBytes);
        notes.Read(head, &records[at]);
        head = GetI32(&records[at + kNotesLinkOffset]);
    }
    return records;
}

// The shared notes file, opened (or created with its header) at the first chain to copy.
class SharedNotes {
  public:
    explicit SharedNotes(std::string path) : path_(std::move(path)) {}

    // Appends a chain's records at the first free record, linked in order; answers its head.
    int32_t Append(std::vector<uint8_t>& records) {
        Open();
        const int32_t pieces = int32_t(records.size() / kNotesRecordBytes);
        const int32_t head = free_;
        for (int32_t i = 0; i < pieces; ++i)
            PutI32(&records[size_t(i) * kNotesRecordBytes + kNotesLinkOffset],
                   i + 1 < pieces ? head + i + 1 : 0);
        file_.Write(head, records.data(), pieces);
        free_ += pieces;
        return head;
    }

    // The records reach the disk before the header that counts them.
    void Finish() {
        if (!file_.IsOpen()) return;
        file_.Sync();
        uint8_t header[kNotesRecordBytes] = {};
        PutI32(header + kNotesLinkOffset, free_);
        file_.Write(0, header);
        file_.Sync();
    }

  private:
    void Open() {
        if (file_.IsOpen()) return;
        file_ = OpenForWriting(path_, kNotesRecordBytes);
        const int64_t count = file_.RecordCount();
        free_ = 1;
        if (count > 0) {
            uint8_t header[kNotesRecordBytes];
            file_.Read(0, header);
            free_ = GetI32(header + kNotesLinkOffset);
            // A damaged header must not let new chains overwrite record 0 or live chains.
            if (free_ < 1) free_ = int32_t(count);
        }
    }

    std::string path_;
    RecordFile file_;
    int32_t free_ = 1;
};

// Copies the notes of cards first..last into the shared notes file; answers their new heads.
std::vector<int32_t> CopyNotes(const CardFiles& local, int32_t first, int32_t last,
                               const std::string& sharedDir) {
    std::vector<int32_t> heads(size_t(last - first + 1), 0);
    const int wordCount = local.Geometry().wordCount;
    RecordFile localNotes;
    if (wordCount < 2 ||
        !localNotes.TryOpen(DataFilePath(kLocalNotesFile), kNotesRecordBytes, RecordFile::Mode::Read))
        return heads;
    SharedNotes shared(sharedDir + "not-sch.dat");
    std::vector<uint16_t> words(static_cast<size_t>(wordCount));
    for (int32_t card = first; card <= last; ++card) {
        if (!local.ReadValues(card, words.data())) ThrowIo(kReadPastEnd, local.ValuesPath());
        std::vector<uint8_t> chain =
            ReadChain(localNotes, DecodeCardNumber(words[wordCount - 2], words[wordCount - 1]));
        if (!chain.empty()) heads[size_t(card - first)] = shared.Append(chain);
    }
    shared.Finish();
    return heads;
}

void CopyCards(const CardFiles& local, const CardFiles& shared, int32_t first, int32_t last,
               const std::vector<int32_t>& heads) {
    const CardGeometry g = local.Geometry();
    RecordFile text = OpenForWriting(shared.TextPath(), kCardTextRecordBytes);
    std::vector<uint8_t> bytes(size_t(g.textBytes));
    for (int32_t card = first; card <= last; ++card) {
        if (!local.ReadText(card, bytes.data())) ThrowIo(kReadPastEnd, local.TextPath());
        text.Write(int64_t(card) * g.TextRecords(), bytes.data(), g.TextRecords());
    }
    text.Sync();

    RecordFile values = OpenForWriting(shared.ValuesPath(), kCardValueRecordBytes);
    std::vector<uint16_t> words(size_t(g.wordCount));
    bytes.assign(size_t(g.wordCount) * 2, 0);
    for (int32_t card = first; card <= last; ++card) {
        if (!local.ReadValues(card, words.data())) ThrowIo(kReadPastEnd, local.ValuesPath());
        if (g.wordCount >= 2)
            EncodeCardNumber(heads[size_t(card - first)], words[size_t(g.wordCount - 2)],
                             words[size_t(g.wordCount - 1)]);
        for (size_t i = 0; i < words.size(); ++i) PutU16(&bytes[2 * i], words[i]);
        values.Write(int64_t(card) * g.ValueRecords(), bytes.data(), g.ValueRecords());
    }
    values.Sync();
}

}  // namespace

bool SharedArchiveConfigured() {
    RecordFile probe;
    return probe.TryOpen(DataFilePath(kSharedArchiveFile), 1, RecordFile::Mode::Read);
}

SyncResult SyncToServerArchive() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(kSharedArchiveFile));
    CoreState.OtherArchiveDir = NormalizeDir(in.ReadLine(kDirLineWidth));
    SyncResult result;
    // An empty line names no directory (it would name the working directory).
    if (CoreState.OtherArchiveDir.empty()) return result;

    const CardFiles local = CardFiles::Current();
    const CardFiles shared = CardFiles::InDirectory(CoreState.OtherArchiveDir, local.Geometry());
    FileLock lock(shared.IndexPath());
    if (!lock.Locked()) {
        RecordFile probe;
        if (!probe.TryOpen(shared.IndexPath(), kIndexBytes, RecordFile::Mode::Read)) return result;
        ThrowIo(kAccessDenied, shared.IndexPath());
    }
    result.sharedLast = shared.ReadLastCard();
    if (result.sharedLast < -1) ThrowIo(kInvalidNumber, shared.IndexPath());
    result.localLast = LocalLastCard(local);
    if (result.localLast < result.sharedLast) {
        result.outcome = SyncOutcome::SharedHasMore;
        return result;
    }
    if (result.localLast == result.sharedLast) {
        result.outcome = SyncOutcome::NothingToCopy;
        return result;
    }
    const int32_t first = result.sharedLast + 1;
    const std::vector<int32_t> heads = CopyNotes(local, first, result.localLast, CoreState.OtherArchiveDir);
    CopyCards(local, shared, first, result.localLast, heads);
    shared.WriteLastCard(result.localLast);
    result.outcome = SyncOutcome::Copied;
    return result;
}

}  // namespace qv
