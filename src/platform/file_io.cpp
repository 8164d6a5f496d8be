#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/io_error.h"
#include "platform/paths.h"

namespace qv {

namespace {
AtomicWriteHook gAtomicHook = nullptr;

bool WriteAll(int fd, const char* data, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += w;
        n -= size_t(w);
    }
    return true;
}

void SyncDir(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}
}  // namespace

std::optional<std::string> TryReadFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    int fd = ::open(ResolveExisting(path).c_str(), O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string out;
    out.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        ssize_t r = ::read(fd, out.data() + got, out.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += size_t(r);
    }
    ::close(fd);
    out.resize(got);
    return out;
}

std::string ReadFileOrThrow(const std::string& path) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    std::string real = ResolveExisting(path);
    int fd = ::open(real.c_str(), O_RDONLY);
    if (fd < 0) ThrowErrno(path);
    ::close(fd);
    auto r = TryReadFile(real);
    if (!r) ThrowIo(kReadPastEnd, path);
    return *r;
}

void SetAtomicWriteHookForTest(AtomicWriteHook hook) {
    gAtomicHook = hook;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    const std::string target = ResolveForCreate(path);
    static std::mt19937 rng(std::random_device{}());
    const std::string temp =
        target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(rng() % 100000);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC, 0666);
    if (fd < 0) ThrowErrno(path);
    if (!WriteAll(fd, bytes.data(), bytes.size()) || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = err;
        ThrowErrno(path);
    }
    ::close(fd);
    // Keep the old file's permissions when there is one.
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) ::chmod(temp.c_str(), st.st_mode & 07777);
    try {
        if (gAtomicHook) gAtomicHook(temp);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        errno = err;
        ThrowErrno(path);
    }
    SyncDir(target);
}

void RenameOver(const std::string& from, const std::string& path) {
    if (path.empty()) ThrowIo(kFileNotFound, path);
    const std::string target = ResolveForCreate(path);
    if (::rename(ResolveExisting(from).c_str(), target.c_str()) != 0) ThrowErrno(path);
    SyncDir(target);
}

bool RemoveFile(const std::string& path) {
    if (path.empty()) return false;
    return ::unlink(ResolveExisting(path).c_str()) == 0;
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
            fd_ = ::open(ResolveExisting(path).c_str(), O_RDONLY);
            break;
        case Mode::ReadWrite:
            fd_ = ::open(ResolveExisting(path).c_str(), O_RDWR);
            break;
        case Mode::Create:
            fd_ = ::open(ResolveForCreate(path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0666);
            break;
    }
    if (fd_ >= 0) {
        struct stat st;
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            errno = EISDIR;
        }
    }
    return fd_ >= 0;
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
        ssize_t r = ::pread(fd_, p + got, want - got, off + off_t(got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) ThrowErrno(path_);
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
        ssize_t w = ::pwrite(fd_, p + done, n - done, off + off_t(done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) ThrowErrno(path_);
        done += size_t(w);
    }
}

void RecordFile::Truncate(int64_t records) {
    if (fd_ < 0) ThrowIo(kFileNotOpen, path_);
    if (::ftruncate(fd_, off_t(records) * recordSize_) != 0) ThrowErrno(path_);
}

void RecordFile::Sync() {
    if (fd_ >= 0) ::fsync(fd_);
}

FileLock::FileLock(const std::string& path) {
    fd_ = ::open(ResolveExisting(path).c_str(), O_RDONLY);
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

}  // namespace qv
