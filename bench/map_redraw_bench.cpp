// Times the map redraw a user waits for: the drawing with its reads of the territorial base,
// the write of "prova.bmp" and the picture shown in the map window, against a floor.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON &&
//     cmake --build build-bench --target map_redraw_bench -j3 && taskset -c 7 build-bench/map_redraw_bench
//
// The shipped base at 600 x 480, every comune active in one of seven classes, no legend, at the
// whole map with the thick borders of variable 1 (every comune its own unit, so every shared
// edge is a border), at the whole map with the thin borders alone, and at zoom 7 with the thick
// borders. The floor draws what one recorded drawing sent to the canvas, the fastest way Qt
// offers: it reads the base's index files and the outline record of every comune with a label
// point, fills every outline, then strokes each segment on the picture once per pen in one call,
// writes "prova.bmp" and paints the picture into one of the window's size. Each round runs the
// floor, then the redraw; the median ratio of 11 rounds is printed. Release, one core, other
// cores busy (whole map with variable borders / thin borders / zoom 7):
//   one drawLine a segment, every segment of every ring          2.46x / 1.48x / 1.36x
//   thin borders a ring at a time, thick ones once over the fills 1.27-1.30x / 1.14-1.17x / 1.31-1.42x
//   the outlines worked out before they are drawn, border tests
//   from one table, segment tables kept between redraws          1.12-1.13x / 1.08-1.09x / 1.27-1.33x
// What remains at the whole map is the engine's own share: the border tests of every edge and
// telling the 190,000 thick edges apart (about 3 ms of a 43 ms redraw), the walk of the outline
// records, and copying the outlines to the painter.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "pin_cpu.h"
#include "platform/file_io.h"
#include "territory/map_canvas.h"
#include "territory/map_drawing.h"
#include "territory/map_options.h"
#include "territory/map_tables.h"
#include "territory/ui/map_picture.h"
#include "territory/ui/tvedecartina.h"

using namespace qv;

namespace {

// What a drawing sends to the canvas: filled outlines with their colour, lines by pen width.
class RecordingCanvas : public MapCanvas {
  public:
    void SetBrushColour(uint32_t colour) override { brush_ = colour; }
    void SetPenColour(uint32_t) override {}
    void SetPenWidth(int width) override { width_ = width; }
    void SetFontHeight(int) override {}
    void Polygon(const MapPoint* points, int count) override {
        QPolygon polygon;
        for (int i = 0; i < count; ++i) polygon << QPoint(points[i].X, points[i].Y);
        Fills.push_back({brush_, polygon});
    }
    void MoveTo(int32_t x, int32_t y) override { at_ = {x, y}; }
    void LineTo(int32_t x, int32_t y) override {
        QLine line(at_.X, at_.Y, x, y);
        if (std::tie(y, x) < std::tie(at_.Y, at_.X)) line = QLine(x, y, at_.X, at_.Y);
        // Once per pen, and only what can reach the picture.
        if (std::max(line.x1(), line.x2()) >= -width_ - 1 && std::min(line.x1(), line.x2()) <= 600 + width_ &&
            std::max(line.y1(), line.y2()) >= -width_ - 1 && std::min(line.y1(), line.y2()) <= 480 + width_ &&
            seen_.insert({width_, line.x1(), line.y1(), line.x2(), line.y2()}).second)
            Strokes[width_].push_back(line);
        at_ = {x, y};
    }
    void TextOut(int32_t, int32_t, const std::string&) override {}
    int TextWidth(const std::string& text) override { return 6 * int(text.size()); }
    int TextHeight(const std::string&) override { return 10; }

    std::vector<std::pair<uint32_t, QPolygon>> Fills;
    std::map<int, std::vector<QLine>> Strokes;

  private:
    uint32_t brush_ = 0;
    int width_ = 1;
    MapPoint at_;
    std::set<std::tuple<int, int, int, int, int>> seen_;
};

void ReadWhole(const std::string& path) {
    if (const auto bytes = TryReadFile(path)) asm volatile("" : : "r"(bytes->data()) : "memory");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::PinToOneCpu();
    QApplication app(argc, argv);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qv-redraw-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "geo");
    const std::string geo = (dir / "geo").string() + "/";
    const std::string shipped = std::string(QV_SOURCE_DIR) + "/data/territory/geolar/";
    for (const auto& f : std::filesystem::directory_iterator(shipped))
        std::filesystem::copy_file(f.path(), geo + f.path().filename().string());
    ResetProgramState();
    CoreState.ProgramDir = CoreState.ArchiveDir = dir.string() + "/";
    std::filesystem::copy_file(std::string(QV_SOURCE_DIR) + "/data/progdir/sigle.imp", dir / "sigle.imp");
    BuildTextFile();
    MapState.PixelWidth = 600;
    MapState.PixelHeight = 480;
    ApplyMapDefaults();
    MapState.TerritoryDir = geo;
    MapState.ShowLegend = 0;
    MapState.ComuneCount = MapState.ValueCount = MapState.VariableLength = 8100;
    MapState.BorderVariable = 1;
    std::fill(MapActiveComuni.begin(), MapActiveComuni.end(), uint8_t(1));
    AllocateMapTables();
    for (int k = 1; k <= 8100; ++k) MapCardCounts[size_t(k)] = k % 7 + 1;
    MapClassThresholds.Limits = {1, 2, 3, 4, 5, 6, 7};
    CoreState.ProceedFlag = 0;  // the window opens without drawing
    TVedeCartina window(nullptr);

