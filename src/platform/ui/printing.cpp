#include "platform/ui/printing.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

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

bool PrintTextPages(QPrinter& printer, const QFont& font, const std::vector<std::vector<std::string>>& pages,
                    int cellChars) {
    if (pages.empty()) return true;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QFont printerFont = PrinterFont(printer, font);
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
                const double cellWidth = metrics.horizontalAdvance(QChar('0')) * cellChars;
                size_t start = 0;
                for (int cell = 0; start < line.size(); ++cell) {
                    size_t tab = line.find('\t', start);
                    if (tab == std::string::npos) tab = line.size();
                    painter.drawText(QPointF(cell * cellWidth, y), Qs(line.substr(start, tab - start)));
                    start = tab + 1;
                }
            }
            y += metrics.lineSpacing();
        }
    }
    return painter.end();
}

}  // namespace qv
