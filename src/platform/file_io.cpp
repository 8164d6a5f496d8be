#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/io_error.h"
#include "platform/paths.h"

namespace qv {

namespace {
AtomicWriteHook gAtomicHook = nullptr;
AtomicWriteHook gTempNameHook = nullptr;
std::string gTempStation;

struct PlannedFault {
    std::atomic<int> count{0};
    std::atomic<int> nth{0};
    std::atomic<int> error{0};
};
std::array<PlannedFault, kIoCallKinds> gFaults;

// Counts the call and answers the error a test planned for it, 0 when none.
int Planned(IoCall call) {
    PlannedFault& f = gFaults[size_t(call)];
    const int n = ++f.count;
    const int nth = f.nth.load();
    // A negative nth fails that call and every one after it: a disk that stays full.
    if (nth == 0 || (nth > 0 ? n != nth : n < -nth)) return 0;
    return f.error.load();
}

// Runs one system call the way every file call here goes: counted for the fault layer, failing as
// a test planned, and tried again when a signal interrupts it.
template <typename Call>
auto Checked(IoCall kind, Call call) -> decltype(call()) {
    for (;;) {
        const int planned = Planned(kind);
        decltype(call()) r = -1;
        if (planned > 0)
            errno = planned;
        else
            r = call();
        if (r >= 0 || errno != EINTR) return r;
    }
}

int OpenFd(const char* path, int flags, mode_t mode = 0) {
    return Checked(IoCall::Open, [&] { return ::open(path, flags, mode); });
}

// A planned short transfer moves half of what was asked, at least one byte.
size_t Shortened(IoCall kind, size_t n) {
    const PlannedFault& f = gFaults[size_t(kind)];
    return f.error.load() == kShortIoForTest && f.count.load() == f.nth.load() && n > 1 ? n / 2 : n;
}

ssize_t WriteAt(int fd, const void* data, size_t n, off_t offset) {
    return Checked(IoCall::Write, [&] { return ::pwrite(fd, data, Shortened(IoCall::Write, n), offset); });
}

ssize_t ReadAt(int fd, void* data, size_t n, off_t offset) {
    return Checked(IoCall::Read, [&] { return ::pread(fd, data, Shortened(IoCall::Read, n), offset); });
}

int SyncFd(int fd) {
    return Checked(IoCall::Sync, [&] { return ::fsync(fd); });
}

int RenameFile(const char* from, const char* to) {
    return Checked(IoCall::Rename, [&] { return ::rename(from, to); });
}

int LinkFile(const char* from, const char* to) {
    return Checked(IoCall::Link, [&] { return ::link(from, to); });
}

int UnlinkFile(const char* path) {
    return Checked(IoCall::Unlink, [&] { return ::unlink(path); });
}

// A read that failed: EIO is the disk's read error, anything else keeps its own code.
[[noreturn]] void ThrowReadError(const std::string& path) {
    ThrowIo(errno == EIO ? kReadPastEnd : IoCodeFromErrno(errno), path);
}

bool WriteAll(int fd, const char* data, size_t n) {
    off_t off = 0;
    while (n > 0) {
        ssize_t w = WriteAt(fd, data, n, off);
        if (w <= 0) return false;
        data += w;
        off += w;
        n -= size_t(w);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool IsRegularFd(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}
}  // namespace

void FailIoCallForTest(IoCall call, int nth, int error) {
    PlannedFault& f = gFaults[size_t(call)];
    f.count = 0;
    f.error = error;
    f.nth = nth;
}

void ResetIoFaultsForTest() {
    for (PlannedFault& f : gFaults) {
        f.nth = 0;
        f.count = 0;
    }
}

int IoCallCountForTest(IoCall call) {
    return gFaults[size_t(call)].count.load();
}

void SyncDirectoryOf(const std::string& path) {
    const std::string dir = DirectoryOf(path);
    int dfd = OpenFd(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd < 0) ThrowErrno(path);
    const bool synced = SyncFd(dfd) == 0 || errno == EINVAL;
    const int err = errno;
    ::close(dfd);
    errno = err;
    if (!synced) ThrowErrno(path);
}

std::vector<std::string> ListDirectory(const std::string& dir) {
    const int fd = OpenFd(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return {};
    if (fd < 0) ThrowErrno(dir);
    DIR* d = ::fdopendir(fd);
    if (!d) {
        const int err = errno;
        ::close(fd);
        errno = err;
        ThrowErrno(dir);
    }
    std::vector<std::string> names;
    for (;;) {
        // readdir answers null both at the end and on an error; only errno tells them apart.
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) break;
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    const int err = errno;
    ::closedir(d);
    errno = err;
    if (err != 0) ThrowErrno(dir);
    return names;
}

namespace {
// The contents of an open file from its start, which is closed: the whole file, which may be no
// larger than `limit`, or with `prefix` its first `limit` bytes. The size is taken once; a file
// cut meanwhile ends where it now ends. nullopt when it is no regular file.
std::optional<std::string> ReadOpenFile(int fd, const std::string& path, int64_t limit, bool prefix) {
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) ThrowReadError(path);
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    int64_t size = int64_t(st.st_size);
    if (size > limit) {
        if (!prefix) ThrowIo(kHeapOverflow, path);
        size = std::max<int64_t>(limit, 0);
    }
    std::string out(size_t(size), '\0');
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t r = ReadAt(fd, out.data() + got, out.size() - got, off_t(got));
        if (r < 0) ThrowReadError(path);
        if (r == 0) break;
        got += size_t(r);
    }
    out.resize(got);
    return out;
}

std::optional<std::string> ReadExisting(const std::string& path, int64_t limit, bool prefix) {
    if (path.empty()) return std::nullopt;
    const int fd = OpenFd(ResolveExisting(path).c_str(), O_RDONLY);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
    if (fd < 0) ThrowErrno(path);
    return ReadOpenFile(fd, path, limit, prefix);
}
}  // namespace

std::optional<std::string> TryReadFile(const std::string& path, int64_t limit) {
    return ReadExisting(path, limit, false);
}

std::optional<std::string> TryReadFilePrefix(const std::string& path, int64_t limit) {
    return ReadExisting(path, limit, true);
}

std::string ReadFileOrThrow(const std::string& path, int64_t limit) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    const int fd = OpenFd(ResolveExisting(path).c_str(), O_RDONLY);
    if (fd < 0) ThrowErrno(path);
    auto bytes = ReadOpenFile(fd, path, limit, false);
    if (!bytes) ThrowIo(kReadPastEnd, path);
    return std::move(*bytes);
}

void SetAtomicWriteHookForTest(AtomicWriteHook hook) {
    gAtomicHook = hook;
}

void SetTempFileStation(const std::string& station) {
    gTempStation = station;
}

const std::string& TempFileHost() {
    static const std::string host = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0) name[0] = 0;
        std::string kept;
        for (const char* p = name; *p; ++p)
            if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '-')
                kept += *p;
        return kept;
    }();
    return host;
}

