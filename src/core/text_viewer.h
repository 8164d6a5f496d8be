#pragma once
#include <string>
#include <string_view>
#include <vector>

// The engine side of the text viewer: which file a selector shows, its caption and whether it
// can be saved, the staging file "txt-tab2.imp" the viewer loads from, and the printout layout.

namespace qv {

constexpr int kViewerTextLimit = 30000;
constexpr int kNotesSelector = -1;
// The label sheet: its lines are rows of cells, each cell a label line ended by a tab.
constexpr int kLabelSheetSelector = -16;

enum class ViewerSave {
    No,
    File,            // overwrite the file shown
    Dialog,          // a save dialog; the window stays open
    DialogThenFile,  // a save dialog, then the file shown
    Notes,           // the card's notes, in card entry only
};

struct ViewerSelector {
    int selector;
    int fileId;       // 0 for the notes
    int captionText;  // 0: no caption
    ViewerSave save;
};

// The entry of a selector, nullptr for a selector no caller uses.
const ViewerSelector* FindViewerSelector(int selector);

// What the viewer shows for a selector, read from CoreState (WriteAccess, CardWindowMode).
struct ViewerSetup {
    const ViewerSelector* entry = nullptr;  // nullptr: an empty memo, nothing to save
    std::string path;                       // the file shown; empty for the notes
    std::string caption;
    bool saveEnabled = false;
    bool bothScrollBars = false;
};
ViewerSetup ViewerSetupFor(int selector);

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
