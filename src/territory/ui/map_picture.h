#pragma once
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include "territory/map_canvas.h"

class QPrinter;

namespace qv {

// The map canvas on a QPainter: a picture on screen or a printer page.
class PainterMapCanvas : public MapCanvas {
  public:
    explicit PainterMapCanvas(QPainter& painter);
    void SetBrushColour(uint32_t colour) override;
    void SetPenColour(uint32_t colour) override;
    void SetPenWidth(int width) override;
    void SetFontHeight(int pixels) override;
    void Polygon(const MapPoint* points, int count) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Lines(const MapPoint* ends, int count) override;
    void TextOut(int32_t x, int32_t y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

  private:
    void ApplyPen();
    QPainter& painter_;
    // The colours as the drawing gives them, alternating ring after ring.
    uint32_t brushColour_ = 0xFFFFFF, penColour_ = 0;
    int penWidth_ = 1;
    // What the painter holds, so that a pen or brush is built only when it changes.
    uint32_t appliedPen_ = 0, appliedBrush_ = 0;
    int appliedWidth_ = -1;
    QPoint current_;
    QPolygon polygon_;  // reused by every outline
};

// A 0x00BBGGRR colour of the map files.
QColor MapColour(uint32_t colour);

// The whole map drawing on a new picture of MapState.MapWidth x MapHeight (0 x 0 become
// 600 x 480), saved as "prova.bmp" in the territorial directory, and, with a printer, repeated
// on its page as one document. Raises the input/output error of a missing base file or of a
// picture that cannot be saved; then nothing is saved and the caller keeps its picture.
QImage DrawMapPicture(QPrinter* printer = nullptr);

// The factor (at most 1) by which the map is reduced to fit the printer's page. The page is
// drawn at the printer's own resolution, a bitmap pixel at a print scale of 100 being 1/96 inch,
// so the map prints as large as a screen of 96 dots an inch shows it.
double PrepareMapPrinter(QPrinter& printer);

// "prova.bmp" of the territorial directory.
std::string MapPicturePath();

}  // namespace qv
