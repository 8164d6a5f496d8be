#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "territory/map_canvas.h"
#include "territory/map_drawing.h"
#include "territory/map_tables.h"

// Sends every drawing operation, given in bitmap pixels, to the screen canvas and, while
// printing, to the printer page with its coordinates scaled and the printer's font heights.

namespace qv {

class MapPainter {
  public:
    MapPainter(MapCanvas& screen, const MapPrintPage* page, int32_t drawableWidth, int32_t drawableHeight);

    bool Printing() const { return printer_ != nullptr; }
    MapCanvas* Printer() const { return printer_; }
    MapCanvas& Screen() const { return screen_; }

    void Brush(uint32_t colour);
    void Pen(uint32_t colour) { Pen(colour, colour); }
    void Pen(uint32_t screenColour, uint32_t printerColour);
    void PenWidth(int width);
    void Font(MapFont font);

    void Polygon(const std::vector<MapPoint>& points);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);

    // Where x lies against the text: its left edge, its right end, or its middle. Each device
    // measures its own text.
    enum class Anchor { Left, Right, Centre };
    // `printerDrop` moves the text further down on the printer page only.
    void Text(int32_t x, int32_t y, const std::string& text, Anchor anchor = Anchor::Left,
              int printerDrop = 0);

    int32_t ToPrinterX(int32_t x) const;
    int32_t ToPrinterY(int32_t y) const;

  private:
    MapCanvas& screen_;
    MapCanvas* printer_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    double scaleX_ = 1, scaleY_ = 1;
    double marginX_ = 0, marginY_ = 0;
};

// Names, values, bars and sigle over the drawn comuni; then the legend.
void DrawLabels(MapPainter& painter, const class RecordFile* names);
void DrawLegend(MapPainter& painter, int32_t drawableHeight);

}  // namespace qv
