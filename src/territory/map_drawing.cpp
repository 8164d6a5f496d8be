#include "territory/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_set>
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

// Whether the edge between comune c and its neighbour e is bordered, thin and thick, gathered
// once per drawing: the walk asks it for each of some 200,000 edges of the whole map. Each
// question compares two keys, held in separate small arrays so that those the walk reads for
// every neighbour stay in the first-level cache.
class BorderRules {
  public:
    BorderRules()
        : count_(uint32_t(MapComuneCount())),
          active_(size_t(count_) + 1),
          thick_(size_t(count_) + 1),
          thin_(size_t(count_) + 1) {
        // Entry 0 is the territory's outer boundary, bordered always: no comune's keys equal its.
        active_[0] = 1;
        thick_[0] = uint32_t(1) << 16;  // above every value of the border variable
        thin_[0] = uint64_t(1) << 63;
        for (uint32_t k = 1; k <= count_; ++k) {
            const bool active = IsMapComuneActive(int(k));
            active_[k] = active;
            thick_[k] = MapBorderValues[k];
            // A thin border where the activity differs or, within one activity, the class or the
            // unit when those borders are asked for; never between two inactive comuni when
            // those are hidden, which one shared key for every inactive comune gives.
            if (!active && MapState.HideBordersInactive) continue;
            thin_[k] = (active ? 1u : 0u) | (MapState.ClassBorders ? uint64_t(MapClassOf[k]) << 1 : 0) |
                       (MapState.UnitBorders ? uint64_t(uint32_t(MapValueIndex[k])) << 17 : 0);
        }
    }
    // A neighbour outside 0..MapComuneCount() draws nothing.
    bool Thin(int c, int32_t e) const {
        return uint32_t(e) <= count_ && thin_[size_t(e)] != thin_[size_t(c)];
    }
    bool Thick(int c, int32_t e) const {
        return uint32_t(e) <= count_ && thick_[size_t(e)] != thick_[size_t(c)] &&
               (active_[size_t(c)] || active_[size_t(e)] || !MapState.HideVariableBordersInactive);
    }

  private:
    uint32_t count_;
    std::vector<uint8_t> active_;
    std::vector<uint32_t> thick_;  // the border variable's value
    std::vector<uint64_t> thin_;
};

struct SegmentCell {
    uint16_t To[4];
};
struct SegmentKey {
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
    bool operator==(const SegmentKey&) const = default;
};
struct SegmentKeyHash {
    size_t operator()(const SegmentKey& k) const {
        uint64_t h = (uint64_t(uint32_t(k.X1)) << 32 ^ uint32_t(k.Y1)) * 0x9E3779B97F4A7C15ull;
        h = (h ^ h >> 31 ^ (uint64_t(uint32_t(k.X2)) << 32 ^ uint32_t(k.Y2))) * 0xC2B2AE3D27D4EB4Full;
        h ^= (uint64_t(k.WithinX1) << 32 ^ k.WithinY1) + (uint64_t(k.WithinX2) << 32 ^ k.WithinY2) * 31;
        return size_t(h ^ h >> 29);
    }
};
struct FreeTable {
    void operator()(void* p) const { std::free(p); }
};
// The tables that tell thick segments apart outlive a drawing: the map is redrawn at every zoom
// and option, and tables the size of the bitmap, allocated afresh, would be faulted in page by
// page each time. Between drawings every entry is zero; a drawing clears what it set.
struct SegmentTables {
    size_t Pixels = 0;
    std::unique_ptr<uint8_t[], FreeTable> Steps;      // per pixel, the dot and steps starting there
    std::unique_ptr<SegmentCell[], FreeTable> Cells;  // per pixel, the longer segments starting there
    std::vector<size_t> CellsUsed;                    // the pixels whose cell holds a segment
    std::unordered_set<SegmentKey, SegmentKeyHash> Others;
    std::vector<OutlinePoint> Ends;  // the segments kept, end after end, and room for more

    // Zeroed memory from the system: only the pages of pixels the borders cross are touched.
    template <typename T>
    static T* Zeroed(std::unique_ptr<T[], FreeTable>& table, size_t pixels) {
        if (!table) {
            table.reset(static_cast<T*>(std::calloc(pixels, sizeof(T))));
            if (!table) throw std::bad_alloc();
        }
        return table.get();
    }
    void Fit(size_t pixels) {
        if (pixels == Pixels) return;
        Steps.reset();
        Cells.reset();
        Pixels = pixels;
    }
};

