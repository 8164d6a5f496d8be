#pragma once
#include <string>
#include <string_view>
#include <vector>

// The engine side of the text viewer: which file a selector shows, its caption and whether it
// can be saved, the staging file "txt-tab2.imp" the viewer loads from, and the printout layout.

namespace qv {

constexpr int kViewerTextLimit = 30000;

// The files the viewer shows, by the code its opener leaves in CoreState.CommandCode.
enum class ViewerFile : int {
    Report = 0,  // "tabella.txt", saved where the user says
    Notes = -1,  // the card's notes
    JumpRules = -2,
    TerritorialLinks = -3,
    CompileErrors = -5,
    ArchiveList = -6,
    ProvinceRanges = -7,
    Indicators = -8,
    TerritorialList = -9,
    MergeList = -10,
    MergeListErrors = -11,
    FieldOrder = -12,
    Recoding = -13,
    WorkingMask = -14,
    ListOutput = -15,
    LabelSheet = -16,  // its lines are rows of cells, each cell a label line ended by a tab
    MergedList = -17,
    Grid = -18,
    Headings = -19,
    QuantGrid = -20,
    Universe = -21,
    Weights = -22,
    MissingFields = -23,
    CategoryHelp = -24,
    SavedSearches = -25,
    Table = -26,
    Results = -27,
    QuickGrid = -30,
    QuickHeadings = -31,
    QuickGridWithHeadings = -32,
    QuickQuantGrid = -33,
    QuickTerritoryList = -34,
    QuickDateList = -35,
    LinkDefinitions = -36,
    GridCheck = -37,
    AdditionalVariables = -38,
};

enum class ViewerSave {
    No,
    File,            // overwrite the file shown
    Dialog,          // a save dialog; the window stays open
    DialogThenFile,  // a save dialog, then the file shown
    Notes,           // the card's notes, in card entry only
};

struct ViewerSelector {
    ViewerFile file;
    int fileId;       // 0 for the notes
    int captionText;  // 0: no caption
    ViewerSave save;
};

// The entry of a selector, nullptr for a code no caller uses.
const ViewerSelector* FindViewerSelector(ViewerFile file);

// What the viewer shows for a selector, read from CoreState (WriteAccess, CardWindowMode).
struct ViewerSetup {
    const ViewerSelector* entry = nullptr;  // nullptr: an empty memo, nothing to save
    std::string path;                       // the file shown; empty for the notes
    std::string caption;
    bool saveEnabled = false;
    bool bothScrollBars = false;
};
ViewerSetup ViewerSetupFor(ViewerFile file);

// Rewrites the staging file with the first bytes of `path` (at most kViewerTextLimit, up to the
// first zero byte; a file that does not open gives an empty text). Answers whether the whole
// file fitted: a file of exactly kViewerTextLimit bytes counts as not fitting. An empty path
// changes nothing and answers true.
bool LoadTextForViewer(const std::string& path);

// "path - caption", or text 970 + " " + that when the file did not fit.
std::string ViewerTitle(const std::string& path, const std::string& caption, bool whole);

// The staging file's text as memo lines: CR LF, CR and LF each end a line.
std::vector<std::string> ReadViewerStaging();
std::vector<std::string> SplitViewerLines(std::string_view text);
// Rewrites a file with the memo's lines, each ended by CR LF.
void SaveViewerLines(const std::string& path, const std::vector<std::string>& lines);
std::string ViewerStagingPath();

// The printout of the memo: every line preceded by six blanks, `linesPerPage` lines a page (at
// least one). No lines give no page.
using PrintPage = std::vector<std::string>;
std::vector<PrintPage> LayoutPrintout(const std::vector<std::string>& lines, int linesPerPage);

}  // namespace qv
