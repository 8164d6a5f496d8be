#pragma once
#include <QFont>
#include <QImage>
#include <QPoint>
#include <string>

#include "quick/report_drawing.h"

class QPainter;

namespace qv {

// The report canvas on a Qt painter: the window's picture or the printer page. Lines are one
// device pixel wide and nothing is smoothed, so the picture stays black and white.
class QtReportCanvas : public ReportCanvas {
  public:
    explicit QtReportCanvas(QPainter& painter);
    void SetFont(int height, bool bold) override;
    void SetPen(ReportPen style) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polygon(const std::vector<ReportPoint>& points) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;

  private:
    QPainter& painter_;
    QFont font_;
    QPoint at_;
};

// A W x H white picture for the bitmap canvas, and the monochrome picture it becomes.
QImage NewReportPicture(const ReportTable& table);
QImage MonochromeReportPicture(const QImage& drawn);

// The picture as a 1-bit bitmap file, written whole. Raises the input/output error.
void SaveReportPicture(const QImage& picture, const std::string& path);

}  // namespace qv