SegmentTables& ThickSegmentTables() {
    thread_local SegmentTables tables;
    return tables;
}

// The thick borders of the variable, stroked over every fill once all outlines are filled,
// each segment once: a segment two comuni share is met from both sides, in opposite directions,
// and segments that fall on one pixel repeat one another. On the bitmap alone a segment is told
// by the pixels of its ends, and one lying wholly off the bitmap draws nothing; a printer draws
// within the pixels and around the map, so there the ends must agree exactly and every segment
// is kept.
class ThickBorders {
  public:
    ThickBorders(bool printing, int32_t width, int32_t height, int penWidth)
        : exact_(printing),
          right_(width + penWidth + 1),
          bottom_(height + penWidth + 1),
          margin_(-penWidth - 1),
          gridWidth_(width + 1),
          gridHeight_(height + 1),
          tables_(ThickSegmentTables()) {
        tables_.Fit(size_t(gridWidth_) * size_t(gridHeight_));
    }
    ThickBorders(const ThickBorders&) = delete;
    ThickBorders& operator=(const ThickBorders&) = delete;
    // Leaves the tables zero for the next drawing, also when a failure stopped this one midway:
    // the byte of every pixel at once, the cells used one by one.
    ~ThickBorders() {
        if (tables_.Steps) std::memset(tables_.Steps.get(), 0, tables_.Pixels);
        for (const size_t at : tables_.CellsUsed) tables_.Cells[at] = {};
        tables_.CellsUsed.clear();
        tables_.Others.clear();
    }

    void Add(const OutlinePoint& a, const OutlinePoint& b) {
        std::vector<OutlinePoint>& ends = tables_.Ends;
        if (ends.size() < kept_ + 2) ends.resize(std::max<size_t>(4096, 2 * ends.size()));
        // Written in any case and counted only when new: whether a segment was met before follows
        // no pattern the processor could foresee, and a branch on it would be mispredicted half
        // the time.
        ends[kept_] = a;
        ends[kept_ + 1] = b;
        kept_ += 2 * size_t(exact_ ? IsNewExact(a, b) : IsNewOnBitmap(a.At, b.At));
    }
    void Stroke(MapPainter& painter) const {
        // In batches: one buffer the size of every segment would be allocated at each drawing.
        constexpr size_t kBatch = 2 * 1024;
        const std::span<const OutlinePoint> ends(tables_.Ends.data(), kept_);
        for (size_t i = 0; i < ends.size(); i += kBatch)
            painter.Lines(ends.subspan(i, std::min(kBatch, ends.size() - i)));
    }

  private:
    static uint32_t Bits(float f) {
        uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    }
    // A point as one number that orders points by x, then y.
    static uint64_t Packed(MapPoint p) {
        return uint64_t(uint32_t(p.X) ^ 0x80000000u) << 32 | (uint32_t(p.Y) ^ 0x80000000u);
    }
    static MapPoint Unpacked(uint64_t v) {
        return {int32_t(uint32_t(v >> 32) ^ 0x80000000u), int32_t(uint32_t(v) ^ 0x80000000u)};
    }