namespace {
// ".tmp<station>_<host>_": what every temporary name of this station on this machine holds
// before its process id.
std::string TempMark() {
    return ".tmp" + gTempStation + "_" + TempFileHost() + "_";
}
}  // namespace

std::string TempPathBeside(const std::string& path) {
    static std::mt19937 rng(std::random_device{}());
    const std::string stem = path + TempMark() + std::to_string(::getpid()) + "-";
    // A temporary a failed job could not remove keeps its name until the next opening: a name
    // already taken would have a job write into, rename or restore that file as its own.
    std::string temp;
    struct stat st;
    for (int tries = 0; tries < 1000; ++tries) {
        temp = stem + std::to_string(rng() % 100000);
        if (::lstat(temp.c_str(), &st) != 0 && errno == ENOENT) break;
    }
    if (gTempNameHook) gTempNameHook(temp);
    return temp;
}

void SetTempNameHookForTest(AtomicWriteHook hook) {
    gTempNameHook = hook;
}

int RemoveStaleTempFiles(const std::string& dir) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return 0;
    // A process id means something only on the machine that ran it: another host's files,
    // even under this station number, may belong to a job running there right now.
    const std::string mark = TempMark();
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const size_t at = name.rfind(mark);
        if (at == std::string::npos) continue;
        const char* digits = name.c_str() + at + mark.size();
        if (*digits < '0' || *digits > '9') continue;
        char* end = nullptr;
        const long pid = std::strtol(digits, &end, 10);
        if (*end != '-' || pid <= 0) continue;
        // A process that still runs may be writing it right now.
        if (pid == long(::getpid()) || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        stale.push_back(name);
    }
    ::closedir(d);
    const std::string base = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    int removed = 0;
    for (const std::string& name : stale) removed += UnlinkFile((base + name).c_str()) == 0;
    return removed;
}

namespace {
// Writes `bytes` to a fresh temporary beside `target`, synced unless asked otherwise, with the old
// file's permissions when there is one, and answers its name. Nothing is left on failure; the
// error names `path`.
std::string WriteTempBeside(const std::string& target, std::string_view bytes, const std::string& path,
                            Durability durability = Durability::Synced) {
    const std::string temp = TempPathBeside(target);
    const int fd = OpenFd(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (fd < 0) ThrowErrno(path);
    const bool written =
        WriteAll(fd, bytes.data(), bytes.size()) && (durability == Durability::Unsynced || SyncFd(fd) == 0);
    const int writeError = errno;
    // Unsynced, a failure the system finds late is told by close.
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        const int err = written ? errno : writeError;
        UnlinkFile(temp.c_str());
        errno = err;
        ThrowErrno(path);
    }
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) ::chmod(temp.c_str(), st.st_mode & 07777);
    return temp;
}
}  // namespace

