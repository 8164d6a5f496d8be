#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Whole-file reads: the whole file or the input/output error. Only "no such file" means absent
// (nullopt); a read that moves fewer bytes is read on, and a read that fails raises, so a failure
// is never taken for the end of the file. A file larger than `limit` bytes is refused with
// kHeapOverflow before anything is allocated for it. Something that is not a regular file (a
// directory under that name) counts as absent for the optional forms.
constexpr int64_t kWholeFileLimit = int64_t(1) << 30;
std::optional<std::string> TryReadFile(const std::string& path, int64_t limit = kWholeFileLimit);
std::string ReadFileOrThrow(const std::string& path, int64_t limit = kWholeFileLimit);
// The first `limit` bytes of a file (all of it when it is shorter), read as the whole-file reads
// are; for files of which only a head is ever used.
std::optional<std::string> TryReadFilePrefix(const std::string& path, int64_t limit);

// Whether a rewritten file is on the disk when the write returns (the file and its directory
// synced, so that it survives a crash), or left to the system: for a file made again from others
// at every use (a picture of the map or of a report), where the wait for the disk would be felt.
enum class Durability { Synced, Unsynced };
// Rewrites a file whole: the bytes go to a temporary file in the same directory, which is
// synced and renamed over the old one, then the directory is synced (unsynced: neither). A
// failure at any point leaves the old file untouched and raises the input/output error.
void WriteFileAtomic(const std::string& path, std::string_view bytes,
                     Durability durability = Durability::Synced);
// The same, done only when the file does not already hold `bytes` (one that cannot be read is
// written, and the failed read is reported), so that starting and opening write nothing on a full disk when
// nothing changed. Answers whether it wrote.
bool WriteFileAtomicIfChanged(const std::string& path, std::string_view bytes);

// Test hook: when set, called after the temporary file is written and before the rename; a
// throwing hook simulates a crash at that point.
using AtomicWriteHook = void (*)(const std::string& tempPath);
void SetAtomicWriteHookForTest(AtomicWriteHook hook);

// Temporary files are named "<file>.tmp<station>_<host>_<process>-<n>", so that an archive
// shared by several stations and machines can tell whose leftovers are whose. The host is this
// machine's name with letters, digits and "-" only.
void SetTempFileStation(const std::string& station);
const std::string& TempFileHost();
// A fresh temporary name of that form beside `path`, naming no file there now. Whoever creates
// the file creates it exclusively and follows no symbolic link (RecordFile::Mode::CreateNew).
std::string TempPathBeside(const std::string& path);
// Test hook: told every temporary name as it is chosen, before anything is created under it
// (a test plays someone who guessed it).
void SetTempNameHookForTest(AtomicWriteHook hook);
// Removes the temporary files in `dir` that this station's processes on this machine left and
// whose process is gone (a kill during a write). Other stations' and other machines' files are
// never touched. Answers how many were removed.
int RemoveStaleTempFiles(const std::string& dir);

// The names in a directory, "." and ".." left out. A directory that is not there holds none; one
// that fails to open or to be read raises the input/output error, so that a file in it is never
// taken for absent.
std::vector<std::string> ListDirectory(const std::string& dir);

// Syncs the directory holding `path`, so that a rename or a new file in it survives a crash.
// A file system that cannot sync directories (EINVAL) counts as done; other failures raise.
void SyncDirectoryOf(const std::string& path);

// Fault injection for tests: the platform's file calls of one kind are counted, and the nth one
// from now on (1 = the next) fails with `error` (EIO, ENOSPC, ...) without reaching the system;
// with -n, the nth and every later one fails. EINTR is answered by trying the call again; kShortIoForTest
// makes the nth read or write move fewer bytes than asked (at least one), which the caller must carry on
// from.
enum class IoCall { Open, Write, Sync, Rename, Read, Link, Unlink };
constexpr int kIoCallKinds = 7;
constexpr int kShortIoForTest = -1;
void FailIoCallForTest(IoCall call, int nth, int error);
// Clears every planned failure and every count.
void ResetIoFaultsForTest();
int IoCallCountForTest(IoCall call);

