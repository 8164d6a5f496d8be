#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <system_error>
#include <utility>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

// A suffix no other file of an archive uses, so copies and compiles never take it for data.
constexpr char kMarkerPrefix[] = "sch-";
constexpr char kMarkerSuffix[] = ".ren";
// A marker names a few files; anything larger is not one.
constexpr int64_t kMarkerBytesLimit = 64 * 1024;
constexpr char kSetAsideSuffix[] = ".danneggiato";
constexpr char kIndexName[] = "dli-sch.dat";

constexpr int kPendingCommitText = 2121;
constexpr int kRolledBackText = 2122;
constexpr int kReadOnlyText = 2123;
constexpr int kOpeningRollbackText = 2124;
constexpr int kSetAsideText = 2125;
constexpr int kDamagedText = 2126;
constexpr int kTooLargeText = 2129;

std::string gReadOnlyReason;
std::string gRecoveryNotices;

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MarkerPath(const std::string& dir) {
    return dir + kMarkerPrefix + CoreState.StationNumber + kMarkerSuffix;
}

bool IsMarkerName(const std::string& name) {
    const size_t prefix = sizeof kMarkerPrefix - 1, suffix = sizeof kMarkerSuffix - 1;
    return name.size() >= prefix + suffix && name.compare(0, prefix, kMarkerPrefix) == 0 &&
           name.compare(name.size() - suffix, suffix, kMarkerSuffix) == 0;
}

std::vector<std::string> Markers(const std::string& dir) {
    std::vector<std::string> markers;
    for (const std::string& name : ListDirectory(dir))
        if (IsMarkerName(name)) markers.push_back(dir + name);
    return markers;
}

