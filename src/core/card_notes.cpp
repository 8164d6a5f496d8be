#include "core/card_notes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"

namespace qv {

namespace {

using NotesRecord = std::array<uint8_t, kNotesRecordBytes>;

int32_t NextOf(const NotesRecord& r) {
    return GetI32(r.data() + kNotesPieceBytes);
}

NotesRecord MakeRecord(std::string_view piece, int32_t next) {
    NotesRecord r{};
    std::copy(piece.begin(), piece.end(), r.begin());
    PutI32(r.data() + kNotesPieceBytes, next);
    return r;
}

// One piece per 100 bytes; the piece holding the end of the text also holds its zero byte.
size_t PieceCount(std::string_view text) {
    return text.size() / kNotesPieceBytes + 1;
}

std::string_view Piece(std::string_view text, size_t k) {
    return text.substr(std::min(text.size(), k * kNotesPieceBytes), kNotesPieceBytes);
}

// The notes file opened for writing, made when there is none, and locked: whoever takes free
// records holds the lock from reading the file's length until the header is raised.
RecordFile OpenNotesForUpdate(const std::string& path) {
    RecordFile file(path, kNotesRecordBytes, RecordFile::Mode::OpenOrCreate);
    file.Lock();
    return file;
}

// Notes written for the card in hand and not yet stored with it.
struct UnstoredNotes {
    int32_t card = 0, head = 0;
    std::string text;
};
std::optional<UnstoredNotes> gUnstoredNotes;

constexpr int kNotesNotRewrittenText = 2424;

// Records 1..count-1 of the file, each visited at most once.
class ChainWalk {
  public:
    explicit ChainWalk(int64_t count) : visited_(size_t(std::max<int64_t>(count, 0)), false) {}
    bool CanVisit(int64_t record) const {
        return record >= 1 && record < int64_t(visited_.size()) && !visited_[size_t(record)];
    }
    void Visit(int64_t record) {
        if (record >= 0 && record < int64_t(visited_.size())) visited_[size_t(record)] = true;
    }

  private:
    std::vector<bool> visited_;
};

}  // namespace

std::string ReadNotesChain(const std::string& path, int32_t head) {
    std::string text;
    if (head < 1) return text;
    RecordFile file;
    if (!file.TryOpen(path, kNotesRecordBytes, RecordFile::Mode::Read)) {
        if (errno == ENOENT) return text;
        ThrowErrno(path);
    }
    ChainWalk walk(file.RecordCount());
    int64_t record = head;
    while (walk.CanVisit(record)) {
        walk.Visit(record);
        NotesRecord r;
        file.Read(record, r.data());
        const auto end = std::find(r.begin(), r.begin() + kNotesPieceBytes, 0);
        text.append(r.begin(), end);
        record = NextOf(r);
    }
    return text;
}

int32_t WriteNotesChain(const std::string& path, int32_t head, std::string_view text) {
    RecordFile file = OpenNotesForUpdate(path);
    const int64_t count = std::max<int64_t>(file.RecordCount(), 1);
    // Records before the end may belong to other cards and there is nothing past it, so the
    // file's own length is the first free record whatever a damaged header says.
    int64_t free = count;
    ChainWalk walk(count);

    const size_t pieces = PieceCount(text);
    if (int64_t(pieces) > INT32_MAX - free) ThrowIo(kDiskWriteError, path);
    const int64_t first = walk.CanVisit(head) ? head : free++;
    // The old chain is rewritten in place: through the journal, so that a crash never leaves it
    // half old, half new.
    CrashSafeRecordEdit journal(DirectoryPart(path));
    const auto put = [&](int64_t at, const NotesRecord& r) {
        journal.Add(path, at * kNotesRecordBytes, std::vector<uint8_t>(r.begin(), r.end()));
    };
    int64_t record = first;
    for (size_t k = 0; k < pieces; ++k) {
        const bool fromChain = walk.CanVisit(record);
        walk.Visit(record);
        int32_t next = 0;
        if (k + 1 < pieces) {
            int64_t oldNext = 0;
            if (fromChain) {
                NotesRecord old;
                file.Read(record, old.data());
                oldNext = NextOf(old);
            }
            next = int32_t(walk.CanVisit(oldNext) ? oldNext : free++);
        }
        put(record, MakeRecord(Piece(text, k), next));
        record = next;
    }
    put(0, MakeRecord({}, int32_t(free)));
    journal.Commit();
    return int32_t(first);
}

std::vector<int32_t> AppendNotesChains(const std::string& path, const std::vector<std::string>& texts) {
    std::vector<int32_t> heads(texts.size(), 0);
    if (std::all_of(texts.begin(), texts.end(), [](const std::string& t) { return t.empty(); })) return heads;
    RecordFile file = OpenNotesForUpdate(path);
    const int64_t start = std::max<int64_t>(file.RecordCount(), 1);
    int64_t free = start;
    std::vector<uint8_t> block;
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string_view text = std::string_view(texts[i]).substr(0, kNotesTextLimit);
        if (text.empty()) continue;
        const size_t pieces = PieceCount(text);
        if (int64_t(pieces) > INT32_MAX - free) ThrowIo(kDiskWriteError, path);
        heads[i] = int32_t(free);
        for (size_t k = 0; k < pieces; ++k, ++free) {
            const NotesRecord r = MakeRecord(Piece(text, k), k + 1 < pieces ? int32_t(free + 1) : 0);
            block.insert(block.end(), r.begin(), r.end());
        }
    }
    // The records first, then the header that gives them away; one sync covers both.
    file.Write(start, block.data(), int64_t(block.size() / kNotesRecordBytes));
    const NotesRecord header = MakeRecord({}, int32_t(free));
    file.Write(0, header.data());
    file.Sync();
    return heads;
}

