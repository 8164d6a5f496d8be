#include "platform/ui/printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
PrinterHook gPrinterHook;

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
    if (ShowModal(dialog) != QDialog::Accepted) return nullptr;
    return printer;
}

int TextLinesPerPage(QPrinter& printer, const QFont& font) {
    const double height = printer.pageRect(QPrinter::DevicePixel).height();
    const double line = LineHeight(printer, font);
    return line > 0 ? std::max(1, int(height / line)) : 1;
}

bool PrintTextPages(QPrinter& printer, const QFont& font,
                    const std::vector<std::vector<std::string>>& pages) {
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
            painter.drawText(QPointF(0, y), Qs(line));
            y += metrics.lineSpacing();
        }
    }
    return painter.end();
}

}  // namespace qv
