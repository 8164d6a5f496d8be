#include "territory/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "territory/map_geometry.h"
#include "territory/map_painter.h"
#include "territory/map_values.h"
#include "territory/outline_record.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr int kBoxRecordSize = 20;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Vertex {
    OutlinePoint At;
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
    painter.MoveTo(ring[0].At);
    for (size_t k = 1; k < ring.size(); ++k) {
        if (drawn(c, ring[k].Neighbour))
            painter.LineTo(ring[k].At);
        else
            painter.MoveTo(ring[k].At);
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
    std::vector<OutlinePoint> points;
    points.reserve(ring.size());
    for (const Vertex& v : ring) points.push_back(v.At);
    painter.OutlinePolygon(points);

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

// E at a vertex names the comune across the edge that ends there: that is how bases written by
// other stations have always been drawn. Rings are closed (the first vertex is repeated at the
// end), so E at a ring's first vertex, which holds the closing edge's neighbour, is never read.
void DrawOutlines(MapPainter& painter, const MapTransform& t) {
    std::vector<Vertex> ring;
    const std::span<const uint8_t> fileOf(MapOutlineFileOf.data() + 1, size_t(MapComuneCount()));
    for (int n = 1; n <= kOutlineFileCount; ++n) {
        RecordFile file;
        if (!file.TryOpen(OutlineFilePath(n), int(OutlineRecordSize(n)), RecordFile::Mode::Read)) continue;
        std::vector<uint8_t> bytes(OutlineRecordSize(n));
        const OutlineRecord outline(bytes.data(), OutlineCapacity(n));
        ForEachOutlineOf(n, fileOf, [&](int k, int64_t r) {
            // A file that ends early leaves its last comuni blank.
            if (!MapVisible[size_t(k)] || file.ReadUpTo(r, bytes.data(), 1) != 1) return;
            const MapPixel label = t.Point(outline.LabelX(), outline.LabelY());
            if (t.Inside(label) && label.X <= INT16_MAX && label.Y <= INT16_MAX) {
                MapCentroidX[size_t(k)] = int16_t(label.X);
                MapCentroidY[size_t(k)] = int16_t(label.Y);
            }
            WalkOutline(outline, [&](const OutlineEntry& e) {
                if (e.EndsRing()) {
                    DrawRing(painter, ring, k);
                    return;
                }
                const MapPixel p = t.Vertex(e.X, e.Y);
                ring.push_back({{{p.X, p.Y}, t.WithinPixel(e.X), t.WithinPixel(e.Y)}, e.E});
            });
            DrawRing(painter, ring, k);
        });
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
