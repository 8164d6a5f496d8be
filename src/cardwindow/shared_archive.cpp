#include "cardwindow/shared_archive.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr int kIndexBytes = 4;
constexpr size_t kDirLineWidth = std::string::npos;  // a directory is never cut

int32_t LocalLastCard(const CardFiles& local) {
    RecordFile probe;
    if (!probe.TryOpen(local.IndexPath(), kIndexBytes, RecordFile::Mode::Read)) {
        if (errno != ENOENT) ThrowErrno(local.IndexPath());
        return -1;
    }
    probe.Close();
    return local.ReadLastCard();
}

// Copies cards first..last block by block to the same numbers in the shared archive, each card's
// notes chained anew in the shared "not-sch.dat" so that no head points at another card's notes.
// Each block's notes and records are on disk before the shared index counts them.
void CopyCards(const CardFiles& local, const CardFiles& shared, int32_t first, int32_t last) {
    const std::string localNotes = DataFilePath(data_file::kNotes);
    const std::string sharedNotes = CoreState.OtherArchiveDir + "not-sch.dat";
    const int32_t perBlock = CardRecords{local.Geometry()}.BlockCards();
    for (int32_t start = first; start <= last; start += perBlock) {
        const int32_t count = std::min(perBlock, last - start + 1);
        CardRecords block = local.ReadCards(start, count);
        CopyNotesOfBlock(block, localNotes, sharedNotes);
        // A shared archive may begin as an index alone.
        shared.WriteCards(start, block, true);
        shared.WriteLastCard(start + count - 1);
    }
}

}  // namespace

bool SharedArchiveConfigured() {
    RecordFile probe;
    return probe.TryOpen(DataFilePath(data_file::kSharedArchive), 1, RecordFile::Mode::Read);
}

SyncResult SyncToServerArchive() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kSharedArchive));
    CoreState.OtherArchiveDir = NormalizeDir(in.ReadLine(kDirLineWidth));
    SyncResult result;
    // An empty line names no directory (it would name the working directory).
    if (CoreState.OtherArchiveDir.empty()) return result;

    const CardFiles local = CardFiles::Current();
    const CardFiles shared = CardFiles::InDirectory(CoreState.OtherArchiveDir, local.Geometry());
    FileLock lock(shared.IndexPath());
    if (!lock.Locked()) {
        RecordFile probe;
        // Only a shared index that is not there means "no shared archive"; a share failing
        // for a moment is an error, not a reason to skip the copy silently.
        if (!probe.TryOpen(shared.IndexPath(), kIndexBytes, RecordFile::Mode::Read) && errno == ENOENT)
            return result;
        ThrowIo(kAccessDenied, shared.IndexPath());
    }
    result.sharedLast = shared.ReadLastCard();
    if (result.sharedLast < -1) ThrowIo(kInvalidNumber, shared.IndexPath());
    result.localLast = LocalLastCard(local);
    if (result.localLast < result.sharedLast) {
        result.outcome = SyncOutcome::SharedHasMore;
        return result;
    }
    if (result.localLast == result.sharedLast) {
        result.outcome = SyncOutcome::NothingToCopy;
        return result;
    }
    CopyCards(local, shared, result.sharedLast + 1, result.localLast);
    result.outcome = SyncOutcome::Copied;
    return result;
}

}  // namespace qv
