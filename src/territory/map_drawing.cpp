#include "territory/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <tuple>
#include <unordered_map>
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

// The border segments of one pen. A segment two comuni share is met from both sides, in
// opposite directions, and segments that fall on one pixel repeat one another: of the same
// segment in the same pen only the last is stroked, right after the fill of its ring as
// before, so every pixel ends as it did when each was stroked. On the bitmap alone a segment is
// told by the pixels of its ends and one lying wholly off the bitmap draws nothing; a printer
// draws within the pixels and around the map, so there the ends must agree exactly and every
// segment is kept.
class BorderSegments {
  public:
    BorderSegments(bool printing, int32_t width, int32_t height, int penWidth)
        : exact_(printing), right_(width + penWidth + 1), bottom_(height + penWidth + 1),
          margin_(-penWidth - 1) {}

    void Add(const OutlinePoint& a, const OutlinePoint& b, uint32_t ring) {
        if (!exact_ && (std::max(a.At.X, b.At.X) < margin_ || std::min(a.At.X, b.At.X) > right_ ||
                        std::max(a.At.Y, b.At.Y) < margin_ || std::min(a.At.Y, b.At.Y) > bottom_))
            return;
        Key k{a.At.X, a.At.Y, b.At.X, b.At.Y, 0, 0, 0, 0};
        if (exact_) k = {a.At.X, a.At.Y, b.At.X, b.At.Y, Bits(a.WithinX), Bits(a.WithinY), Bits(b.WithinX),
                         Bits(b.WithinY)};
        k.Order();
        // Vertices closer than a pixel give runs of one segment over and over: the earlier of
        // two in a row draws nothing the later does not.
        if (!segments_.empty() && segments_.back().Ring == ring && k == last_) return;
        last_ = k;
        const auto [at, added] = ids_.try_emplace(k, uint32_t(lastRing_.size()));
        if (added)
            lastRing_.push_back(ring);
        else
            lastRing_[at->second] = ring;
        segments_.push_back({a, b, ring, at->second});
    }
    // Strokes, in one go, ring `ring`'s segments that no later ring strokes again; the rings
    // are taken in the order they were added.
    void Stroke(MapPainter& painter, uint32_t ring) {
        ends_.clear();
        for (; next_ < segments_.size() && segments_[next_].Ring == ring; ++next_) {
            const Segment& s = segments_[next_];
            if (lastRing_[s.Id] != ring) continue;
            ends_.push_back(s.From);
            ends_.push_back(s.To);
        }
        if (!ends_.empty()) painter.Lines(ends_);
    }
    // Strokes every segment once, in one go.
    void StrokeAll(MapPainter& painter) {
        ends_.clear();
        for (const Segment& s : segments_) {
            if (lastRing_[s.Id] != s.Ring) continue;
            ends_.push_back(s.From);
            ends_.push_back(s.To);
        }
        if (!ends_.empty()) painter.Lines(ends_);
    }

  private:
    static uint32_t Bits(float f) {
        uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    }
    struct Key {
        int32_t X1, Y1, X2, Y2;
        uint32_t WithinX1, WithinY1, WithinX2, WithinY2;
        void Order() {
            if (std::tie(X2, Y2, WithinX2, WithinY2) < std::tie(X1, Y1, WithinX1, WithinY1)) {
                std::swap(X1, X2);
                std::swap(Y1, Y2);
                std::swap(WithinX1, WithinX2);
                std::swap(WithinY1, WithinY2);
            }
        }
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        size_t operator()(const Key& k) const {
            uint64_t h = (uint64_t(uint32_t(k.X1)) << 32 ^ uint32_t(k.Y1)) * 0x9E3779B97F4A7C15ull;
            h = (h ^ h >> 31 ^ (uint64_t(uint32_t(k.X2)) << 32 ^ uint32_t(k.Y2))) * 0xC2B2AE3D27D4EB4Full;
            h ^= (uint64_t(k.WithinX1) << 32 ^ k.WithinY1) + (uint64_t(k.WithinX2) << 32 ^ k.WithinY2) * 31;
            return size_t(h ^ h >> 29);
        }
    };
    struct Segment {
        OutlinePoint From, To;
        uint32_t Ring, Id;
    };
    bool exact_;
    int32_t right_, bottom_, margin_;
    std::unordered_map<Key, uint32_t, Hash> ids_;
    Key last_{};
    std::vector<uint32_t> lastRing_;
    std::vector<Segment> segments_;
    size_t next_ = 0;
    std::vector<OutlinePoint> ends_;
};

