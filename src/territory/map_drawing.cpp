#include "territory/map_drawing.h"

#include <algorithm>
#include <cmath>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "territory/map_geometry.h"
#include "territory/map_painter.h"
#include "territory/map_values.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr int kOutlineCaps[8] = {20, 30, 40, 50, 60, 70, 80, 100};
constexpr int kBoxRecordSize = 20;
constexpr int32_t kRingEnd = -10000;
constexpr int32_t kOutlineEnd = -30000;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Vertex {
    MapPoint At;
    int32_t Neighbour = 0;  // comune across the edge from the previous vertex to this one
};

bool NeighbourDrawn(int c, int32_t e) {
    if (e == 0) return true;
    if (e < 1 || e > MapComuneCount()) return false;
    const bool activeC = IsMapComuneActive(c);
    const bool activeE = IsMapComuneActive(int(e));
    if (MapState.HideBordersInactive && !activeC && !activeE) return false;
    if (activeC != activeE) return true;
    return (MapState.ClassBorders && MapClassOf[size_t(c)] != MapClassOf[size_t(e)]) ||
           (MapState.UnitBorders && MapValueIndex[size_t(c)] != MapValueIndex[size_t(e)]);
}

bool VariableBorderDrawn(int c, int32_t e) {
    if (e == 0) return true;
    if (e < 1 || e > MapComuneCount()) return false;
    if (MapState.HideVariableBordersInactive && !IsMapComuneActive(c) && !IsMapComuneActive(int(e)))
        return false;
    return MapBorderValues[size_t(c)] != MapBorderValues[size_t(e)];
}

// Strokes the edges of the ring whose neighbour passes the test; the edge from vertex k-1 to
// vertex k is told by the neighbour stored with vertex k. The closing edge back to vertex 0
// is not stroked: the base's rings repeat their first vertex.
template <typename Test>
void StrokeEdges(MapPainter& painter, const std::vector<Vertex>& ring, int c, Test drawn) {
    painter.MoveTo(ring[0].At.X, ring[0].At.Y);
    for (size_t k = 1; k < ring.size(); ++k) {
        if (drawn(c, ring[k].Neighbour))
            painter.LineTo(ring[k].At.X, ring[k].At.Y);
        else
            painter.MoveTo(ring[k].At.X, ring[k].At.Y);
    }
}

void DrawRing(MapPainter& painter, std::vector<Vertex>& ring, int c) {
    if (ring.empty()) return;
    const uint32_t colour = MapState.ColourByClass && IsMapComuneActive(c)
                                ? MapColours[std::min<size_t>(MapClassOf[size_t(c)], 8)]
                                : kWhite;
    painter.Brush(colour);
    painter.Pen(colour);
    painter.PenWidth(0);
    std::vector<MapPoint> points;
    points.reserve(ring.size());
    for (const Vertex& v : ring) points.push_back(v.At);
    painter.Polygon(points);

    painter.Pen(kBlack);
    painter.PenWidth(1);
    StrokeEdges(painter, ring, c, NeighbourDrawn);
    if (MapState.ShowVariableBorders) {
        painter.PenWidth(std::clamp(MapState.VariableBorderWidth, 0, 50));
        StrokeEdges(painter, ring, c, VariableBorderDrawn);
    }
    ring.clear();
    painter.PenWidth(1);
}

void ReadOutlineFiles() {
    RecordFile file(DataFilePath(data_file::kOutlineClass), 1, RecordFile::Mode::Read);
    const int count = MapComuneCount();
    file.Read(0, MapOutlineFileOf.data() + 1, count);
}

void MarkVisibleComuni(const MapTransform& t) {
    std::fill(MapVisible.begin(), MapVisible.end(), 0);
    std::fill(MapCentroidX.begin(), MapCentroidX.end(), kNoLabelPoint);
    std::fill(MapCentroidY.begin(), MapCentroidY.end(), kNoLabelPoint);
    RecordFile file(DataFilePath(data_file::kBox), kBoxRecordSize, RecordFile::Mode::Read);
    const int count = int(std::min<int64_t>(file.RecordCount(), MapComuneCount()));
    std::vector<uint8_t> boxes(size_t(count) * kBoxRecordSize);
    file.Read(0, boxes.data(), count);
    for (int k = 1; k <= count; ++k) {
        const uint8_t* b = boxes.data() + size_t(k - 1) * kBoxRecordSize;
        MapVisible[size_t(k)] =
            t.BoxVisible(GetI32(b + 4), GetI32(b + 8), GetI32(b + 12), GetI32(b + 16)) ? 1 : 0;
    }
}

