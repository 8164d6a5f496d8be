#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"

namespace qv {
namespace {

constexpr char kMagic[] = "QVJ1";
constexpr size_t kMagicBytes = 4;

std::string JournalPath(const std::string& dir) {
    return dir + "sch-" + CoreState.StationNumber + ".jnl";
}

uint32_t Checksum(std::string_view bytes) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (char c : bytes) h = (h ^ uint8_t(c)) * 16777619u;
    return h;
}

void AppendU32(std::string& out, uint32_t v) {
    AppendI32(out, int32_t(v));
}

void AppendBytes(std::string& out, const std::vector<uint8_t>& bytes) {
    AppendU32(out, uint32_t(bytes.size()));
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Reads what lies at [offset, offset + length) of the file, short where the file ends.
std::vector<uint8_t> ReadAt(const std::string& path, int64_t offset, size_t length) {
    std::vector<uint8_t> bytes(length);
    RecordFile file;
    if (!file.TryOpen(path, 1, RecordFile::Mode::Read)) {
        if (errno == ENOENT) return {};
        ThrowErrno(path);
    }
    bytes.resize(size_t(file.ReadUpTo(offset, bytes.data(), int64_t(length))));
    return bytes;
}

using Image = JournalImage;

constexpr int kSetAsideDamagedText = 2126;
constexpr int kSetAsideMissingText = 2127;
constexpr int kSetAsideBeyondText = 2128;
constexpr int kSetAsideTooLargeText = 2129;
constexpr int kKeptForOpeningText = 2130;
constexpr int kNotRemovedText = 2131;
// A card's two parts, before and after, with names: far below this.
constexpr int64_t kJournalBytesLimit = 1 << 20;

// Writes the images chosen by `after` and syncs every file touched, each opened once for a run
// of images of one file.
void WriteImages(const std::string& dir, const std::vector<Image>& images, bool after) {
    RecordFile file;
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& image = images[i];
        if (!file.IsOpen()) file.Open(dir + image.name, 1, RecordFile::Mode::ReadWrite);
        const std::vector<uint8_t>& bytes = after ? image.after : image.before;
        if (!bytes.empty()) file.Write(image.offset, bytes.data(), int64_t(bytes.size()));
        if (i + 1 == images.size() || images[i + 1].name != image.name) {
            file.Sync();
            file.Close();
        }
    }
}

std::string Serialize(const std::vector<Image>& images) {
    std::string out(kMagic, kMagicBytes);
    AppendU32(out, uint32_t(images.size()));
    for (const Image& image : images) {
        AppendU32(out, uint32_t(image.name.size()));
        out += image.name;
        AppendI32(out, int32_t(image.offset & 0xFFFFFFFF));
        AppendI32(out, int32_t(image.offset >> 32));
        AppendBytes(out, image.before);
        AppendBytes(out, image.after);
    }
    AppendU32(out, Checksum(out));
    return out;
}

// Cuts a journal into its images; false for one cut short or damaged.
class JournalReader {
  public:
    explicit JournalReader(const std::string& bytes) : bytes_(bytes) {}

    bool Read(std::vector<Image>& images) {
        if (bytes_.size() < kMagicBytes + 8 || bytes_.compare(0, kMagicBytes, kMagic) != 0) return false;
        const size_t body = bytes_.size() - 4;
        if (GetU32(Bytes(bytes_) + body) != Checksum(std::string_view(bytes_).substr(0, body))) return false;
        pos_ = kMagicBytes;
        end_ = body;
        uint32_t count = 0;
        if (!U32(count)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            Image image;
            uint32_t low = 0, high = 0;
            if (!Text(image.name) || !U32(low) || !U32(high) || !Vector(image.before) || !Vector(image.after))
                return false;
            image.offset = int64_t((uint64_t(high) << 32) | low);
            // A name with a slash would reach outside the directory.
            if (image.name.empty() || image.name == "." || image.name == ".." ||
                image.name.find('/') != std::string::npos || image.offset < 0)
                return false;
            images.push_back(std::move(image));
        }
        return pos_ == end_;
    }

