#include "core/archive_list.h"

#include <algorithm>

#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

void PutBlankNewCard() {
    CoreState.CurrentCard = NewCardNumber();
    ClearCardFields(1, CoreState.FieldCount);
}

}  // namespace

std::optional<std::vector<std::string>> ReadArchiveList() {
    return TextReader::ReadLines(DataFilePath(data_file::kArchiveList), kArchiveListLineWidth);
}

std::string ArchiveListName(std::string_view line) {
    return std::string(line.substr(0, kArchiveNameColumns));
}

std::string ArchiveListDir(std::string_view line) {
    if (line.size() <= kArchiveNameColumns) return {};
    return StoredDir(line.substr(kArchiveNameColumns));
}

std::optional<std::vector<std::string>> FillArchiveList() {
    const std::optional<std::vector<std::string>> lines = ReadArchiveList();
    if (!lines) return std::nullopt;
    std::vector<std::string> names;
    TextBuilder staging;
    for (const std::string& line : *lines) {
        names.push_back(ArchiveListName(line));
        staging.Line(names.back());
    }
    staging.Save(DataFilePath(data_file::kListStaging));
    return names;
}

bool ArchiveFolderHasDescriptor(const std::string& dir) {
    // An empty directory would name the descriptor of the working directory.
    return !dir.empty() && FileExists(ResolveExisting(dir + "morvidex.dat"));
}

void SwitchToArchive(const std::string& dir) {
    // A failure there is reported step by step; a full disk must not keep the user in this archive.
    SaveArchiveSettings();
    const std::string previous = CoreState.ArchiveDir;
    CoreState.ArchiveDir = dir;
    try {
        OpenArchive();
    } catch (const IoError&) {
        // Half-read tables of the new archive must not stay in force over the old one's files.
        CoreState.ArchiveDir = previous;
        try {
            OpenArchive();
            PutBlankNewCard();
        } catch (const IoError&) {
        }
        throw;
    }
    PutBlankNewCard();
}

ArchiveChoice ChooseArchive(int index) {
    TextReader list;
    list.OpenOrThrow(DataFilePath(data_file::kArchiveList));
    // With no entry highlighted the first one is taken; a line past the end is empty.
    std::string line;
    for (int i = 0; i <= std::max(index, 0); ++i)
        line = list.Eof() ? std::string() : list.ReadLine(kArchiveListLineWidth);
    const std::string dir = ArchiveListDir(line);
    if (dir.empty() || dir == CoreState.ArchiveDir) return ArchiveChoice::Unchanged;
    if (!ArchiveFolderHasDescriptor(dir)) return ArchiveChoice::Missing;
    SwitchToArchive(dir);
    return ArchiveChoice::Changed;
}

}  // namespace qv
