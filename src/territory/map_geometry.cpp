#include "territory/map_geometry.h"

#include <algorithm>

#include "core/core_state.h"

namespace qv {

namespace {

constexpr int kMaxZoomLevel = 7;

int32_t Mul(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) * uint32_t(b));
}

void RecentreOnPick() {
    if (MapState.PickX <= -1) return;
    MapState.ViewCentreX =
        MapAdd(MapState.ViewCentreX, Mul(MapState.PickX - MapState.ReferenceX, MapState.ZoomScale));
    MapState.ViewCentreY =
        MapAdd(MapState.ViewCentreY, Mul(MapState.PickY - MapState.ReferenceY, MapState.ZoomScale));
    MapState.CentreTargetX = MapState.ReferenceX;
    MapState.CentreTargetY = MapState.ReferenceY;
}

}  // namespace

void NormalizeMapSize() {
    if (MapState.MapWidth == 0) MapState.MapWidth = 600;
    if (MapState.MapHeight == 0) MapState.MapHeight = 480;
}

void SetZoom() {
    const int level = MapState.ZoomLevel;
    if (level < 1 || level > kMaxZoomLevel) return;
    if (level == 1) {
        MapState.CentreTargetX = MapState.MapWidth / 2;
        MapState.CentreTargetY = (MapState.MapHeight - 26) / 2;
        MapState.ViewCentreX = MapState.MapWidth * 16;
        MapState.ViewCentreY = MapState.MapHeight * 16;
        MapState.ZoomScale = 32;
        MapState.ZoomShift = 5;
        return;
    }
    RecentreOnPick();
    // Levels 2..7: 32, 32, 16, 8, 4, 2, 1 units per pixel.
    MapState.ZoomShift = level == 2 ? 5 : 7 - level;
    MapState.ZoomScale = 1 << MapState.ZoomShift;
}

float MapTransform::WithinPixel(int32_t v) const {
    const uint32_t units = 1u << (Shift & 31);
    return float(uint32_t(v) & (units - 1)) / float(units);
}

bool MapTransform::BoxVisible(int32_t x1, int32_t x2, int32_t y1, int32_t y2) const {
    const MapPixel a = Point(x1, y1);
    const MapPixel b = Point(x2, y2);
    // The box's extent meets the area: an end inside it, or a box that covers it when zoomed in.
    auto meets = [](int32_t v1, int32_t v2, int32_t limit) {
        return std::min(v1, v2) <= limit && std::max(v1, v2) >= 0;
    };
    return meets(a.X, b.X, Width) && meets(a.Y, b.Y, Height);
}

int32_t MapDrawableMargin() {
    return MapState.MapMargin != 0 ? 3 : 0;
}

MapTransform ComputeMapTransform() {
    const int32_t s = MapState.ZoomShift & 31;
    const int32_t c = MapState.ZoomScale;
    const int32_t rx = MapState.ReferenceX;
    const int32_t ry = MapState.ReferenceY;
    MapState.ViewCentreX = MapAdd(MapState.ViewCentreX, Mul(MapSub(MapState.CentreTargetX, rx), c));
    MapState.ViewCentreY = MapAdd(MapState.ViewCentreY, Mul(MapSub(MapState.CentreTargetY, ry), c));

    MapTransform t;
    t.Shift = s;
    t.OriginX = MapAdd(MapSub(MapShr(MapState.ViewCentreX, s), MapShr(Mul(MapState.MapWidth, 16), s)),
                       MapShr(MapSub(Mul(rx, 32), Mul(rx, c)), s));
    t.OriginY = MapAdd(MapSub(MapShr(MapState.ViewCentreY, s), MapShr(Mul(MapState.MapHeight, 16), s)),
                       MapShr(MapSub(Mul(ry, 32), Mul(ry, c)), s));
    t.Margin = MapState.MapMargin != 0;
    t.Width = MapState.MapWidth + MapDrawableMargin();
    t.Height = MapState.MapHeight + MapDrawableMargin();
    return t;
}

}  // namespace qv