    // On the bitmap a segment is told by the pixels of its ends, and one lying wholly off it
    // draws nothing. A short segment whose first end (the ends ordered) lies on the bitmap is kept
    // at that pixel, told by where its other end lies from there: a dot or a step to a
    // neighbouring pixel (most of the segments of a map drawn small) as one bit of a byte, a
    // longer one among the few places of a cell. Consecutive edges of an outline start at pixels
    // close together, so the lookups stay in the cache. Any other segment is looked up in a set.
    bool IsNewOnBitmap(MapPoint a, MapPoint b) {
        if (std::max(a.X, b.X) < margin_ || std::min(a.X, b.X) > right_ || std::max(a.Y, b.Y) < margin_ ||
            std::min(a.Y, b.Y) > bottom_)
            return false;
        const uint64_t pa = Packed(a), pb = Packed(b);
        const MapPoint first = Unpacked(std::min(pa, pb)), second = Unpacked(std::max(pa, pb));
        const int64_t dx = int64_t(second.X) - first.X, dy = int64_t(second.Y) - first.Y;  // dx >= 0
        if (first.X >= 0 && first.X < gridWidth_ && first.Y >= 0 && first.Y < gridHeight_ && dx <= INT8_MAX &&
            dy >= INT8_MIN && dy <= INT8_MAX) {
            const size_t at = size_t(first.Y) * size_t(gridWidth_) + size_t(first.X);
            if (dx <= 1 && dy >= -1 && dy <= 1) {
                // dx 0 leaves dy 0 or 1 (the ends are ordered): bits 0 and 1; dx 1, dy -1..1: bits 2 to 4.
                const uint8_t bit = uint8_t(1u << (dy + 3 * dx));
                uint8_t& steps = SegmentTables::Zeroed(tables_.Steps, tables_.Pixels)[at];
                const uint8_t before = steps;
                steps = before | bit;
                return (before & bit) == 0;
            }
            SegmentCell& cell = SegmentTables::Zeroed(tables_.Cells, tables_.Pixels)[at];
            const uint16_t place = uint16_t((uint32_t(dx) << 8 | uint8_t(dy)) + 1);  // 0: a free place
            for (uint16_t& to : cell.To) {
                if (to == place) return false;
                if (to == 0) {
                    if (&to == cell.To) tables_.CellsUsed.push_back(at);
                    to = place;
                    return true;
                }
            }
        }
        return tables_.Others.insert({first.X, first.Y, second.X, second.Y, 0, 0, 0, 0}).second;
    }
    // A printer draws within the pixels and around the map: the ends must agree exactly, and
    // every segment is kept.
    bool IsNewExact(const OutlinePoint& a, const OutlinePoint& b) {
        SegmentKey k{a.At.X,          a.At.Y,          b.At.X,          b.At.Y,
                     Bits(a.WithinX), Bits(a.WithinY), Bits(b.WithinX), Bits(b.WithinY)};
        k.Order();
        return tables_.Others.insert(k).second;
    }

    bool exact_;
    int32_t right_, bottom_, margin_;
    int32_t gridWidth_, gridHeight_;
    SegmentTables& tables_;
    size_t kept_ = 0;  // ends of the segments kept, at the start of tables_.Ends
};

// What the walk of the outlines draws, worked out before anything is drawn: the walk then
// keeps the base's records, the border tables and the tables of thick segments in the cache,
// and the painter after it its own. For each ring in the walk's order its fill colour, its
// vertices and its thin borders; kept between drawings, like the segment tables, so that the
// buffers are not allocated and faulted in anew at every redraw. The vertices' pixels go to the
// screen as they are; where within its pixel each lies is kept only for a printer.
struct OutlinePlan {
    struct Ring {
        uint32_t Colour;
        size_t PointsEnd;  // its vertices end there in Pixels, its thin borders in Lines
        size_t LinesEnd;
    };
    std::vector<MapPoint> Pixels;
    std::vector<OutlinePoint> Exact;  // while printing, the same vertices within their pixels
    std::vector<OutlinePoint> Lines;  // end after end
    std::vector<Ring> Rings;
    std::vector<int32_t> Neighbours;  // of the ring being walked: with vertex k, the comune across
                                      // the edge from vertex k-1 to it
    size_t RingStart = 0;

    OutlinePoint Point(size_t i) const { return Exact.empty() ? OutlinePoint{Pixels[i]} : Exact[i]; }
    void Clear() {
        Pixels.clear();
        Exact.clear();
        Lines.clear();
        Rings.clear();
        Neighbours.clear();
        RingStart = 0;
    }
};

OutlinePlan& TheOutlinePlan() {
    thread_local OutlinePlan plan;
    return plan;
}

