#include "platform/ui/printing.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <vector>

#include "platform/io_error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
PrinterHook gPrinterHook;
PrintFolderSource gPrintFolder;

// A font measured on the printer: its point size kept, its metrics the printer's.
QFont PrinterFont(QPrinter& printer, const QFont& font) {
    return QFont(font, &printer);
}

double LineHeight(QPrinter& printer, const QFont& font) {
    return QFontMetricsF(PrinterFont(printer, font), &printer).lineSpacing();
}

// The tab-separated cells of a line, each without its trailing blanks.
std::vector<QString> Cells(const std::string& line) {
    std::vector<QString> cells;
    for (size_t start = 0; start < line.size();) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) tab = line.size();
        size_t end = tab;
        while (end > start && line[end - 1] == ' ') --end;
        cells.push_back(Qs(line.substr(start, end - start)));
        start = tab + 1;
    }
    return cells;
}

struct CellGrid {
    QFont font;
    double cellWidth = 0;
};

// The width of a cell: `cellChars` digits, or the widest cell's text and a quarter digit when a
// font without fixed pitch (none may be at hand) makes some text wider, so that no cell reaches
// into the next; the font shrinks until the widest line of cells fits the page.
CellGrid FitCells(QPrinter& printer, QFont font, const std::vector<std::vector<std::string>>& pages,
                  int cellChars) {
    const double room = printer.pageRect(QPrinter::DevicePixel).width();
    CellGrid grid{font, 0};
    for (int step = 0; step < 60; ++step) {
        const QFontMetricsF metrics(grid.font, &printer);
        const double digit = metrics.horizontalAdvance(QChar('0'));
        grid.cellWidth = digit * cellChars;
        size_t columns = 1;
        for (const auto& page : pages) {
            for (const std::string& line : page) {
                const std::vector<QString> cells = Cells(line);
                columns = std::max(columns, cells.size());
                for (const QString& cell : cells)
                    grid.cellWidth = std::max(grid.cellWidth, metrics.horizontalAdvance(cell) + digit / 4);
            }
        }
        const double needs = grid.cellWidth * double(columns);
        if (needs <= room || grid.font.pointSizeF() <= 1) break;
        grid.font.setPointSizeF(std::max(1.0, grid.font.pointSizeF() * std::min(0.98, room / needs)));
    }
    return grid;
}
}  // namespace

void SetPrinterHook(PrinterHook hook) {
    gPrinterHook = std::move(hook);
}

void SetPrintFolderSource(PrintFolderSource source) {
    gPrintFolder = std::move(source);
}

std::string PrintToFileDefault(const std::string& folder) {
    return folder + "stampa.pdf";
}

std::unique_ptr<QPrinter> AskPrinter(QWidget* owner) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (gPrinterHook) {
        const std::string path = gPrinterHook();
        if (path.empty()) return nullptr;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(path));
        return printer;
    }
    QPrintDialog dialog(printer.get(), owner ? owner : MainWindowWidget());
    // Qt's dialog keeps the file of "print to file" in its line edit "filename" and proposes the
    // home folder; a printout belongs next to the archive it was made from.
    const std::string folder = gPrintFolder ? gPrintFolder() : std::string();
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")); file && !folder.empty())
        file->setText(Qs(PrintToFileDefault(folder)));
    if (ShowModal(dialog) != QDialog::Accepted) return nullptr;
    return printer;
}

int TextLinesPerPage(QPrinter& printer, const QFont& font) {
    const double height = printer.pageRect(QPrinter::DevicePixel).height();
    const double line = LineHeight(printer, font);
    return line > 0 ? std::max(1, int(height / line)) : 1;
}

QFont FontFittingWidth(QPrinter& printer, const QFont& font, int lineChars) {
    const double room = printer.pageRect(QPrinter::DevicePixel).width();
    QFont fitted(font);
    // Fixed-pitch fonts do not shrink exactly in proportion at every size: step down until it fits.
    for (int step = 0; step < 64 && lineChars > 0; ++step) {
        const double needs =
            QFontMetricsF(PrinterFont(printer, fitted), &printer).horizontalAdvance(QChar('0')) * lineChars;
        if (needs <= room || fitted.pointSizeF() <= 1) break;
        fitted.setPointSizeF(std::max(1.0, fitted.pointSizeF() * std::min(0.98, room / needs)));
    }
    return fitted;
}

void ThrowPrintFailed(const QPrinter& printer) {
    // On a printer rather than into a file, the printer's name stands where the file's would.
    const QString file = printer.outputFileName();
    ThrowIo(kDiskWriteError, FsPath(file.isEmpty() ? printer.printerName() : file));
}

void PrintTextPages(QPrinter& printer, const QFont& font, const std::vector<std::vector<std::string>>& pages,
                    int cellChars) {
    if (pages.empty()) return;
    QPainter painter;
    if (!painter.begin(&printer)) ThrowPrintFailed(printer);
    CellGrid grid{PrinterFont(printer, font), 0};
    if (cellChars > 0) grid = FitCells(printer, grid.font, pages, cellChars);
    const QFont& printerFont = grid.font;
    painter.setFont(printerFont);
    const QFontMetricsF metrics(printerFont, &printer);
    bool first = true;
    for (const auto& page : pages) {
        if (!first) printer.newPage();
        first = false;
        double y = metrics.ascent();
        for (const std::string& line : page) {
            if (cellChars <= 0) {
                painter.drawText(QPointF(0, y), Qs(line));
            } else {
                const std::vector<QString> cells = Cells(line);
                for (size_t cell = 0; cell < cells.size(); ++cell)
                    painter.drawText(QPointF(double(cell) * grid.cellWidth, y), cells[cell]);
            }
            y += metrics.lineSpacing();
        }
    }
    if (!painter.end()) ThrowPrintFailed(printer);
}

}  // namespace qv
