#include "cardwindow/shared_archive.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/card_notes.h"
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
constexpr size_t kDirLineWidth = std::string::npos;  // a directory is never cut

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

// Copies the notes of cards first..last into the shared notes file; answers their new heads.
// Each card's text gets a new chain there, so no head points at another card's notes.
std::vector<int32_t> CopyNotes(const CardFiles& local, int32_t first, int32_t last,
                               const std::string& sharedDir) {
    std::vector<int32_t> heads(size_t(last - first + 1), 0);
    const int wordCount = local.Geometry().wordCount;
    if (wordCount < 2) return heads;
    const std::string localNotes = DataFilePath(kLocalNotesFile);
    const std::string sharedNotes = sharedDir + "not-sch.dat";
    std::vector<uint16_t> words(static_cast<size_t>(wordCount));
    bool written = false;
    for (int32_t card = first; card <= last; ++card) {
        if (!local.ReadValues(card, words.data())) ThrowIo(kReadPastEnd, local.ValuesPath());
        std::string text =
            ReadNotesChain(localNotes, DecodeCardNumber(words[wordCount - 2], words[wordCount - 1]));
        if (text.empty()) continue;
        text.resize(std::min<size_t>(text.size(), kNotesTextLimit));
        heads[size_t(card - first)] = WriteNotesChain(sharedNotes, 0, text);
        written = true;
    }
    // On disk before the cards that point into it.
    if (written) RecordFile(sharedNotes, kNotesRecordBytes, RecordFile::Mode::ReadWrite).Sync();
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