    struct Case {
        const char* name;
        int zoom;
        bool variableBorders;
    };
    for (const Case& c :
         {Case{"whole map, variable borders", 1, true}, Case{"whole map, thin borders", 1, false},
          Case{"zoom 7, variable borders", 7, true}}) {
        auto set = [&] {
            MapState.ZoomLevel = c.zoom;
            MapState.ShowVariableBorders = c.variableBorders;
            if (c.zoom > 1) MapState.PickX = 330, MapState.PickY = 190;  // inland, central Italy
        };
        set();
        RecordingCanvas recorded;
        DrawMap(recorded, nullptr);
        std::vector<std::pair<int, int64_t>> records;  // outline file, record of each labelled comune
        {
            std::vector<int64_t> next(9, 0);
            const std::string fileOf = *TryReadFile(geo + "dov-zor.dat");
            for (int k = 1; k <= 8100; ++k) {
                const int n = uint8_t(fileOf[size_t(k - 1)]);
                if (n >= 1 && n <= 8 && MapCentroidX[size_t(k)] != kNoLabelPoint)
                    records.push_back({n, next[n]});
                if (n >= 1 && n <= 8) ++next[n];
            }
        }
        size_t strokes = 0;
        for (const auto& [w, lines] : recorded.Strokes) strokes += lines.size();

        auto floor = [&] {
            for (const char* f :
                 {"dov-zor.dat", "mmx-zor.dat", "leg-colo.dat", "car-tres.dat", "mod-zor.dat"})
                ReadWhole(geo + f);
            const int caps[] = {0, 20, 30, 40, 50, 60, 70, 80, 100};
            std::vector<RecordFile> files(9);
            std::vector<uint8_t> record(12 * 100);
            for (int n = 1; n <= 8; ++n)
                files[size_t(n)].Open(geo + std::to_string(n) + "-zor.dat", 12 * caps[n],
                                      RecordFile::Mode::Read);
            for (const auto& [n, r] : records) files[size_t(n)].Read(r, record.data());
            QImage image(600, 480, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter p(&image);
                p.setRenderHint(QPainter::Antialiasing, false);
                uint32_t colour = 0xFFFFFFFF;
                for (const auto& [fill, polygon] : recorded.Fills) {
                    if (fill != colour) {
                        colour = fill;
                        p.setPen(QPen(MapColour(fill), 0));
                        p.setBrush(MapColour(fill));
                    }
                    p.drawPolygon(polygon);
                }
                for (const auto& [width, lines] : recorded.Strokes) {
                    QPen pen(Qt::black, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
                    p.setPen(pen);
                    p.drawLines(lines.data(), int(lines.size()));
                }
            }
            if (!image.save(QString::fromStdString(geo + "prova.bmp"), "BMP")) std::abort();
            QImage shown(602, 482, QImage::Format_RGB32);
            QPainter p(&shown);
            p.drawImage(1, 1, image);
        };
        std::vector<double> ratios, times, floors;
        auto seconds = [](const std::function<void()>& job) {
            const auto start = std::chrono::steady_clock::now();
            job();
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        for (int round = 0; round < 11; ++round) {
            const double f = seconds(floor);
            set();
            const double t = seconds([&] { window.EsegueCartinaClick(); });
            ratios.push_back(t / f);
            times.push_back(t);
            floors.push_back(f);
        }
        for (auto* v : {&ratios, &times, &floors}) std::sort(v->begin(), v->end());
        std::printf(
            "%-28s %7.2f ms  floor %7.2f ms  %5.2fx floor (median of 11 paired rounds, %.2f-%.2f); "
            "%zu outlines, %zu strokes\n",
            c.name, 1000 * times[5], 1000 * floors[5], ratios[5], ratios.front(), ratios.back(),
            recorded.Fills.size(), strokes);
    }
    ReleaseMapTables();
    std::filesystem::remove_all(dir);
    return 0;
}