// Outline records hold X[1..cap], Y[1..cap] and E[1..cap]. Rings are closed (the first vertex
// is repeated at the end) and E at a vertex names the comune across the edge that ends there:
// that is how bases written by other stations have always been drawn. E at a ring's first
// vertex is therefore never read (it holds the closing edge's neighbour), and the rescale
// leaves E untouched.
void DrawOutlines(MapPainter& painter, const MapTransform& t) {
    std::vector<Vertex> ring;
    for (int n = 1; n <= 8; ++n) {
        RecordFile file;
        const int cap = kOutlineCaps[n - 1];
        if (!file.TryOpen(DataFilePath(data_file::kFirstOutline + n - 1), 12 * cap, RecordFile::Mode::Read))
            continue;
        std::vector<uint8_t> record(size_t(12) * cap);
        int64_t r = 0;
        for (int k = 1; k <= MapComuneCount(); ++k) {
            if (MapOutlineFileOf[size_t(k)] != n) continue;
            ++r;
            if (!MapVisible[size_t(k)]) continue;
            // A file that ends early leaves its last comuni blank.
            if (file.ReadUpTo(r - 1, record.data(), 1) != 1) continue;
            auto xAt = [&](int j) { return GetI32(record.data() + 4 * (j - 1)); };
            auto yAt = [&](int j) { return GetI32(record.data() + 4 * (cap + j - 1)); };
            auto eAt = [&](int j) { return GetI32(record.data() + 4 * (2 * cap + j - 1)); };

            const MapPixel label = t.Point(yAt(cap - 3), yAt(cap - 2));
            if (t.Inside(label) && label.X <= INT16_MAX && label.Y <= INT16_MAX) {
                MapCentroidX[size_t(k)] = int16_t(label.X);
                MapCentroidY[size_t(k)] = int16_t(label.Y);
            }
            ring.clear();
            for (int j = 1; j <= cap - 5; ++j) {
                const int32_t x = xAt(j);
                if (x <= kRingEnd) {
                    DrawRing(painter, ring, k);
                    if (x == kOutlineEnd) break;
                    continue;
                }
                const MapPixel p = t.Vertex(x, yAt(j));
                ring.push_back({{p.X, p.Y}, eAt(j)});
            }
            DrawRing(painter, ring, k);
        }
    }
}

struct DrawingTablesGuard {
    DrawingTablesGuard() { AllocateDrawingTables(); }
    ~DrawingTablesGuard() { ReleaseDrawingTables(); }
};

}  // namespace

std::string FormatMapNumber(double value, int width, int decimals) {
    std::string out = FormatFixed(value, width, decimals);
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

void DrawMap(MapCanvas& screen, const MapPrintPage* page) {
    if (MapCentroidX.empty()) AllocateMapTables();
    DrawingTablesGuard tables;
    LoadMapFonts();
    LoadMapColours();

    SetZoom();
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    ComputeMapValues();
    RecordFile names;
    if (MapState.ShowNames || MapState.ShowChosenName) OpenMapComuneNames(names);
    MapState.PickX = MapState.PickY = MapState.DrawPointX = MapState.DrawPointY = -1;
    const MapTransform t = ComputeMapTransform();
    MapPainter painter(screen, page, t.Width, t.Height);
    painter.Pen(kBlack);

    const int32_t b = t.Margin ? 4 : 0;
    painter.Brush(MapColours[0]);
    painter.Pen(MapColours[0], MapState.FrameLine ? kBlack : MapColours[0]);
    painter.Polygon({{b, b}, {b, t.Height}, {t.Width, t.Height}, {t.Width, b}});
    painter.Pen(kBlack);

    ReadOutlineFiles();
    if (MapState.ShowVariableBorders) LoadTerritorialVariable(TerritorialReading::Borders);
    AssignMapClasses();
    MarkVisibleComuni(t);
    DrawOutlines(painter, t);

    DrawLabels(painter, names.IsOpen() ? &names : nullptr);
    DrawLegend(painter, t.Height);
    if (MapState.FrameLine) {
        painter.Pen(kBlack);
        painter.MoveTo(0, 0);
        painter.LineTo(0, t.Height);
        painter.LineTo(t.Width, t.Height);
        painter.LineTo(t.Width, 0);
        painter.LineTo(0, 0);
    }
}

}  // namespace qv
