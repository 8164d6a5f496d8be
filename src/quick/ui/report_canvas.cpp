#include "quick/ui/report_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/qt_text.h"

namespace qv {

QtReportCanvas::QtReportCanvas(QPainter& painter) : painter_(painter), font_(QStringLiteral("Sans Serif")) {
    font_.setStyleStrategy(QFont::NoAntialias);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    SetFont(kTextFontHeight, false);
    SetPen(ReportPen::Solid);
    painter_.setBrush(Qt::white);
}

void QtReportCanvas::SetFont(int height, bool bold) {
    // The height is that of the character cell, leading included; Qt sizes the em. Qt refuses
    // a size of 0, which an enlargement of 0 asks for.
    const int cell = std::max(height, 1);
    font_.setBold(bold);
    font_.setPixelSize(cell);
    const int measured = QFontMetrics(font_, painter_.device()).height();
    if (measured > cell) font_.setPixelSize(std::max(1, cell * cell / measured));
    painter_.setFont(font_);
}

void QtReportCanvas::SetPen(ReportPen style) {
    QPen pen(Qt::black, 0, style == ReportPen::Dotted ? Qt::DotLine : Qt::SolidLine);
    painter_.setPen(pen);
}

void QtReportCanvas::MoveTo(int x, int y) {
    at_ = QPoint(x, y);
}

void QtReportCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    painter_.drawLine(at_, to);
    at_ = to;
}

void QtReportCanvas::Polygon(const std::vector<ReportPoint>& points) {
    QPolygon polygon;
    for (const ReportPoint& p : points) polygon << QPoint(p.x, p.y);
    painter_.drawPolygon(polygon);
}

void QtReportCanvas::TextOut(int x, int y, const std::string& text) {
    const QFontMetrics metrics(font_, painter_.device());
    painter_.drawText(QPoint(x, y + metrics.ascent()), Qs(text));
}

int QtReportCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(font_, painter_.device()).horizontalAdvance(Qs(text));
}

QImage NewReportPicture(const ReportTable& table) {
    QImage picture(std::max(table.PageWidth, 1), std::max(table.PageHeight, 1), QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

QImage MonochromeReportPicture(const QImage& drawn) {
    return drawn.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
}

void SaveReportPicture(const QImage& picture, const std::string& path) {
    SaveBitmapFile(picture, path);
}

}  // namespace qv