CommitMarker::Stamp StampOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {};
    return {int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::string StampText(const CommitMarker::Stamp& s) {
    return std::to_string(s.size) + "\t" + std::to_string(s.time);
}

// A plain name inside the archive directory.
bool SafeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// A temporary of `target` (see TempPathBeside): what a marker may rename over it or keep of it.
bool TemporaryOf(std::string_view name, std::string_view target) {
    return name.size() > target.size() + 4 && name.substr(0, target.size()) == target &&
           name.substr(target.size(), 4) == ".tmp";
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
    return true;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t at = 0;;) {
        const size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

template <typename Int>
bool Number(std::string_view text, Int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

void WriteIndex(const std::string& dir, const CommitMarker& m, int32_t last) {
    CardFiles(std::string(), std::string(), dir + m.index, CardGeometry{}).WriteLastCard(last);
}

// A second link to the old file, kept until the marker is gone; a copy where links fail.
void KeepOld(const std::string& dir, const CommitMarker::Entry& e) {
    const std::string target = dir + e.target, backup = dir + e.backup;
    if (e.legacy || e.backup.empty() || FileIsThere(backup) || !FileIsThere(target)) return;
    KeepSecondLink(target, backup);
}

bool Removes(const CommitMarker::Entry& e) {
    return !e.legacy && e.after.size < 0;
}

// The renames, the removals and the index, each step done only where it is still to do.
void Apply(const std::string& dir, const CommitMarker& m) {
    for (const CommitMarker::Entry& e : m.entries) KeepOld(dir, e);
    for (const CommitMarker::Entry& e : m.entries) {
        const std::string target = dir + e.target;
        if (FileIsThere(dir + e.staged)) {
            RenameOver(dir + e.staged, target);
        } else if (Removes(e) && FileIsThere(target)) {
            if (!RemoveFile(target) && errno != ENOENT) ThrowErrno(target);
            SyncDirectoryOf(target);
        }
    }
    if (!m.index.empty()) WriteIndex(dir, m, m.lastAfter);
}

// The old files put back and the new ones dropped.
void Rollback(const std::string& dir, const CommitMarker& m) {
    for (const CommitMarker::Entry& e : m.entries) {
        if (e.legacy) continue;
        if (FileIsThere(dir + e.backup)) {
            RenameOver(dir + e.backup, dir + e.target);
        } else if (e.before.size < 0 && !Removes(e) && StampOf(dir + e.target) == e.after) {
            if (!RemoveFile(dir + e.target)) ThrowErrno(dir + e.target);
        }
        if (FileIsThere(dir + e.staged) && !RemoveFile(dir + e.staged)) ThrowErrno(dir + e.staged);
    }
    if (!m.index.empty() && m.lastBefore) WriteIndex(dir, m, *m.lastBefore);
}

// Whether every file is as the job left it, somewhere between its first and its last rename:
// each target replaced by the new file, or still the old one with the new one staged.
bool AsLeft(const std::string& dir, const CommitMarker& m) {
    for (const CommitMarker::Entry& e : m.entries) {
        if (e.legacy) continue;
        const CommitMarker::Stamp target = StampOf(dir + e.target);
        if (target == e.after) continue;
        if (target != e.before || StampOf(dir + e.staged) != e.after) return false;
    }
    if (!m.index.empty() && m.lastBefore) {
        int32_t now = 0;
        try {
            now = CardFiles(std::string(), std::string(), dir + m.index, CardGeometry{}).ReadLastCard();
        } catch (const IoError&) {
            return false;
        }
        if (now != m.lastAfter && now != *m.lastBefore) return false;
    }
    return true;
}

// The marker gone, then the old files it kept.
void Clear(const std::string& marker, const std::string& dir, const CommitMarker& m) {
    if (!RemoveFile(marker) && errno != ENOENT) ThrowErrno(marker);
    SyncDirectoryOf(marker);
    for (const CommitMarker::Entry& e : m.entries)
        if (!e.backup.empty()) RemoveFile(dir + e.backup);
}

std::optional<CommitMarker> ReadMarker(const std::string& marker) {
    if (FileSize(marker).value_or(0) > kMarkerBytesLimit) {
        SetAsideDamaged(marker, kTooLargeText);
        return std::nullopt;
    }
    std::optional<CommitMarker> m = ParseCommitMarker(ReadFileOrThrow(marker));
    if (!m) SetAsideDamaged(marker, kDamagedText);
    return m;
}

// Settles one marker at opening. Answers whether the definition is to be built; the marker
// then stays until it is.
bool SettleMarker(const std::string& dir, const std::string& marker) {
    const std::optional<CommitMarker> m = ReadMarker(marker);
    if (!m) return false;
    if (AsLeft(dir, *m)) {
        Apply(dir, *m);
    } else {
        Rollback(dir, *m);
        AddRecoveryNotice(LoadText(kOpeningRollbackText));
    }
    if (m->rebuild) return true;
    Clear(marker, dir, *m);
    return false;
}

}  // namespace

std::optional<CommitMarker> ParseCommitMarker(std::string_view bytes) {
    CommitMarker m;
    TextReader in{std::string(bytes)};
    bool any = false;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(std::string::npos);
        if (line.empty()) continue;
        any = true;
        if (line == "C") {
            m.rebuild = true;
            continue;
        }
        if (line.size() < 3 || line[1] != ' ') return std::nullopt;
        const std::vector<std::string_view> f = Fields(std::string_view(line).substr(2));
        if (line[0] == 'R' && (f.size() == 2 || f.size() == 7)) {
            CommitMarker::Entry e;
            e.staged = f[0];
            e.target = f[1];
            e.legacy = f.size() == 2;
            if (!e.legacy) {
                e.backup = f[2];
                if (!SafeName(e.backup) || !Number(f[3], e.after.size) || !Number(f[4], e.after.time) ||
                    !Number(f[5], e.before.size) || !Number(f[6], e.before.time) || e.after.size < -1 ||
                    e.before.size < -1)
                    return std::nullopt;
            }
            // Only the job's own temporaries are renamed over a file or put back in its place.
            if (!SafeName(e.staged) || !SafeName(e.target) || !TemporaryOf(e.staged, e.target) ||
                (!e.legacy && !TemporaryOf(e.backup, e.target)))
                return std::nullopt;
            m.entries.push_back(std::move(e));
        } else if (line[0] == 'I' && (f.size() == 2 || f.size() == 3) && m.index.empty()) {
            m.index = f[0];
            if (!SameNameIgnoringCase(m.index, kIndexName) || !Number(f[1], m.lastAfter)) return std::nullopt;
            if (f.size() == 3) {
                int32_t before = 0;
                if (!Number(f[2], before) || before < -1 || before > kLastCardNumber) return std::nullopt;
                m.lastBefore = before;
            }
            if (m.lastAfter < -1 || m.lastAfter > kLastCardNumber) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    return m;
}

CrashSafeArchiveReplacement::CrashSafeArchiveReplacement(std::string archiveDir)
    : dir_(std::move(archiveDir)) {}

CrashSafeArchiveReplacement::~CrashSafeArchiveReplacement() {
    if (committed_) return;
    for (const Rename& r : renames_)
        if (!r.remove) RemoveFile(dir_ + r.staged);
}

std::string CrashSafeArchiveReplacement::Stage(const std::string& target) {
    const std::string real = ResolveForCreate(target);
    const std::string staged = TempPathBeside(real);
    RecordFile(staged, 1, RecordFile::Mode::CreateNew);
    renames_.push_back({NameOf(staged), NameOf(real)});
    return staged;
}

void CrashSafeArchiveReplacement::Remove(const std::string& target) {
    const std::string name = NameOf(ResolveForCreate(target));
    std::erase_if(renames_, [&](const Rename& r) {
        if (r.target != name) return false;
        if (!r.remove) RemoveFile(dir_ + r.staged);
        return true;
    });
    // The marker names a temporary all the same: only temporaries of a file may stand beside it.
    renames_.push_back({NameOf(TempPathBeside(dir_ + name)), name, true});
}

std::string CrashSafeArchiveReplacement::StageCopy(const std::string& target) {
    const std::string staged = Stage(target);
    WriteFileAtomic(staged, ReadFileOrThrow(target));
    return staged;
}

void CrashSafeArchiveReplacement::SetLastCard(const std::string& indexPath, int32_t last) {
    index_.emplace(NameOf(ResolveForCreate(indexPath)), last);
}

void CrashSafeArchiveReplacement::Commit(const std::function<void()>& build) {
    RefusePendingCommits(dir_);
    CommitMarker m;
    TextBuilder text;
    for (const Rename& r : renames_) {
        if (r.remove && !FileIsThere(dir_ + r.target)) continue;
        if (!r.remove) RecordFile(dir_ + r.staged, 1, RecordFile::Mode::ReadWrite).Sync();
        CommitMarker::Entry e;
        e.staged = r.staged;
        e.target = r.target;
        e.backup = NameOf(TempPathBeside(dir_ + r.target));
        e.after = StampOf(dir_ + r.staged);
        e.before = StampOf(dir_ + r.target);
        text.Line("R " + r.staged + "\t" + r.target + "\t" + e.backup + "\t" + StampText(e.after) + "\t" +
                  StampText(e.before));
        m.entries.push_back(std::move(e));
    }
    if (index_) {
        m.index = index_->first;
        m.lastAfter = index_->second;
        std::string line = "I " + m.index + "\t" + std::to_string(m.lastAfter);
        // Without an index there is none to go back to: a rollback leaves it as it finds it.
        if (FileIsThere(dir_ + m.index)) {
            m.lastBefore =
                CardFiles(std::string(), std::string(), dir_ + m.index, CardGeometry{}).ReadLastCard();
            line += "\t" + std::to_string(*m.lastBefore);
        }
        text.Line(line);
    }
    m.rebuild = bool(build);
    if (m.rebuild) text.Line("C");
    const std::string path = MarkerPath(dir_);
    try {
        text.Save(path);
    } catch (const IoError&) {
        // A marker that reached the directory must go again, or it counts like one written whole.
        if (!FileIsThere(path) || RemoveFile(path)) throw;
    }
    // From here on the job ends done or rolled back before this returns.
    committed_ = true;
    try {
        Apply(dir_, m);
        if (build) build();
        Clear(path, dir_, m);
    } catch (const IoError& first) {
        try {
            Rollback(dir_, m);
            if (build) build();
            Clear(path, dir_, m);
        } catch (const IoError&) {
            SetArchiveReadOnly(LoadText(kReadOnlyText));
            throw IoError(first.Code(), first.Path(), LoadText(kReadOnlyText));
        }
        throw IoError(first.Code(), first.Path(), LoadText(kRolledBackText));
    }
}

bool FinishArchiveCommits(const std::string& archiveDir) {
    bool rebuild = false;
    for (const std::string& marker : Markers(archiveDir))
        rebuild = SettleMarker(archiveDir, marker) || rebuild;
    return rebuild;
}

void ClearArchiveCommits(const std::string& archiveDir) {
    for (const std::string& marker : Markers(archiveDir)) {
        const std::optional<std::string> bytes = TryReadFile(marker);
        const std::optional<CommitMarker> m = bytes ? ParseCommitMarker(*bytes) : std::nullopt;
        Clear(marker, archiveDir, m.value_or(CommitMarker{}));
    }
}

void RefusePendingCommits(const std::string& archiveDir) {
    const std::vector<std::string> markers = Markers(archiveDir);
    if (!markers.empty()) throw IoError(kAccessDenied, markers.front(), LoadText(kPendingCommitText));
}

bool RecoverArchive(const std::string& archiveDir) {
    if (archiveDir.empty()) return false;
    SetTempFileStation(CoreState.StationNumber);
    const std::string index = archiveDir + kIndexName;
    FileLock lock(index);
    if (!lock.Locked() && FileIsThere(index)) ThrowIo(kAccessDenied, index);
    const bool rebuild = FinishArchiveCommits(archiveDir);
    RecoverJournal(archiveDir);
    RemoveStaleTempFiles(archiveDir);
    return rebuild;
}

void SetAsideDamaged(const std::string& path, int reasonText) {
    const std::string aside = path + kSetAsideSuffix;
    RenameOver(path, aside);
    AddRecoveryNotice(LoadText(kSetAsideText) + "\n" + DisplayPath(aside) + "\n" + LoadText(reasonText));
}

void AddRecoveryNotice(const std::string& text) {
    if (!gRecoveryNotices.empty()) gRecoveryNotices += "\n\n";
    gRecoveryNotices += text;
}

std::string TakeRecoveryNotices() {
    return std::exchange(gRecoveryNotices, std::string());
}

void SetArchiveReadOnly(const std::string& reason) {
    gReadOnlyReason = reason;
}

bool ArchiveWritable() {
    return CoreState.WriteAccess != 0 && gReadOnlyReason.empty();
}

const std::string& ArchiveReadOnlyReason() {
    return gReadOnlyReason;
}

}  // namespace qv
