#include "platform/io_error.h"

#include <cerrno>
#include <cstdio>

namespace qv {

IoError::IoError(int code, std::string path)
    : std::runtime_error("I/O error " + std::to_string(code) + (path.empty() ? "" : ": " + path)),
      code_(code),
      path_(std::move(path)) {}

IoError::IoError(int code, std::string path, std::string message)
    : std::runtime_error(message + (path.empty() ? "" : ": " + path)),
      code_(code),
      path_(std::move(path)),
      message_(std::move(message)) {}

int IoCodeFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
            return kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kAccessDenied;
        case ENAMETOOLONG:
            return kInvalidFileName;
        case ENOSPC:
        case EDQUOT:
        case EIO:
            return kDiskWriteError;
        default:
            return kAccessDenied;
    }
}

void ThrowIo(int code, const std::string& path) {
    throw IoError(code, path);
}

void ThrowErrno(const std::string& path) {
    throw IoError(IoCodeFromErrno(errno), path);
}

namespace {
void DefaultReporter(const IoError& e) {
    std::fprintf(stderr, "%s\n", e.what());
}
IoErrorReporter gReporter = DefaultReporter;
}  // namespace

void SetIoErrorReporter(IoErrorReporter reporter) {
    gReporter = reporter ? reporter : DefaultReporter;
}
void ReportIoError(const IoError& error) {
    gReporter(error);
}

}  // namespace qv
