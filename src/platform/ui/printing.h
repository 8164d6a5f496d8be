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

// The printer as a text device: how many lines of `font` fit on a page, and printing pages of
// lines already laid out, each line a line of text from the top of the printable area.
int TextLinesPerPage(QPrinter& printer, const QFont& font);
// Windows-1252 lines. Raises nothing; answers false when the printer could not be started.
bool PrintTextPages(QPrinter& printer, const QFont& font, const std::vector<std::vector<std::string>>& pages);

}  // namespace qv
