#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "territory/map_canvas.h"
#include "territory/map_drawing.h"
#include "territory/map_print_settings.h"
#include "territory/map_tables.h"

// Sends every drawing operation, given in bitmap pixels, to the screen canvas and, while
// printing, to the printer page with its coordinates scaled and the printer's font heights.
// The page is drawn at the printer's own resolution: a length the map's files give in printer
// pixels (font heights, gaps, pen widths) counts as 1/96 inch, so the page looks the same on
// paper whatever the printer, and at 96 dots an inch it is drawn pixel for pixel as the screen.

namespace qv {

// A vertex of an outline: its pixel on the bitmap and where within that pixel it lies (0 to
// below 1), which a printer finer than 96 dots an inch draws instead of the pixel's corner.
struct OutlinePoint {
    MapPoint At;
    float WithinX = 0;
    float WithinY = 0;
};

class MapPainter {
  public:
    MapPainter(MapCanvas& screen, const MapPrintPage* page, int32_t drawableWidth, int32_t drawableHeight);

    bool Printing() const { return printer_ != nullptr; }
    MapCanvas* Printer() const { return printer_; }
    MapCanvas& Screen() const { return screen_; }
    // What is printed under the map (nothing on the screen alone).
    const MapPageNotes& Notes() const { return notes_; }

    void Brush(uint32_t colour);
    void Pen(uint32_t colour) { Pen(colour, colour); }
    void Pen(uint32_t screenColour, uint32_t printerColour);
    void PenWidth(int width);
    void Font(MapFont font);

    void Polygon(const std::vector<MapPoint>& points);
    // An outline given by its pixels, which the screen takes as they are, and for the printer by
    // its points within them (the same number).
    void OutlinePolygon(std::span<const MapPoint> pixels, std::span<const OutlinePoint> exact);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    // Lines from ends[2i] to ends[2i + 1] in one go.
    void Lines(std::span<const OutlinePoint> ends);

    // Where x lies against the text: its left edge, its right end, or its middle. Each device
    // measures its own text.
    enum class Anchor { Left, Right, Centre };
    // `printerDrop` moves the text further down on the printer page only.
    void Text(int32_t x, int32_t y, const std::string& text, Anchor anchor = Anchor::Left,
              int printerDrop = 0);
    // The left edge of the text placed at x with that anchor, as the canvas measures it.
    static int32_t TextLeft(MapCanvas& canvas, int32_t x, const std::string& text, Anchor anchor);

    int32_t ToPrinterX(double x) const;
    int32_t ToPrinterY(double y) const;
    // Printer pixels for a length given in 1/96 inch.
    int PrinterPixels(int length) const;

  private:
    MapPoint ToPrinter(const MapPoint& p) const;
    MapPoint ToPrinter(const OutlinePoint& p) const;
    // The points on the printer page, in points_.
    template <typename Point>
    const std::vector<MapPoint>& OnPrinter(std::span<const Point> points);

    MapCanvas& screen_;
    MapCanvas* printer_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    double dots_ = 1;  // printer pixels per 1/96 inch
    double scaleX_ = 1, scaleY_ = 1;
    double marginX_ = 0, marginY_ = 0;
    MapPageNotes notes_;
    std::vector<MapPoint> points_;  // reused by every outline and batch of lines
};

// Names, values, bars and sigle over the drawn comuni; then the legend.
void DrawLabels(MapPainter& painter, const class RecordFile* names);
void DrawLegend(MapPainter& painter, int32_t drawableHeight);

}  // namespace qv
