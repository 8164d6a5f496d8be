#pragma once
#include <cstdint>
#include <string>

// The drawing surface of the map: the bitmap on screen and the printer page implement it, so
// one drawing sends the same operations to both.

namespace qv {

struct MapPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

class MapCanvas {
  public:
    virtual ~MapCanvas() = default;
    // Colours are 0x00BBGGRR.
    virtual void SetBrushColour(uint32_t colour) = 0;
    virtual void SetPenColour(uint32_t colour) = 0;
    // Width 0 is the thinnest line the surface draws.
    virtual void SetPenWidth(int width) = 0;
    virtual void SetFontHeight(int pixels) = 0;
    // Filled with the brush and outlined with the pen.
    virtual void Polygon(const MapPoint* points, int count) = 0;
    // A line in the pen from the current point, which then moves to (x, y).
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Lines in the pen from ends[2i] to ends[2i + 1], for i below `count`; the current point is
    // left at the last end.
    virtual void Lines(const MapPoint* ends, int count) {
        for (int i = 0; i < count; ++i) {
            MoveTo(ends[2 * i].X, ends[2 * i].Y);
            LineTo(ends[2 * i + 1].X, ends[2 * i + 1].Y);
        }
    }
    // Windows-1252 text in black, top left at (x, y), on a box of the brush colour.
    virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
};

}  // namespace qv