  private:
    bool U32(uint32_t& v) {
        if (end_ - pos_ < 4) return false;
        v = GetU32(Bytes(bytes_) + pos_);
        pos_ += 4;
        return true;
    }
    bool Text(std::string& s) {
        uint32_t n = 0;
        if (!U32(n) || end_ - pos_ < n) return false;
        s = bytes_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    bool Vector(std::vector<uint8_t>& v) {
        std::string s;
        if (!Text(s)) return false;
        v.assign(s.begin(), s.end());
        return true;
    }

    const std::string& bytes_;
    size_t pos_ = 0, end_ = 0;
};

}  // namespace

CrashSafeRecordEdit::CrashSafeRecordEdit(std::string dir) : dir_(std::move(dir)) {}

void CrashSafeRecordEdit::Add(const std::string& path, int64_t offset, std::vector<uint8_t> after) {
    Entry e;
    const size_t slash = path.find_last_of('/');
    e.name = ResolveExisting(path).substr(slash == std::string::npos ? 0 : slash + 1);
    e.offset = offset;
    e.after = std::move(after);
    entries_.push_back(std::move(e));
}

namespace {

// Whether every record holds its after image. A record that cannot be read holds nothing.
bool RecordsHoldAfter(const std::string& dir, const std::vector<Image>& images) {
    for (const Image& image : images)
        if (ReadAt(dir + image.name, image.offset, image.after.size()) != image.after) return false;
    return true;
}

// A journal another edit may write over: one whose edit the records already hold.
bool Settled(const std::string& dir, const std::string& journal) {
    const std::optional<std::string> bytes = TryReadFile(journal);
    if (!bytes) return true;
    const std::optional<std::vector<Image>> images = ParseJournal(*bytes);
    return images && RecordsHoldAfter(dir, *images);
}

}  // namespace

void CrashSafeRecordEdit::Commit() {
    const std::string journal = JournalPath(dir_);
    // A journal left by a crash is settled at opening; until then nothing is written over it.
    if (FileIsThere(journal) && !Settled(dir_, journal)) ThrowIo(kAccessDenied, journal);
    std::vector<Image> images;
    for (const Entry& e : entries_)
        images.push_back({e.name, e.offset, ReadAt(dir_ + e.name, e.offset, e.after.size()), e.after});
    try {
        WriteFileAtomic(journal, Serialize(images));
    } catch (const IoError&) {
        // Removed, the edit has failed; in place (its content is synced), the edit goes on.
        if (!FileIsThere(journal) || RemoveFile(journal)) throw;
    }
    try {
        WriteImages(dir_, images, true);
    } catch (const IoError& e) {
        // Put the old records back and drop the journal; what cannot be undone stays in the
        // journal for the opening, and nothing more is written until then.
        bool undone = false;
        try {
            WriteImages(dir_, images, false);
            undone = RemoveFile(journal);
        } catch (const IoError&) {
        }
        if (undone) throw;
        SetArchiveReadOnly(LoadText(kKeptForOpeningText));
        throw IoError(e.Code(), e.Path(), LoadText(kKeptForOpeningText));
    }
    if (!RemoveFile(journal)) {
        // The edit is stored; the journal left behind is told of once and written over by the
        // next edit, and the next opening finds its records already written and drops it.
        static bool told = false;
        const int code = IoCodeFromErrno(errno);
        if (!std::exchange(told, true)) ReportIoError(IoError(code, journal, LoadText(kNotRemovedText)));
    }
}

std::optional<std::vector<JournalImage>> ParseJournal(const std::string& bytes) {
    std::vector<Image> images;
    if (!JournalReader(bytes).Read(images)) return std::nullopt;
    return images;
}

JournalRecovery RecoverJournal(const std::string& dir) {
    const std::string journal = JournalPath(dir);
    if (!FileIsThere(journal)) return JournalRecovery::None;
    auto setAside = [&journal](int reason) {
        SetAsideDamaged(journal, reason);
        return JournalRecovery::SetAside;
    };
    if (FileSize(journal).value_or(0) > kJournalBytesLimit) return setAside(kSetAsideTooLargeText);
    const std::optional<std::string> bytes = TryReadFile(journal);
    if (!bytes) return JournalRecovery::None;
    const std::optional<std::vector<Image>> images = ParseJournal(*bytes);
    if (!images) return setAside(kSetAsideDamagedText);
    // Records may reach past a file's end (notes are appended through the journal), never start
    // beyond it or beyond the records before them.
    std::map<std::string, int64_t> ends;
    for (const Image& image : *images) {
        std::error_code ec;
        const std::string path = ResolveExisting(dir + image.name);
        if (!std::filesystem::is_regular_file(path, ec)) return setAside(kSetAsideMissingText);
        auto [end, fresh] = ends.try_emplace(image.name, 0);
        if (fresh) end->second = FileSize(path).value_or(0);
        if (image.offset > end->second || image.before.size() > image.after.size())
            return setAside(kSetAsideBeyondText);
        end->second = std::max(end->second, image.offset + int64_t(image.after.size()));
    }
    // Only records that still hold what this station left there are written again; each is
    // read once, which also tells whether the edit is already in place.
    bool sound = true, written = true;
    for (size_t i = 0; sound && i < images->size(); ++i) {
        const Image& image = (*images)[i];
        const std::vector<uint8_t> now = ReadAt(dir + image.name, image.offset, image.after.size());
        const bool after = now == image.after;
        written = written && after;
        sound = after || now == image.before;
    }
    written = sound && written;
    if (sound && !written) WriteImages(dir, *images, true);
    if (!RemoveFile(journal)) ThrowErrno(journal);
    // Another station changed the records since: its cards win, and the user hears of it.
    if (!sound) ReportIoError(IoError(kInvalidNumber, journal));
    return sound && !written ? JournalRecovery::Applied : JournalRecovery::Discarded;
}

}  // namespace qv
