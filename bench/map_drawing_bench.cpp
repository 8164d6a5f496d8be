// Times the drawing of the shipped territorial base, as the map window redraws it on every zoom.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON &&
//     cmake --build build-bench --target map_drawing_bench -j3 && build-bench/map_drawing_bench
//
// A 600 x 480 map with every comune active and the thick borders of variable 1 (every comune its
// own unit, so every shared edge is a border), drawn onto a canvas that only folds the
// operations into a checksum: the figures are the engine's share of a redraw (reading the base,
// walking the outlines), not Qt's painting. The checksum tells that two builds draw alike.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "pin_cpu.h"
#include "territory/map_drawing.h"
#include "territory/map_options.h"
#include "territory/map_tables.h"

using namespace qv;

namespace {

class ChecksumCanvas : public MapCanvas {
  public:
    void SetBrushColour(uint32_t colour) override { Mix(1, colour); }
    void SetPenColour(uint32_t colour) override { Mix(2, colour); }
    void SetPenWidth(int width) override { Mix(3, uint32_t(width)); }
    void SetFontHeight(int pixels) override { Mix(4, uint32_t(pixels)); }
    void Polygon(const MapPoint* points, int count) override {
        Mix(5, uint32_t(count));
        for (int i = 0; i < count; ++i) Mix(uint32_t(points[i].X), uint32_t(points[i].Y));
    }
    void MoveTo(int32_t x, int32_t y) override { Mix(6, uint32_t(x) ^ uint32_t(y) << 16); }
    void LineTo(int32_t x, int32_t y) override { Mix(7, uint32_t(x) ^ uint32_t(y) << 16); }
    void TextOut(int32_t x, int32_t y, const std::string& text) override {
        Mix(8, uint32_t(x) ^ uint32_t(y) << 16 ^ uint32_t(text.size()));
    }
    int TextWidth(const std::string& text) override { return 6 * int(text.size()); }
    int TextHeight(const std::string&) override { return 10; }

    uint64_t Sum = 14695981039346656037ull;
    uint64_t Operations = 0;

  private:
    void Mix(uint32_t a, uint32_t b) {
        ++Operations;
        for (uint32_t v : {a, b}) Sum = (Sum ^ v) * 1099511628211ull;
    }
};

}  // namespace

int main() {
    // No archive is open: the counts read nothing, and the program directory is an empty one.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qv-map-bench";
    std::filesystem::create_directories(dir);
    bench::PinToOneCpu();
    ResetProgramState();
    CoreState.ProgramDir = CoreState.ArchiveDir = dir.string() + "/";
    MapState.PixelWidth = 600;
    MapState.PixelHeight = 480;
    ApplyMapDefaults();
    MapState.TerritoryDir = std::string(QV_SOURCE_DIR) + "/data/territory/geolar/";
    MapState.ComuneCount = MapState.ValueCount = MapState.VariableLength = 8100;
    MapState.ShowVariableBorders = 1;
    MapState.BorderVariable = 1;
    std::fill(MapActiveComuni.begin(), MapActiveComuni.end(), uint8_t(1));
    AllocateMapTables();

    // The whole map, then each zoom step around the middle of the picture.
    constexpr int kRounds = 30;
    for (int level = 1; level <= 7; ++level) {
        std::vector<double> times;
        ChecksumCanvas canvas;
        for (int round = 0; round < kRounds; ++round) {
            MapState.ZoomLevel = level;
            if (level > 1) MapState.PickX = MapState.ReferenceX, MapState.PickY = MapState.ReferenceY;
            ChecksumCanvas pass;
            const auto start = std::chrono::steady_clock::now();
            DrawMap(pass, nullptr);
            times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            canvas = pass;
        }
        std::sort(times.begin(), times.end());
        std::printf("zoom %d: median %.2f ms, best %.2f ms, %llu operations, checksum %016llx\n", level,
                    1000 * times[times.size() / 2], 1000 * times[0], (unsigned long long)canvas.Operations,
                    (unsigned long long)canvas.Sum);
    }
    ReleaseMapTables();
    return 0;
}
