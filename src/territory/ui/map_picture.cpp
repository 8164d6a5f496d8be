#include "territory/ui/map_picture.h"

#include <QPolygon>
#include <QPrinter>
#include <algorithm>
#include <array>

#include "core/core_state.h"
#include "platform/paths.h"
#include "platform/ui/bitmap_file.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "territory/map_drawing.h"
#include "territory/map_geometry.h"
#include "territory/map_print_settings.h"
#include "territory/map_tables.h"

namespace qv {

QColor MapColour(uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

PainterMapCanvas::PainterMapCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    SetFontHeight(8);
    ApplyPen();
}

void PainterMapCanvas::ApplyPen() {
    if (appliedWidth_ == penWidth_ && appliedPen_ == penColour_) return;
    appliedWidth_ = penWidth_;
    appliedPen_ = penColour_;
    QPen pen(MapColour(penColour_));
    pen.setWidth(std::max(0, penWidth_));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
}

void PainterMapCanvas::SetBrushColour(uint32_t colour) {
    brushColour_ = colour;
}

// The pen reaches the painter when something is drawn with it: a fill's pen and a border's
// pen alternate ring after ring, and most changes are undone before anything is drawn.
void PainterMapCanvas::SetPenColour(uint32_t colour) {
    penColour_ = colour;
}

void PainterMapCanvas::SetPenWidth(int width) {
    penWidth_ = width;
}

void PainterMapCanvas::SetFontHeight(int pixels) {
    QFont font = painter_.font();
    font.setFamily(QStringLiteral("Sans Serif"));
    font.setPixelSize(std::max(1, pixels));
    font.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(font);
}

void PainterMapCanvas::Polygon(const MapPoint* points, int count) {
    if (count <= 0) return;
    ApplyPen();
    QPolygon& polygon = polygon_;
    polygon.resize(count);
    for (int i = 0; i < count; ++i) polygon[i] = QPoint(points[i].X, points[i].Y);
    if (appliedBrush_ != brushColour_ || painter_.brush().style() != Qt::SolidPattern) {
        painter_.setBrush(MapColour(brushColour_));
        appliedBrush_ = brushColour_;
    }
    painter_.drawPolygon(polygon);
}

void PainterMapCanvas::MoveTo(int32_t x, int32_t y) {
    current_ = QPoint(x, y);
}

void PainterMapCanvas::LineTo(int32_t x, int32_t y) {
    const QPoint to(x, y);
    ApplyPen();
    painter_.drawLine(current_, to);
    current_ = to;
}

void PainterMapCanvas::Lines(const MapPoint* ends, int count) {
    if (count <= 0) return;
    ApplyPen();
    // A few hundred lines at a time: the painter strokes them in small groups anyway, and the
    // buffer stays on the stack.
    std::array<QLine, 256> lines;
    for (int done = 0; done < count;) {
        const int n = std::min(count - done, int(lines.size()));
        for (int i = 0; i < n; ++i) {
            const MapPoint* pair = ends + 2 * (done + i);
            lines[size_t(i)] = QLine(pair[0].X, pair[0].Y, pair[1].X, pair[1].Y);
        }
        painter_.drawLines(lines.data(), n);
        done += n;
    }
    current_ = QPoint(ends[2 * count - 1].X, ends[2 * count - 1].Y);
}

void PainterMapCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
    const QString s = Qs(text);
    ApplyPen();
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(s), metrics.height()), MapColour(brushColour_));
    const QPen saved = painter_.pen();
    painter_.setPen(Qt::black);
    painter_.drawText(QPoint(x, y + metrics.ascent()), s);
    painter_.setPen(saved);
}

int PainterMapCanvas::TextWidth(const std::string& text) {
    return painter_.fontMetrics().horizontalAdvance(Qs(text));
}

int PainterMapCanvas::TextHeight(const std::string& text) {
    // The line height, as the letters of one font all measure.
    (void)text;
    return painter_.fontMetrics().height();
}

std::string MapPicturePath() {
    return ResolveForCreate(MapState.TerritoryDir + "prova.bmp");
}

double PrepareMapPrinter(QPrinter& printer) {
    // The notes are as high as the printer heights the settings may just have changed.
    LoadMapFonts();
    const double dots = std::max(1, printer.resolution()) / 96.0;
    const int32_t height = int32_t(printer.height() / dots);
    return PrintFitFactor(int32_t(printer.width() / dots), height, LoadMapPageNotes(height).Height());
}

QImage DrawMapPicture(QPrinter* printer) {
    NormalizeMapSize();
    QImage image(std::max(1, MapState.MapWidth), std::max(1, MapState.MapHeight), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter screenPainter(&image);
        PainterMapCanvas screen(screenPainter);
        QPainter printerPainter;
        std::unique_ptr<PainterMapCanvas> paper;
        MapPrintPage page;
        if (printer) {
            if (!printerPainter.begin(printer)) ThrowPrintFailed(*printer);
            paper = std::make_unique<PainterMapCanvas>(printerPainter);
            page = {paper.get(), printerPainter.device()->width(), printerPainter.device()->height(),
                    printer->resolution()};
        }
        try {
            DrawMap(screen, paper ? &page : nullptr);
        } catch (...) {
            // No half-drawn page reaches the printer.
            if (paper) printer->abort();
            throw;
        }
        if (paper && !printerPainter.end()) ThrowPrintFailed(*printer);
    }
    SaveBitmapFile(image, MapPicturePath());
    return image;
}

}  // namespace qv
