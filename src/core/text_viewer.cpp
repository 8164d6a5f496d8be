#include "core/text_viewer.h"

#include <algorithm>
#include <array>

#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kTooLongText = 970;

using S = ViewerSave;
using F = ViewerFile;
constexpr std::array<ViewerSelector, 36> kSelectors{{
    {F::Report, data_file::kReport, 0, S::Dialog},
    {F::Notes, 0, 936, S::Notes},
    {F::JumpRules, data_file::kJumpRule, 937, S::File},
    {F::TerritorialLinks, data_file::kTerritorialLink, 938, S::File},
    {F::CompileErrors, data_file::kReport, 939, S::No},
    {F::ArchiveList, data_file::kArchiveList, 940, S::File},
    {F::ProvinceRanges, data_file::kProvinceRanges, 941, S::File},
    {F::Indicators, data_file::kDefinitions, 942, S::File},
    {F::TerritorialList, data_file::kReport, 0, S::No},
    {F::MergeList, data_file::kMergeList, 943, S::File},
    {F::MergeListErrors, data_file::kReport, 944, S::No},
    {F::FieldOrder, data_file::kFieldOrder, 945, S::File},
    {F::Recoding, data_file::kRecoding, 946, S::File},
    {F::WorkingMask, data_file::kWorkingMask, 947, S::File},
    {F::ListOutput, data_file::kListOutput, 948, S::No},
    {F::LabelSheet, data_file::kLabelOutput, 949, S::No},
    {F::MergedList, data_file::kMergedList, 950, S::No},
    {F::Grid, data_file::kGrid, 951, S::File},
    {F::Headings, data_file::kHeadings, 952, S::File},
    {F::QuantGrid, data_file::kQuantGrid, 953, S::File},
    {F::Universe, data_file::kUniverse, 954, S::File},
    {F::Weights, data_file::kWeights, 955, S::File},
    {F::MissingFields, data_file::kMissingFieldsReport, 956, S::File},
    {F::CategoryHelp, data_file::kReport, 957, S::No},
    {F::SavedSearches, data_file::kSearchCriteria, 958, S::File},
    {F::Table, data_file::kReport, 959, S::DialogThenFile},
    {F::Results, data_file::kReport, 960, S::No},
    {F::QuickGrid, data_file::kQuickGrid, 961, S::File},
    {F::QuickHeadings, data_file::kQuickHeadings, 962, S::File},
    {F::QuickGridWithHeadings, data_file::kReport, 963, S::No},
    {F::QuickQuantGrid, data_file::kQuickQuantGrid, 964, S::File},
    {F::QuickTerritoryList, data_file::kQuickTerritoryList, 965, S::File},
    {F::QuickDateList, data_file::kQuickDateList, 966, S::File},
    {F::LinkDefinitions, data_file::kLinkDefinitions, 967, S::File},
    {F::GridCheck, data_file::kReport, 968, S::No},
    {F::AdditionalVariables, data_file::kAdditionalVariables, 969, S::File},
}};

}  // namespace

const ViewerSelector* FindViewerSelector(ViewerFile file) {
    for (const ViewerSelector& s : kSelectors)
        if (s.file == file) return &s;
    return nullptr;
}

ViewerSetup ViewerSetupFor(ViewerFile file) {
    ViewerSetup setup;
    setup.entry = FindViewerSelector(file);
    if (!setup.entry) return setup;
    const ViewerSelector& e = *setup.entry;
    if (e.fileId != 0) setup.path = DataFilePath(e.fileId);
    if (e.captionText != 0) setup.caption = LoadText(e.captionText);
    setup.bothScrollBars = e.fileId != 0 && e.save != ViewerSave::DialogThenFile;
    switch (e.save) {
        case ViewerSave::No:
            break;
        case ViewerSave::Dialog:
            setup.saveEnabled = true;
            break;
        case ViewerSave::Notes:
            // The notes are stored only with the card, in card entry.
            setup.saveEnabled = ArchiveWritable() && CoreState.CardWindowMode == kEntryMode;
            break;
        default:
            setup.saveEnabled = ArchiveWritable();
            break;
    }
    return setup;
}

std::string ViewerStagingPath() {
    return DataFilePath(data_file::kViewerStaging);
}

bool LoadTextForViewer(const std::string& path) {
    if (path.empty()) return true;
    std::string text(kViewerTextLimit, '\0');
    int64_t got = 0;
    RecordFile file;
    if (file.OpenIfExists(path, 1, RecordFile::Mode::Read))
        got = file.ReadUpTo(0, text.data(), kViewerTextLimit);
    text.resize(size_t(got));
    const bool whole = got < kViewerTextLimit;
    text.resize(std::min(text.size(), text.find('\0')));
    WriteFileAtomic(ViewerStagingPath(), text);
    return whole;
}

std::string ViewerTitle(const std::string& path, const std::string& caption, bool whole) {
    std::string title = DisplayPath(path) + " - " + caption;
    return whole ? title : LoadText(kTooLongText) + " " + title;
}

std::vector<std::string> SplitViewerLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string> ReadViewerStaging() {
    return SplitViewerLines(TryReadFile(ViewerStagingPath()).value_or(std::string()));
}

void SaveViewerLines(const std::string& path, const std::vector<std::string>& lines) {
    TextBuilder out;
    for (const std::string& line : lines) out.Line(line);
    out.Save(path);
}

std::vector<PrintPage> LayoutPrintout(const std::vector<std::string>& lines, int linesPerPage) {
    const size_t perPage = size_t(std::max(linesPerPage, 1));
    std::vector<PrintPage> pages;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i % perPage == 0) pages.emplace_back();
        pages.back().push_back("      " + lines[i]);
    }
    return pages;
}

}  // namespace qv
