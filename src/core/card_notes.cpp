#include "core/card_notes.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "core/card_store.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

namespace {

constexpr int kStagingFileId = 71;
constexpr int kNotesFileId = 98;

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
    if (!file.TryOpen(path, kNotesRecordBytes, RecordFile::Mode::Read)) return text;
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
    RecordFile file;
    if (!file.TryOpen(path, kNotesRecordBytes, RecordFile::Mode::ReadWrite))
        file.Open(path, kNotesRecordBytes, RecordFile::Mode::Create);
    const int64_t count = std::max<int64_t>(file.RecordCount(), 1);
    // Records before the end may belong to other cards and there is nothing past it, so the
    // file's own length is the first free record whatever a damaged header says.
    int64_t free = count;
    ChainWalk walk(count);

    // One piece per 100 bytes; the piece holding the end of the text also holds its zero byte.
    const size_t pieces = text.size() / kNotesPieceBytes + 1;
    if (int64_t(pieces) > INT32_MAX - free) ThrowIo(kDiskWriteError, path);
    const int64_t first = walk.CanVisit(head) ? head : free++;
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
        const std::string_view piece =
            text.substr(std::min(text.size(), k * kNotesPieceBytes), kNotesPieceBytes);
        const NotesRecord r = MakeRecord(piece, next);
        file.Write(record, r.data());
        record = next;
    }
    const NotesRecord header = MakeRecord({}, int32_t(free));
    file.Write(0, header.data());
    return int32_t(first);
}

void LoadCardNotes() {
    WriteFileAtomic(DataFilePath(kStagingFileId), ReadNotesChain(DataFilePath(kNotesFileId), GetNotesHead()));
}

void SaveCardNotes() {
    std::string text = ReadFileOrThrow(DataFilePath(kStagingFileId));
    text.resize(std::min<size_t>(text.size(), kNotesTextLimit));
    text.resize(std::min(text.size(), text.find('\0')));
    if (text.empty()) {
        // Cleared notes: the card lets go of its chain; the records stay unused in the file.
        SetNotesHead(0);
        return;
    }
    SetNotesHead(WriteNotesChain(DataFilePath(kNotesFileId), GetNotesHead(), text));
}

}  // namespace qv
