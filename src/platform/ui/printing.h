#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFont;
class QPrinter;
class QWidget;

namespace qv {

// The print dialog: answers a printer ready for painting, or nullptr when the user cancels.
// Shown through ShowModal, so a headless run without a hook cancels.
std::unique_ptr<QPrinter> AskPrinter(QWidget* owner);
// Tests: instead of the dialog, the hook answers the path of a PDF file to print to (empty:
// cancelled). Cleared with SetPrinterHook(nullptr).
using PrinterHook = std::function<std::string()>;
void SetPrinterHook(PrinterHook hook);
// The folder the print dialog proposes for printing to a PDF file (the open archive's), asked
// each time the dialog opens; without it Qt proposes the home folder.
using PrintFolderSource = std::function<std::string()>;
void SetPrintFolderSource(PrintFolderSource source);
// The file the print dialog proposes in `folder` (Windows-1252, ending with "/").
std::string PrintToFileDefault(const std::string& folder);

// The printer as a text device: how many lines of `font` fit on a page, and printing pages of
// lines already laid out, each line a line of text from the top of the printable area.
int TextLinesPerPage(QPrinter& printer, const QFont& font);
// Windows-1252 lines. A printout that cannot be started or finished (a print file that cannot be
// made or written) raises the input/output error.
// With `cellChars` above 0 a line is a row of cells, each ended by a tab: cell k starts k cell
// widths from the left edge, so the columns of labels line up whatever their text and whatever
// the font's tab stops. A cell is `cellChars` digits wide, or wider when a font without fixed
// pitch makes some cell's text wider, so that no label reaches into the next; the font then
// shrinks until the widest row fits the page.
void PrintTextPages(QPrinter& printer, const QFont& font, const std::vector<std::vector<std::string>>& pages,
                    int cellChars = 0);
// Raises the input/output error for a printout that could not begin or end, naming its file (or
// its printer).
[[noreturn]] void ThrowPrintFailed(const QPrinter& printer);
// `font`, made smaller when needed so that `lineChars` of its characters fit the printable width.
QFont FontFittingWidth(QPrinter& printer, const QFont& font, int lineChars);

}  // namespace qv