void CopyNotesOfBlock(CardRecords& cards, const std::string& fromNotes, const std::string& toNotes) {
    const int words = cards.geometry.wordCount;
    if (words < 2 || cards.count <= 0) return;
    // The head is the card's last two words.
    auto headAt = [&](int32_t k) { return &cards.values[(size_t(k) + 1) * size_t(words) * 2 - 4]; };
    // Long notes are written a few MB at a time, so that a block never holds them all at once.
    constexpr size_t kTextBytesPerWrite = 4 << 20;
    std::vector<std::string> texts;
    size_t bytes = 0;
    int32_t from = 0;
    auto flush = [&](int32_t end) {
        const std::vector<int32_t> heads = AppendNotesChains(toNotes, texts);
        for (int32_t k = from; k < end; ++k) {
            uint16_t high = 0, low = 0;
            EncodeCardNumber(heads[size_t(k - from)], high, low);
            PutU16(headAt(k), high);
            PutU16(headAt(k) + 2, low);
        }
        texts.clear();
        bytes = 0;
        from = end;
    };
    for (int32_t k = 0; k < cards.count; ++k) {
        const uint8_t* head = headAt(k);
        const int32_t old = DecodeCardNumber(GetU16(head), GetU16(head + 2));
        texts.push_back(old != 0 ? ReadNotesChain(fromNotes, old) : std::string());
        bytes += texts.back().size();
        if (bytes >= kTextBytesPerWrite) flush(k + 1);
    }
    flush(cards.count);
}

void LoadCardNotes() {
    WriteFileAtomic(DataFilePath(data_file::kViewerStaging),
                    ReadNotesChain(DataFilePath(data_file::kNotes), GetNotesHead()));
}

void SaveCardNotes() {
    // A read-only archive gets nothing written, its notes included.
    if (!ArchiveReadOnlyReason().empty())
        throw IoError(kAccessDenied, DataFilePath(data_file::kNotes), ArchiveReadOnlyReason());
    std::string text = ReadFileOrThrow(DataFilePath(data_file::kViewerStaging));
    text.resize(std::min<size_t>(text.size(), kNotesTextLimit));
    text.resize(std::min(text.size(), text.find('\0')));
    if (text.empty()) {
        // Cleared notes: the card lets go of its chain; the records stay unused in the file.
        SetNotesHead(0);
        return;
    }
    // Always a new chain: the card's stored head keeps its old notes until the card itself is
    // stored, so a crash in between never shows the new notes with the old card or the reverse.
    // The old chain's records stay unused in the file, as for cleared notes.
    const int32_t head = WriteNotesChain(DataFilePath(data_file::kNotes), 0, text);
    SetNotesHead(head);
    gUnstoredNotes = UnstoredNotes{CoreState.CurrentCard, head, std::move(text)};
}

void SettleCardNotes() {
    const int32_t head = GetNotesHead();
    if (head <= 0) return;
    const std::string path = DataFilePath(data_file::kNotes);
    if (gUnstoredNotes && gUnstoredNotes->card == CoreState.CurrentCard && gUnstoredNotes->head == head) {
        // The notes file may have been replaced since the chain was written (a merge, an import,
        // a recoding): the chain is looked for where the head points now.
        try {
            if (ReadNotesChain(path, head) != gUnstoredNotes->text) {
                gUnstoredNotes->head = WriteNotesChain(path, 0, gUnstoredNotes->text);
                SetNotesHead(gUnstoredNotes->head);
            }
        } catch (const IoError& e) {
            throw IoError(e.Code(), e.Path(), LoadText(kNotesNotRewrittenText));
        }
        return;
    }
    // Records are never taken back from a notes file: a head past its end points at nothing.
    RecordFile file;
    if (!file.OpenIfExists(path, kNotesRecordBytes, RecordFile::Mode::Read) || head >= file.RecordCount())
        SetNotesHead(0);
}

void CardNotesStored() {
    gUnstoredNotes.reset();
}

}  // namespace qv
