#include "territory/map_geometry.h"

#include <gtest/gtest.h>

#include "core/core_state.h"

namespace qv {
namespace {

// A base map of 600 x 480 with the reference point (300, 227), as the defaults give for it.
void BaseMap() {
    ResetProgramState();
    MapState.MapWidth = 600;
    MapState.MapHeight = 480;
    MapState.ReferenceX = 300;
    MapState.ReferenceY = 227;
    MapState.ZoomLevel = 1;
    MapState.PickX = MapState.PickY = -1;
    SetZoom();
}

struct ZoomCase {
    const char* name;
    int level;
    int pickX, pickY;
    int32_t scale, shift;
    int32_t originX, originY;
    // An outline point and where it lands.
    int32_t x, y;
    int32_t px, py;
    int before = 0;  // a zoom level taken first with the same pick
};

// Worked by hand. Picking (400, 300) on the base map moves the view centre by (100, 73) pixels
// of 32 units: (9600, 7680) becomes (12800, 10016); the picked place, outline (12800, 9600),
// then lands on the reference point (300, 227) at every zoom.
const ZoomCase kZoomCases[] = {
    {"base map", 1, -1, -1, 32, 5, 0, 0, 3200, 1600, 100, 50},
    {"base map ignores the pick", 1, 400, 300, 32, 5, 0, 0, 3200, 1600, 100, 50},
    // 12800 >> 5 - 9600 >> 5 = 100; 10016 >> 5 - 7680 >> 5 = 313 - 240 = 73.
    {"zoom 1 keeps the scale", 2, 400, 300, 32, 5, 100, 73, 12800, 9600, 300, 227},
    // 800 - 600 + (300 x 16) >> 4 = 500; 626 - 480 + (227 x 16) >> 4 = 373.
    {"zoom 2 halves the units", 3, 400, 300, 16, 4, 500, 373, 12800, 9600, 300, 227},
    // 12800 - 9600 + 300 x 31 = 12500; 10016 - 7680 + 227 x 31 = 9373.
    {"zoom 6 one unit a pixel", 7, 400, 300, 1, 0, 12500, 9373, 12801, 9600, 301, 227},
    // Without a pick the view stays: the same origin at a new scale.
    {"zoom without a pick", 3, -1, -1, 16, 4, 300, 227, 3200, 1600, -100, -127},
    {"level 8 changes nothing", 8, 400, 300, 32, 5, 0, 0, 3200, 1600, 100, 50},
    // Picking (10, 5) twice leaves the view centre left of and above the base, (-4320, -2976):
    // -4320 >> 3 - 9600 >> 3 + (300 x 24) >> 3 = -840; -2976 >> 3 - 960 + 681 = -651, so the
    // base's corner lies right of and below the window's centre, not beyond any window.
    {"two zooms near the top left corner", 4, 10, 5, 8, 3, -840, -651, 0, 0, 840, 651, 3},
};

TEST(MapGeometry, ZoomAndTransform) {
    for (const ZoomCase& c : kZoomCases) {
        SCOPED_TRACE(c.name);
        BaseMap();
        if (c.before) {
            MapState.ZoomLevel = uint8_t(c.before);
            MapState.PickX = c.pickX;
            MapState.PickY = c.pickY;
            SetZoom();
            ComputeMapTransform();
        }
        MapState.ZoomLevel = uint8_t(c.level);
        MapState.PickX = c.pickX;
        MapState.PickY = c.pickY;
        SetZoom();
        EXPECT_EQ(MapState.ZoomScale, c.scale);
        EXPECT_EQ(MapState.ZoomShift, c.shift);
        const MapTransform t = ComputeMapTransform();
        EXPECT_EQ(t.OriginX, c.originX);
        EXPECT_EQ(t.OriginY, c.originY);
        const MapPixel p = t.Point(c.x, c.y);
        EXPECT_EQ(p.X, c.px);
        EXPECT_EQ(p.Y, c.py);
        // A second drawing without a new pick shows the same view.
        MapState.PickX = MapState.PickY = -1;
        SetZoom();
        const MapTransform again = ComputeMapTransform();
        EXPECT_EQ(again.OriginX, t.OriginX);
        EXPECT_EQ(again.OriginY, t.OriginY);
    }
}

TEST(MapGeometry, MarginMovesVerticesOnly) {
    BaseMap();
    MapState.MapMargin = 1;
    const MapTransform t = ComputeMapTransform();
    EXPECT_EQ(t.Width, 603);
    EXPECT_EQ(t.Height, 483);
    EXPECT_EQ(t.Vertex(3200, 1600).X, 105);
    EXPECT_EQ(t.Vertex(3200, 1600).Y, 55);
    EXPECT_EQ(t.Point(3200, 1600).X, 100);
}

TEST(MapGeometry, VisibilityAndLabelPoints) {
    BaseMap();
    const MapTransform t = ComputeMapTransform();
    struct Box {
        const char* name;
        int32_t x1, x2, y1, y2;
        bool visible;
    };
    // Pixels are units / 32; the area is 0..600 x 0..480, both ends included.
    const Box boxes[] = {
        {"inside", 320, 640, 320, 640, true},
        {"right end on the edge", -64000, 19200, 320, 640, true},
        {"left end on the edge", 0, 64000, 320, 640, true},
        {"right of the map", 19232, 19264, 320, 640, false},
        {"below the map", 320, 640, 15392, 15424, false},
        {"left of the map", -640, -320, 320, 640, false},
        {"across the left edge", -640, 320, 320, 640, true},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(t.BoxVisible(b.x1, b.x2, b.y1, b.y2), b.visible);
    }
    // Zoomed in, a comune larger than the window covers it and is drawn.
    MapState.ZoomLevel = 7;
    MapState.PickX = 400;
    MapState.PickY = 300;
    SetZoom();
    const MapTransform zoomed = ComputeMapTransform();  // origin (12500, 9373)
    EXPECT_TRUE(zoomed.BoxVisible(12000, 14000, 9000, 11000));
    EXPECT_FALSE(zoomed.BoxVisible(12000, 12400, 9000, 11000));

    EXPECT_TRUE(t.Inside({1, 1}));
    EXPECT_TRUE(t.Inside({599, 479}));
    EXPECT_FALSE(t.Inside({0, 100}));
    EXPECT_FALSE(t.Inside({600, 100}));
    EXPECT_FALSE(t.Inside({100, 480}));
}

}  // namespace
}  // namespace qv
