#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The directory that stands for the root of the drive the program was written for: program
// directory, territorial base and drive letters of stored paths live below it. Ends with '/'.
void SetRootDir(std::string dir);
const std::string& RootDir();
// --root, else QUORVANTA_ROOT, else $HOME.
std::string DefaultRootDir(const char* rootOption);

// Turns a stored directory string (maybe written on Windows) into a directory of this machine:
// backslashes become slashes, a drive letter ("C:") or a leading slash stands for RootDir(),
// and the result ends with '/'. An empty string stays empty. Relative names are kept relative.
std::string NormalizeDir(std::string_view stored);
// The same for a stored file path (no trailing slash added).
std::string NormalizePath(std::string_view stored);
// Whether a stored path's ".." components climb above where it starts: the folder its drive
// letter or leading separator stands for, or the directory a relative path starts from.
bool ClimbsAboveItsStart(std::string_view stored);

// Inside the program a path is the file system's bytes. A file laid out as Windows-1252 text
// holds it in that code page: PathFromStored converts one read from such a file, StoredDir and
// StoredPath convert it and then go on as NormalizeDir and NormalizePath; StoredText gives the bytes to write
// there and throws the input/output error kInvalidFileName for a path with a character Windows-1252 cannot
// hold, which is never stored as '?'; PathStorable asks that beforehand. DisplayPath is a path as the
// program's texts show it in captions and messages.
std::string PathFromStored(std::string_view stored);
std::string StoredDir(std::string_view stored);
std::string StoredPath(std::string_view stored);
std::string StoredText(const std::string& path);
bool PathStorable(const std::string& path);
std::string DisplayPath(const std::string& path);

// Case-insensitive lookup of an existing file or directory: the path itself when it exists,
// else each component matched in its parent ignoring the case of ASCII letters and of the
// accented letters Windows-1252 has (a Windows station's "CITTÀ" is the folder "Città"). Returns the path
// unchanged when nothing matches.
std::string ResolveExisting(const std::string& path);
// The name to create a file under: an existing case-insensitive match is reused, otherwise
// the spelling given (in the resolved parent directory).
std::string ResolveForCreate(const std::string& path);

// The directory part of a path, ending with '/'; empty for a bare file name.
std::string DirectoryPart(const std::string& path);

// Whether a regular file is there, for a look that may be wrong at no cost (a logo to show, an
// archive to list): a path that cannot be looked at counts as no file.
bool FileExists(const std::string& path);
// The same where a wrong answer would cost stored data (a job's commit and its recovery, a
// journal, a file replaced unasked when absent): false only when no entry is there; a path that
// cannot be looked at (a failing disk, a shared folder gone stale) raises the input/output error.
bool FileIsThere(const std::string& path);
// The last modification of an existing file, in nanoseconds since the epoch; nullopt when there
// is no such file.
std::optional<int64_t> FileModifiedTime(const std::string& path);
bool DirExists(const std::string& path);
// Creates the directory and its parents; false when it cannot.
bool MakeDirs(const std::string& dir);

}  // namespace qv
