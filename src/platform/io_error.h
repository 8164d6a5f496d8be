#pragma once
#include <stdexcept>
#include <string>

namespace qv {

// The program's one input/output error: a runtime error code and the file involved.
// Codes follow the classic runtime numbering the program has always shown to users.
enum IoCode : int {
    kFileNotFound = 2,
    kPathNotFound = 3,
    kAccessDenied = 5,
    kInvalidHandle = 6,
    kInvalidFileName = 123,
    kReadPastEnd = 100,
    kDiskWriteError = 101,
    kFileNotOpen = 103,
    kInvalidNumber = 106,
    // A file larger than its kind can be, or a job that ran out of memory: nothing is read whole
    // that would not fit.
    kHeapOverflow = 203,
};

class IoError : public std::runtime_error {
  public:
    IoError(int code, std::string path);
    // With the words the user is shown instead of the bare code, for failures the program
    // can explain (a full archive, a job another station left pending).
    IoError(int code, std::string path, std::string message);
    int Code() const { return code_; }
    const std::string& Path() const { return path_; }
    const std::string& Message() const { return message_; }

  private:
    int code_;
    std::string path_;
    std::string message_;
};

// Maps errno after a failed system call to the runtime code.
int IoCodeFromErrno(int err);
[[noreturn]] void ThrowIo(int code, const std::string& path);
[[noreturn]] void ThrowErrno(const std::string& path);

// Where an error is shown when the operation that met it must go on with its next step (the
// finalisation, say). The user interface installs a message box; the default writes to stderr.
using IoErrorReporter = void (*)(const IoError& error);
void SetIoErrorReporter(IoErrorReporter reporter);
void ReportIoError(const IoError& error);

}  // namespace qv
