#pragma once
// A territorial base of four square comuni in two rows, written by hand for the map tests:
//
//     +----+----+        comune 1 at column 0, row 0; 2 at (1, 0); 3 at (0, 1); 4 at (1, 1)
//     | 1  | 2  |        each cell 20 x 20 pixels on the base map (640 outline units), the
//     +----+----+        grid's top left at pixel (10, 10), label point in the cell's middle
//     | 3  | 4  |
//     +----+----+
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "territory/map_tables.h"

namespace qv::test {

constexpr int kTinyCellPixels = 20;
constexpr int kTinyGridPixels = 10;
constexpr int kTinyCap = 20;
// Class colours: every class its own colour (0x00BBGGRR).
constexpr std::array<uint32_t, 9> kTinyColours = {0xEEEEEE, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                                  0xFF00FF, 0xFFFF00, 0x808080, 0x000080};

// Outline record of file 1 (cap 20): the closed ring of the cell, the neighbour across each
// side (top, right, bottom, left), -30000, and the label point in Y[17], Y[18].
inline std::string TinyOutline(int col, int row, std::array<int32_t, 4> sides) {
    const int32_t s = kTinyCellPixels * 32;
    const int32_t x0 = kTinyGridPixels * 32 + col * s, y0 = kTinyGridPixels * 32 + row * s;
    int32_t xs[kTinyCap] = {x0, x0 + s, x0 + s, x0, x0, -30000};
    int32_t ys[kTinyCap] = {y0, y0, y0 + s, y0 + s, y0};
    // The neighbour is stored with the vertex its edge ends at; the first vertex holds the
    // closing edge's.
    int32_t es[kTinyCap] = {sides[3], sides[0], sides[1], sides[2], sides[3]};
    ys[16] = x0 + s / 2;
    ys[17] = y0 + s / 2;
    std::string out;
    for (int32_t v : xs) AppendI32(out, v);
    for (int32_t v : ys) AppendI32(out, v);
    for (int32_t v : es) AppendI32(out, v);
    return out;
}

inline std::string TinyBox(int comune, int col, int row) {
    const int32_t s = kTinyCellPixels * 32;
    const int32_t x0 = kTinyGridPixels * 32 + col * s, y0 = kTinyGridPixels * 32 + row * s;
    return Int32s({comune, x0, x0 + s, y0, y0 + s});
}

// Writes the base into `dir` and sets MapState for a 100 x 80 base map showing it whole:
// comuni 1..4 active, colours by class, manual limits, every other option off.
inline void WriteTinyBase(const std::string& dir) {
    WriteBytes(dir + "cmn-zor2.dat",
               NameRecord("Uno") + NameRecord("Due") + NameRecord("Tre") + NameRecord("Quattro"));
    WriteBytes(dir + "dov-zor.dat", std::string(4, '\1'));
    WriteBytes(dir + "mmx-zor.dat",
               TinyBox(1, 0, 0) + TinyBox(2, 1, 0) + TinyBox(3, 0, 1) + TinyBox(4, 1, 1));
    WriteBytes(dir + "1-zor.dat", TinyOutline(0, 0, {0, 2, 3, 0}) + TinyOutline(1, 0, {0, 0, 4, 1}) +
                                      TinyOutline(0, 1, {1, 4, 0, 0}) + TinyOutline(1, 1, {2, 0, 0, 3}));
    // Variable 0: every comune its own unit; variable 1: the rows (for thick borders).
    std::string matrix = Int32s({334, 335, 336, 337}) + std::string(46 * 4, '\0');
    matrix += Int32s({1, 1, 2, 2}) + std::string(46 * 4, '\0');
    WriteBytes(dir + "ter-zor.dat", matrix);
    std::string translation;
    for (int16_t j : {1, 2, 3, 4}) AppendI16(translation, j);
    WriteBytes(dir + "kel-trad.dat", translation);
    std::string colours;
    for (uint32_t c : kTinyColours) AppendI32(colours, int32_t(c));
    WriteBytes(dir + "leg-colo.dat", colours);
    WriteBytes(dir + "lst-sigl.txt", "Sigle;sig\r\n");
    WriteBytes(dir + "sig.txt", "   1 UN\r\n   4 QU\r\n");

    MapState.TerritoryDir = dir;
    MapState.ComuneCount = MapState.ValueCount = 4;
    MapState.VariableLength = 50;
    MapState.MapWidth = 100;
    MapState.MapHeight = 80;
    MapState.ZoomLevel = 1;
    MapState.ReferenceX = 50;
    MapState.ReferenceY = 27;
    MapState.ColourByClass = 1;
    MapState.ClassMode = 1;
    MapState.PrintScaleX = MapState.PrintScaleY = 100;
    MapClassThresholds.Limits.fill(kClassLimitUnset);
    for (int k = 0; k < 4; ++k) MapActiveComuni[size_t(k)] = 1;
    AllocateMapTables();
}

// A test over reset program state with the base written to "geo/" and a fresh program directory
// "prog/", both in its own temporary directory; the map tables are released when it ends.
class TinyBaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("prog");
        geo = dir.MakeDir("geo");
        WriteTinyBase(geo);
    }
    void TearDown() override { ReleaseMapTables(); }

    TempDir dir;
    std::string geo;
};

}  // namespace qv::test
