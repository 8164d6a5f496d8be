#include "core/archive_commit.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/card_journal.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

// A suffix no other file of an archive uses, so copies and compiles never take it for data.
constexpr char kMarkerPrefix[] = "sch-";
constexpr char kMarkerSuffix[] = ".ren";

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
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (IsMarkerName(entry.path().filename().string())) markers.push_back(entry.path().string());
    return markers;
}

// Lines "R staged<TAB>target", "I index<TAB>last" and "C" (definition to build), names inside
// the archive directory. Answers whether the definition is to be built; the marker then stays.
bool FinishMarker(const std::string& dir, const std::string& marker) {
    TextReader in(ReadFileOrThrow(marker));
    bool rebuild = false;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(std::string::npos);
        if (line == "C") rebuild = true;
        const size_t tab = line.find('\t');
        if (line.size() < 3 || line[1] != ' ' || tab == std::string::npos) continue;
        const std::string first = line.substr(2, tab - 2), second = line.substr(tab + 1);
        // A name with a slash would reach outside the archive.
        if (first.find('/') != std::string::npos || second.find('/') != std::string::npos) continue;
        if (line[0] == 'R' && FileExists(dir + first)) RenameOver(dir + first, dir + second);
        if (line[0] == 'I')
            CardFiles(std::string(), std::string(), dir + first, CardGeometry{})
                .WriteLastCard(int32_t(std::strtol(second.c_str(), nullptr, 10)));
    }
    if (rebuild) return true;
    if (!RemoveFile(marker)) ThrowErrno(marker);
    SyncDirectoryOf(marker);
    return false;
}

}  // namespace

ArchiveCommit::ArchiveCommit(std::string archiveDir) : dir_(std::move(archiveDir)) {}

ArchiveCommit::~ArchiveCommit() {
    if (committed_) return;
    for (const auto& [staged, target] : renames_) RemoveFile(dir_ + staged);
}

std::string ArchiveCommit::Stage(const std::string& target) {
    const std::string real = ResolveForCreate(target);
    const std::string staged = TempPathBeside(real);
    RecordFile(staged, 1, RecordFile::Mode::CreateNew);
    renames_.emplace_back(NameOf(staged), NameOf(real));
    return staged;
}

std::string ArchiveCommit::StageCopy(const std::string& target) {
    const std::string staged = Stage(target);
    WriteFileAtomic(staged, ReadFileOrThrow(target));
    return staged;
}

void ArchiveCommit::SetLastCard(const std::string& indexPath, int32_t last) {
    index_.emplace(NameOf(ResolveForCreate(indexPath)), last);
}

void ArchiveCommit::Commit() {
    TextBuilder marker;
    for (const auto& [staged, target] : renames_) {
        RecordFile(dir_ + staged, 1, RecordFile::Mode::ReadWrite).Sync();
        marker.Line("R " + staged + "\t" + target);
    }
    if (index_) marker.Line("I " + index_->first + "\t" + std::to_string(index_->second));
    if (rebuild_) marker.Line("C");
    const std::string path = MarkerPath(dir_);
    try {
        marker.Save(path);
    } catch (const IoError&) {
        // A marker that reached the directory before the failure counts like one written whole.
        committed_ = FileExists(path);
        throw;
    }
    // From here on the new set counts: whatever fails, the next opening completes it.
    committed_ = true;
    FinishMarker(dir_, path);
}

void ArchiveCommit::DefinitionBuilt() {
    const std::string marker = MarkerPath(dir_);
    if (!RemoveFile(marker)) ThrowErrno(marker);
}

bool FinishArchiveCommits(const std::string& archiveDir) {
    bool rebuild = false;
    for (const std::string& marker : Markers(archiveDir))
        rebuild = FinishMarker(archiveDir, marker) || rebuild;
    return rebuild;
}

void ClearArchiveCommits(const std::string& archiveDir) {
    for (const std::string& marker : Markers(archiveDir))
        if (!RemoveFile(marker)) ThrowErrno(marker);
}

bool RecoverArchive(const std::string& archiveDir) {
    if (archiveDir.empty()) return false;
    SetTempFileStation(CoreState.StationNumber);
    const std::string index = archiveDir + "dli-sch.dat";
    FileLock lock(index);
    if (!lock.Locked() && FileExists(index)) ThrowIo(kAccessDenied, index);
    const bool rebuild = FinishArchiveCommits(archiveDir);
    RecoverJournal(archiveDir);
    RemoveStaleTempFiles(archiveDir);
    return rebuild;
}

}  // namespace qv