void WriteFileAtomic(const std::string& path, std::string_view bytes, Durability durability) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    const std::string target = ResolveForCreate(path);
    const std::string temp = WriteTempBeside(target, bytes, path, durability);
    try {
        if (gAtomicHook) gAtomicHook(temp);
    } catch (...) {
        UnlinkFile(temp.c_str());
        throw;
    }
    if (RenameFile(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        UnlinkFile(temp.c_str());
        errno = err;
        ThrowErrno(path);
    }
    if (durability == Durability::Synced) SyncDirectoryOf(target);
}

FilesReplacedOrPutBack::~FilesReplacedOrPutBack() {
    RemoveTemporaries();
}

void FilesReplacedOrPutBack::Stage(const std::string& path, std::string_view bytes) {
    try {
        if (path.empty()) ThrowIo(kFileNotFound, path);
        Entry e{path, ResolveForCreate(path), {}, {}};
        e.temp = WriteTempBeside(e.target, bytes, path);
        entries_.push_back(std::move(e));
    } catch (...) {
        // The set is incomplete: none of it may replace anything.
        RemoveTemporaries();
        throw;
    }
}

void FilesReplacedOrPutBack::Commit() {
    size_t renamed = 0;
    try {
        // The old files stay reachable until every new one is in place: a second link to each,
        // or a copy where the file system has no links.
        for (Entry& e : entries_) {
            struct stat st;
            if (::lstat(e.target.c_str(), &st) != 0) continue;
            const std::string backup = TempPathBeside(e.target);
            e.backup = LinkFile(e.target.c_str(), backup.c_str()) == 0
                           ? backup
                           : WriteTempBeside(e.target, ReadFileOrThrow(e.target), e.path);
        }
        for (; renamed < entries_.size(); ++renamed) {
            Entry& e = entries_[renamed];
            if (RenameFile(e.temp.c_str(), e.target.c_str()) != 0) ThrowErrno(e.path);
            e.temp.clear();
        }
        SyncDirectories(entries_.size());
    } catch (...) {
        PutBack(renamed);
        RemoveTemporaries();
        throw;
    }
    RemoveTemporaries();
}

// Puts the old files back over the first `renamed` entries; a file that was not there before is
// removed again. An old file that cannot be put back keeps its temporary name and is never deleted.
void FilesReplacedOrPutBack::PutBack(size_t renamed) {
    for (size_t i = renamed; i-- > 0;) {
        Entry& e = entries_[i];
        if (e.backup.empty())
            UnlinkFile(e.target.c_str());
        else
            RenameFile(e.backup.c_str(), e.target.c_str());
        e.backup.clear();
    }
    try {
        SyncDirectories(renamed);
    } catch (const IoError&) {
        // The failure that stopped the commit is the one reported.
    }
}

void FilesReplacedOrPutBack::SyncDirectories(size_t count) const {
    std::vector<std::string> synced;
    for (size_t i = 0; i < count; ++i) {
        const std::string dir = DirectoryOf(entries_[i].target);
        if (std::find(synced.begin(), synced.end(), dir) != synced.end()) continue;
        SyncDirectoryOf(entries_[i].target);
        synced.push_back(dir);
    }
}

void FilesReplacedOrPutBack::RemoveTemporaries() {
    for (const Entry& e : entries_) {
        if (!e.temp.empty()) UnlinkFile(e.temp.c_str());
        if (!e.backup.empty()) UnlinkFile(e.backup.c_str());
    }
    entries_.clear();
}

void RenameOver(const std::string& from, const std::string& path) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    const std::string target = ResolveForCreate(path);
    if (RenameFile(ResolveExisting(from).c_str(), target.c_str()) != 0) ThrowErrno(path);
    SyncDirectoryOf(target);
}

void KeepSecondLink(const std::string& path, const std::string& keep) {
    if (LinkFile(ResolveExisting(path).c_str(), keep.c_str()) != 0) {
        WriteFileAtomic(keep, ReadFileOrThrow(path));
        return;
    }
    SyncDirectoryOf(keep);
}

bool RemoveFile(const std::string& path) {
    if (path.empty()) return false;
    return UnlinkFile(ResolveExisting(path).c_str()) == 0;
}

std::optional<int64_t> FileSize(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(ResolveExisting(path).c_str(), &st) != 0) return std::nullopt;
    return int64_t(st.st_size);
}

RecordFile::~RecordFile() {
    Close();
}

RecordFile::RecordFile(RecordFile&& o) noexcept
    : fd_(o.fd_), recordSize_(o.recordSize_), path_(std::move(o.path_)) {
    o.fd_ = -1;
}

