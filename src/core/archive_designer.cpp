#include "core/archive_designer.h"

#include <charconv>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/text_viewer.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kFolderLineWidth = 4096;  // a folder is never cut
constexpr int kTooLargeTexts[] = {443, 444, 445};

}  // namespace

std::string DesignerFolderFromText(const std::string& typed) {
    return NormalizeDir(typed.empty() ? std::string("\\") : typed);
}

void LoadEditFolder() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kEditFolder))) return;
    const std::string line = in.ReadLine(kFolderLineWidth);
    if (!line.empty()) CoreState.DesignerDir = StoredDir(line);
}

bool CreateDesignFolder() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kEditFolder));
    const std::string folder = StoredDir(in.ReadLine(kFolderLineWidth));
    if (folder.empty() || DirExists(folder)) return false;
    if (!MakeDirs(folder)) return false;
    TextBuilder().Line(StoredText(folder)).Save(folder + "scheda.txt");
    return true;
}

SourceStage StageSourceForEditor() {
    const std::string path = DataFilePath(data_file::kDesignerSource);
    RecordFile probe;
    if (!probe.OpenIfExists(path, 1, RecordFile::Mode::Read)) return SourceStage::Missing;
    const int64_t size = probe.RecordCount();
    probe.Close();
    LoadTextForViewer(path);
    if (size < kEditorSourceLimit) return SourceStage::Loaded;
    TextBuilder report;
    for (int text : kTooLargeTexts) report.Line(LoadText(text));
    report.Save(DataFilePath(data_file::kReport));
    return SourceStage::TooLarge;
}

void SaveSourceLines(const std::vector<std::string>& lines) {
    SaveViewerLines(DataFilePath(data_file::kDesignerSource), lines);
}

void SaveArchiveListLines(const std::vector<std::string>& lines) {
    SaveViewerLines(DataFilePath(data_file::kArchiveList), lines);
}

std::optional<int> PageDimensionFromText(const std::string& typed) {
    int value = 0;
    const char* end = typed.data() + typed.size();
    const auto [ptr, ec] = std::from_chars(typed.data(), end, value);
    // The settings file keeps the size in a 16-bit word.
    if (typed.empty() || ec != std::errc() || ptr != end || value < 1 || value > kMaxPageDimension)
        return std::nullopt;
    return value;
}

}  // namespace qv