// Renames a file the caller wrote and synced over `path` in the same directory (an existing
// spelling of `path` is reused), then syncs the directory. Raises the input/output error.
void RenameOver(const std::string& from, const std::string& path);

// Keeps `path` reachable as `keep` too: a second link, or a synced copy where the file system has
// no links; then syncs the directory. Raises the input/output error.
void KeepSecondLink(const std::string& path, const std::string& keep);

// Several files replaced together, or the old ones put back: Stage writes each file's new bytes to
// a synced temporary beside it (named as WriteFileAtomic names them); Commit then renames them all
// over the old files and syncs their directories. A failure while staging, or in Commit, puts back
// every file already replaced and removes the temporaries before it raises the input/output error,
// so the files are all old or all new; only a crash in the middle of Commit's renames can leave
// some of each, and nothing settles that later (an archive's files, which must survive a crash
// whole, go through CrashSafeArchiveReplacement in core/commits.h). Files never committed (an
// exception before Commit) are removed with the object.
class FilesReplacedOrPutBack {
  public:
    FilesReplacedOrPutBack() = default;
    ~FilesReplacedOrPutBack();
    FilesReplacedOrPutBack(const FilesReplacedOrPutBack&) = delete;
    FilesReplacedOrPutBack& operator=(const FilesReplacedOrPutBack&) = delete;

    void Stage(const std::string& path, std::string_view bytes);
    void Commit();

  private:
    struct Entry {
        std::string path;    // as the caller named it, for the error
        std::string target;  // the spelling on disk
        std::string temp;
        std::string backup;  // the old file, kept until every rename is done; empty when none
    };
    void PutBack(size_t renamed);
    void SyncDirectories(size_t count) const;
    void RemoveTemporaries();
    std::vector<Entry> entries_;
};

bool RemoveFile(const std::string& path);
std::optional<int64_t> FileSize(const std::string& path);

// A file of fixed-size records addressed by record number, opened with the program's rules:
// an existing file is found ignoring case, a new one reuses an existing spelling.
class RecordFile {
  public:
    // Create empties the file (or makes it): only for files rewritten whole on purpose.
    // OpenOrCreate opens an existing file for writing and makes one only when there is none:
    // a file that fails to open for any other reason is never replaced by an empty one.
    // CreateNew makes a file under exactly that name and fails when anything (a symbolic link
    // included) is there already: for temporaries.
    enum class Mode { Read, ReadWrite, Create, OpenOrCreate, CreateNew };

    RecordFile() = default;
    RecordFile(const std::string& path, int recordSize, Mode mode) { Open(path, recordSize, mode); }
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;

    // Raises the input/output error when the file cannot be opened.
    void Open(const std::string& path, int recordSize, Mode mode);
    // Answers false instead of raising (errno tells why).
    bool TryOpen(const std::string& path, int recordSize, Mode mode);
    // Answers false only when there is no such file: one that is there but fails to open raises,
    // so it is never taken for a missing one.
    bool OpenIfExists(const std::string& path, int recordSize, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    int RecordSize() const { return recordSize_; }
    int Fd() const { return fd_; }

    int64_t RecordCount() const;
    // Reads `count` records from record `index`; a record past the end raises code 100.
    void Read(int64_t index, void* buffer, int64_t count = 1) const;
    // Reads what is there; answers the number of whole records read.
    int64_t ReadUpTo(int64_t index, void* buffer, int64_t count) const;
    void Write(int64_t index, const void* buffer, int64_t count = 1);
    void Append(const void* buffer, int64_t count = 1) { Write(RecordCount(), buffer, count); }
    void Truncate(int64_t records);
    // Raises the input/output error when the data does not reach the disk.
    void Sync();
    // Waits for an advisory exclusive lock (flock) on the open file, held until it is closed;
    // stations that update the file in place take it first. Raises the input/output error.
    void Lock();

  private:
    int fd_ = -1;
    int recordSize_ = 1;
    std::string path_;
};

// Holds an advisory exclusive lock (flock) on a file for the lifetime of the object, so that
// two stations never update one last-card index at the same time.
class FileLock {
  public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Locked() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace qv