// The ring just walked, filled, then its thin borders stroked at once, as each comune has always
// been drawn; its thick borders are kept for the end. The edge from vertex k-1 to vertex k is
// told by the neighbour stored with vertex k; the closing edge back to vertex 0 is not stroked,
// the base's rings repeat their first vertex. An edge that repeats the one before it draws
// nothing more, and one stroked thick at the end needs no thin stroke beneath.
void PlanRing(OutlinePlan& plan, int c, const BorderRules& rules, ThickBorders* thick, int thickWidth) {
    const size_t start = plan.RingStart, end = plan.Pixels.size();
    if (start == end) return;
    const uint32_t colour = MapState.ColourByClass && IsMapComuneActive(c)
                                ? MapColours[std::min<size_t>(MapClassOf[size_t(c)], 8)]
                                : kWhite;
    // Off the printer every point lies at its pixel's corner.
    auto same = [](const OutlinePoint& p, const OutlinePoint& q) {
        return p.At.X == q.At.X && p.At.Y == q.At.Y && p.WithinX == q.WithinX && p.WithinY == q.WithinY;
    };
    std::vector<OutlinePoint>& lines = plan.Lines;
    const size_t linesStart = lines.size();
    for (size_t k = start + 1; k < end; ++k) {
        const int32_t e = plan.Neighbours[k - start];
        const bool thickDrawn = thick && rules.Thick(c, e);
        const OutlinePoint from = plan.Point(k - 1), to = plan.Point(k);
        if (thickDrawn) thick->Add(from, to);
        if ((thickDrawn && thickWidth >= 1) || !rules.Thin(c, e)) continue;
        const size_t n = lines.size();
        if (n > linesStart && same(lines[n - 2], from) && same(lines[n - 1], to)) continue;
        lines.push_back(from);
        lines.push_back(to);
    }
    plan.Rings.push_back({colour, end, lines.size()});
    plan.RingStart = end;
    plan.Neighbours.clear();
}

void DrawPlannedRings(MapPainter& painter, const OutlinePlan& plan) {
    size_t points = 0, lines = 0;
    for (const OutlinePlan::Ring& ring : plan.Rings) {
        painter.Brush(ring.Colour);
        painter.Pen(ring.Colour);
        painter.PenWidth(0);
        const size_t n = ring.PointsEnd - points;
        painter.OutlinePolygon(
            std::span(plan.Pixels).subspan(points, n),
            plan.Exact.empty() ? std::span<const OutlinePoint>() : std::span(plan.Exact).subspan(points, n));
        if (ring.LinesEnd > lines) {
            painter.Pen(kBlack);
            painter.PenWidth(1);
            painter.Lines(std::span(plan.Lines).subspan(lines, ring.LinesEnd - lines));
        }
        points = ring.PointsEnd;
        lines = ring.LinesEnd;
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
    const int thickWidth = std::clamp(MapState.VariableBorderWidth, 0, 50);
    const BorderRules rules;
    // The canvas, not only the drawable area, shows what is stroked.
    std::optional<ThickBorders> thick;
    if (MapState.ShowVariableBorders)
        thick.emplace(painter.Printing(), std::max(t.Width, MapState.MapWidth),
                      std::max(t.Height, MapState.MapHeight), thickWidth);
    ThickBorders* thickOrNone = thick ? &*thick : nullptr;
    OutlinePlan& plan = TheOutlinePlan();
    plan.Clear();
    const bool printing = painter.Printing();
    const std::span<const uint8_t> fileOf(MapOutlineFileOf.data() + 1, size_t(MapComuneCount()));
    for (int n = 1; n <= kOutlineFileCount; ++n) {
        RecordFile file;
        if (!file.OpenIfExists(OutlineFilePath(n), int(OutlineRecordSize(n)), RecordFile::Mode::Read))
            continue;
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
                    PlanRing(plan, k, rules, thickOrNone, thickWidth);
                    return;
                }
                const MapPixel p = t.Vertex(e.X, e.Y);
                // Where within its pixel a vertex lies only a printer draws.
                plan.Pixels.push_back({p.X, p.Y});
                if (printing) plan.Exact.push_back({{p.X, p.Y}, t.WithinPixel(e.X), t.WithinPixel(e.Y)});
                plan.Neighbours.push_back(e.E);
            });
            PlanRing(plan, k, rules, thickOrNone, thickWidth);
        });
    }
    DrawPlannedRings(painter, plan);
    // The thick borders over every fill: a few pixels a later fill covered before stay black.
    if (thick) {
        painter.Pen(kBlack);
        painter.PenWidth(thickWidth);
        thick->Stroke(painter);
        painter.PenWidth(1);
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
