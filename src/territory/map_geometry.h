#pragma once
#include <cstdint>

// From outline units of the territorial base to pixels of the map bitmap.

namespace qv {

// MapState.MapWidth 0 becomes 600 and MapState.MapHeight 0 becomes 480.
void NormalizeMapSize();

// Zoom level MapState.ZoomLevel: level 1 shows the whole base, levels 2..7 scale 32 down to 1
// outline units per pixel around the last picked point; levels 8 and above change nothing.
void SetZoom();

// Arithmetic shift (division rounding down): a view centre left or above the base is negative,
// and a logical shift would turn it into an origin far beyond the map.
inline int32_t MapShr(int32_t value, int32_t shift) {
    return int32_t(int64_t(value) >> (shift & 31));
}

// Wrapping arithmetic: coordinates come from files and must not overflow into undefined behaviour.
inline int32_t MapAdd(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) + uint32_t(b));
}
inline int32_t MapSub(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) - uint32_t(b));
}

struct MapPixel {
    int32_t X = 0;
    int32_t Y = 0;
};

// The transform of one drawing. Shifts divide rounding down, negative values included.
struct MapTransform {
    int32_t Shift = 0;
    int32_t OriginX = 0;
    int32_t OriginY = 0;
    bool Margin = false;
    int32_t Width = 0;  // drawable area W', H'
    int32_t Height = 0;

    // Label points and boxes.
    MapPixel Point(int32_t x, int32_t y) const {
        return {MapSub(MapShr(x, Shift), OriginX), MapSub(MapShr(y, Shift), OriginY)};
    }
    // Vertices, moved 5 pixels right and down with the margin; inline, as every vertex of the
    // outlines drawn passes here.
    MapPixel Vertex(int32_t x, int32_t y) const {
        const MapPixel p = Point(x, y);
        return Margin ? MapPixel{MapAdd(p.X, 5), MapAdd(p.Y, 5)} : p;
    }
    // Where within its pixel a coordinate lies, from 0 (its left or top edge) to below 1: what a
    // printer finer than the screen still draws.
    float WithinPixel(int32_t v) const;
    // The box (x1, x2, y1, y2) touches the drawable area (or covers it).
    bool BoxVisible(int32_t x1, int32_t x2, int32_t y1, int32_t y2) const;
    // Strictly inside the drawable area, where a label point can be picked.
    bool Inside(MapPixel p) const { return p.X > 0 && p.X < Width && p.Y > 0 && p.Y < Height; }
};

// How far the drawable area reaches beyond the map's bitmap: 3 pixels each way with
// MapState.MapMargin, which the printed page shows too.
int32_t MapDrawableMargin();

// Moves the view centre towards MapState.CentreTarget and fixes the origin for the zoom in force.
MapTransform ComputeMapTransform();

}  // namespace qv