RecordFile& RecordFile::operator=(RecordFile&& o) noexcept {
    if (this != &o) {
        Close();
        fd_ = o.fd_;
        recordSize_ = o.recordSize_;
        path_ = std::move(o.path_);
        o.fd_ = -1;
    }
    return *this;
}

bool RecordFile::TryOpen(const std::string& path, int recordSize, Mode mode) {
    Close();
    recordSize_ = recordSize > 0 ? recordSize : 1;
    path_ = path;
    if (path.empty()) return false;
    switch (mode) {
        case Mode::Read:
            fd_ = OpenFd(ResolveExisting(path).c_str(), O_RDONLY);
            break;
        case Mode::ReadWrite:
            fd_ = OpenFd(ResolveExisting(path).c_str(), O_RDWR);
            break;
        case Mode::Create:
            fd_ = OpenFd(ResolveForCreate(path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0666);
            break;
        case Mode::CreateNew:
            fd_ = OpenFd(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
            break;
        case Mode::OpenOrCreate:
            fd_ = OpenFd(ResolveExisting(path).c_str(), O_RDWR);
            // Exclusive, so that a file another station made meanwhile is opened, not emptied.
            if (fd_ < 0 && errno == ENOENT) {
                fd_ = OpenFd(ResolveForCreate(path).c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
                if (fd_ < 0 && errno == EEXIST) fd_ = OpenFd(ResolveExisting(path).c_str(), O_RDWR);
            }
            break;
    }
    if (fd_ >= 0 && !IsRegularFd(fd_)) {
        ::close(fd_);
        fd_ = -1;
        errno = EISDIR;
    }
    return fd_ >= 0;
}

bool RecordFile::OpenIfExists(const std::string& path, int recordSize, Mode mode) {
    if (TryOpen(path, recordSize, mode)) return true;
    if (path.empty() || errno == ENOENT) return false;
    ThrowErrno(path);
}

void RecordFile::Open(const std::string& path, int recordSize, Mode mode) {
    if (!TryOpen(path, recordSize, mode)) {
        if (path.empty()) ThrowIo(kFileNotFound, path);
        ThrowErrno(path);
    }
}

void RecordFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int64_t RecordFile::RecordCount() const {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    struct stat st;
    if (::fstat(fd_, &st) != 0) ThrowErrno(path_);
    return int64_t(st.st_size) / recordSize_;
}

int64_t RecordFile::ReadUpTo(int64_t index, void* buffer, int64_t count) const {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    if (index < 0 || count < 0) ThrowIo(kReadPastEnd, path_);
    const size_t want = size_t(count) * size_t(recordSize_);
    size_t got = 0;
    off_t off = off_t(index) * recordSize_;
    char* p = static_cast<char*>(buffer);
    while (got < want) {
        const ssize_t r = ReadAt(fd_, p + got, want - got, off + off_t(got));
        if (r < 0) ThrowReadError(path_);
        if (r == 0) break;
        got += size_t(r);
    }
    return int64_t(got) / recordSize_;
}

void RecordFile::Read(int64_t index, void* buffer, int64_t count) const {
    if (ReadUpTo(index, buffer, count) != count) ThrowIo(kReadPastEnd, path_);
}

void RecordFile::Write(int64_t index, const void* buffer, int64_t count) {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    if (index < 0 || count < 0) ThrowIo(kDiskWriteError, path_);
    const size_t n = size_t(count) * size_t(recordSize_);
    const char* p = static_cast<const char*>(buffer);
    off_t off = off_t(index) * recordSize_;
    size_t done = 0;
    while (done < n) {
        const ssize_t w = WriteAt(fd_, p + done, n - done, off + off_t(done));
        if (w <= 0) ThrowErrno(path_);
        done += size_t(w);
    }
}

void RecordFile::Truncate(int64_t records) {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    if (::ftruncate(fd_, off_t(records) * recordSize_) != 0) ThrowErrno(path_);
}

void RecordFile::Sync() {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    if (SyncFd(fd_) != 0) ThrowErrno(path_);
}

void RecordFile::Lock() {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    while (::flock(fd_, LOCK_EX) != 0)
        if (errno != EINTR) ThrowIo(kAccessDenied, path_);
}

FileLock::FileLock(const std::string& path) {
    fd_ = OpenFd(ResolveExisting(path).c_str(), O_RDONLY);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

bool WriteFileAtomicIfChanged(const std::string& path, std::string_view bytes) {
    std::optional<std::string> now;
    try {
        now = TryReadFile(path);
    } catch (const IoError& e) {
        // Written anew all the same; the failed read is still told.
        ReportIoError(e);
    }
    if (now && *now == bytes) return false;
    WriteFileAtomic(path, bytes);
    return true;
}

}  // namespace qv