// The edges of the ring whose neighbour passes the test; the edge from vertex k-1 to vertex k
// is told by the neighbour stored with vertex k. The closing edge back to vertex 0 is not
// stroked: the base's rings repeat their first vertex.
template <typename Test>
void AddEdges(BorderSegments& into, std::span<const Vertex> ring, int c, uint32_t r, Test drawn) {
    for (size_t k = 1; k < ring.size(); ++k)
        if (drawn(c, ring[k].Neighbour)) into.Add(ring[k - 1].At, ring[k].At, r);
}

// The visible rings, read first so that a border stroked again by a later ring is stroked
// only then.
struct Rings {
    struct Ring {
        int Comune;
        size_t First, Count;
    };
    std::vector<Ring> List;
    std::vector<Vertex> Vertices;
};

void DrawRings(MapPainter& painter, const Rings& rings, BorderSegments& thin, BorderSegments& variable,
               int variableWidth) {
    std::vector<OutlinePoint> points;
    for (uint32_t r = 0; r < rings.List.size(); ++r) {
        const Rings::Ring& ring = rings.List[r];
        const int c = ring.Comune;
        const uint32_t colour = MapState.ColourByClass && IsMapComuneActive(c)
                                    ? MapColours[std::min<size_t>(MapClassOf[size_t(c)], 8)]
                                    : kWhite;
        painter.Brush(colour);
        painter.Pen(colour);
        painter.PenWidth(0);
        points.clear();
        for (size_t v = ring.First; v < ring.First + ring.Count; ++v) points.push_back(rings.Vertices[v].At);
        painter.OutlinePolygon(points);

        painter.Pen(kBlack);
        painter.PenWidth(1);
        thin.Stroke(painter, r);
    }
    // The thick borders over every fill: at most a few pixels a fill covered before turn black.
    if (MapState.ShowVariableBorders) {
        painter.PenWidth(variableWidth);
        variable.StrokeAll(painter);
        painter.PenWidth(1);
    }
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
    const int variableWidth = std::clamp(MapState.VariableBorderWidth, 0, 50);
    // The canvas, not only the drawable area, shows what is stroked.
    const int32_t width = std::max(t.Width, MapState.MapWidth), height = std::max(t.Height, MapState.MapHeight);
    BorderSegments thin(painter.Printing(), width, height, 1);
    BorderSegments variable(painter.Printing(), width, height, variableWidth);
    Rings rings;
    size_t first = 0;
    auto endRing = [&](int k) {
        if (rings.Vertices.size() == first) return;
        const uint32_t r = uint32_t(rings.List.size());
        rings.List.push_back({k, first, rings.Vertices.size() - first});
        const std::span<const Vertex> ring(rings.Vertices.data() + first, rings.Vertices.size() - first);
        AddEdges(thin, ring, k, r, NeighbourDrawn);
        if (MapState.ShowVariableBorders) AddEdges(variable, ring, k, r, VariableBorderDrawn);
        first = rings.Vertices.size();
    };
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
                    endRing(k);
                    return;
                }
                const MapPixel p = t.Vertex(e.X, e.Y);
                rings.Vertices.push_back({{{p.X, p.Y}, t.WithinPixel(e.X), t.WithinPixel(e.Y)}, e.E});
            });
            endRing(k);
        });
    }
    DrawRings(painter, rings, thin, variable, variableWidth);
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
