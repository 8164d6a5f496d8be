#include "territory/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
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
// once per drawing: the walk asks it for each of some 200,000 edges of the whole map, and one
// entry per comune answers both questions with two comparisons.
class BorderRules {
  public:
    BorderRules() : count_(uint32_t(MapComuneCount())), entries_(size_t(count_) + 1) {
        // Entry 0 is the territory's outer boundary, bordered always: no comune's keys equal its.
        entries_[0] = {kOutside, kOutside, true};
        for (uint32_t k = 1; k <= count_; ++k) {
            const bool active = IsMapComuneActive(int(k));
            Entry& entry = entries_[k];
            entry.Active = active;
            entry.Thick = MapBorderValues[k];
            // A thin border where the activity differs or, within one activity, the class or the
            // unit when those borders are asked for; never between two inactive comuni when
            // those are hidden, which one shared key for every inactive comune gives.
            if (!active && MapState.HideBordersInactive) continue;
            entry.Thin = (active ? 1u : 0u) | (MapState.ClassBorders ? uint64_t(MapClassOf[k]) << 1 : 0) |
                         (MapState.UnitBorders ? uint64_t(uint32_t(MapValueIndex[k])) << 17 : 0);
        }
    }
    // A neighbour outside 0..MapComuneCount() draws nothing.
    bool Thin(int c, int32_t e) const {
        return uint32_t(e) <= count_ && entries_[size_t(e)].Thin != entries_[size_t(c)].Thin;
    }
    bool Thick(int c, int32_t e) const {
        if (uint32_t(e) > count_) return false;
        const Entry& a = entries_[size_t(c)];
        const Entry& b = entries_[size_t(e)];
        return a.Thick != b.Thick && (a.Active || b.Active || !MapState.HideVariableBordersInactive);
    }

  private:
    static constexpr uint64_t kOutside = uint64_t(1) << 63;
    struct Entry {
        uint64_t Thin = 0;
        uint64_t Thick = 0;
        bool Active = false;
    };
    uint32_t count_;
    std::vector<Entry> entries_;
};

// The tables that tell thick segments apart outlive a drawing: the map is redrawn at every zoom
// and option, and tables the size of the bitmap, allocated afresh, would be faulted in page by
// page each time. Between drawings every entry is zero; a drawing clears what it set.
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
struct SegmentTables {
    size_t Pixels = 0;
    std::unique_ptr<uint8_t[], FreeTable> Steps;      // per pixel, the dot and steps starting there
    std::unique_ptr<SegmentCell[], FreeTable> Cells;  // per pixel, the longer segments starting there
    std::unordered_set<SegmentKey, SegmentKeyHash> Others;
    std::vector<OutlinePoint> Ends;  // the segments kept, end after end

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
          tables_(ThickSegmentTables()),
          unwinding_(std::uncaught_exceptions()) {
        tables_.Fit(size_t(gridWidth_) * size_t(gridHeight_));
        tables_.Ends.clear();
    }
    ThickBorders(const ThickBorders&) = delete;
    ThickBorders& operator=(const ThickBorders&) = delete;
    // Leaves the tables zero for the next drawing: the pixels of the segments kept, or, when a
    // failure stopped the drawing midway, all of them.
    ~ThickBorders() {
        if (std::uncaught_exceptions() != unwinding_) {
            tables_.Fit(0);
        } else {
            for (size_t i = 0; i + 1 < tables_.Ends.size(); i += 2) {
                SegmentKey k = KeyOf(tables_.Ends[i], tables_.Ends[i + 1]);
                k.Order();
                if (const int64_t at = PixelOf(k); at >= 0) {
                    if (tables_.Steps) tables_.Steps[size_t(at)] = 0;
                    if (tables_.Cells) tables_.Cells[size_t(at)] = {};
                }
            }
        }
        tables_.Others.clear();
        tables_.Ends.clear();
    }

    void Add(const OutlinePoint& a, const OutlinePoint& b) {
        if (!exact_ && (std::max(a.At.X, b.At.X) < margin_ || std::min(a.At.X, b.At.X) > right_ ||
                        std::max(a.At.Y, b.At.Y) < margin_ || std::min(a.At.Y, b.At.Y) > bottom_))
            return;
        SegmentKey k = KeyOf(a, b);
        k.Order();
        if (!IsNew(k)) return;
        tables_.Ends.push_back(a);
        tables_.Ends.push_back(b);
    }
    void Stroke(MapPainter& painter) const {
        // In batches: one buffer the size of every segment would be allocated at each drawing.
        constexpr size_t kBatch = 2 * 1024;
        const std::span<const OutlinePoint> ends(tables_.Ends);
        for (size_t i = 0; i < ends.size(); i += kBatch)
            painter.Lines(ends.subspan(i, std::min(kBatch, ends.size() - i)));
    }

  private:
    static uint32_t Bits(float f) {
        uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    }
    SegmentKey KeyOf(const OutlinePoint& a, const OutlinePoint& b) const {
        if (!exact_) return {a.At.X, a.At.Y, b.At.X, b.At.Y, 0, 0, 0, 0};
        return {a.At.X,          a.At.Y,          b.At.X,          b.At.Y,
                Bits(a.WithinX), Bits(a.WithinY), Bits(b.WithinX), Bits(b.WithinY)};
    }
    // The pixel a segment is kept at in the tables, or -1 when it is looked up in the set.
    int64_t PixelOf(const SegmentKey& k) const {
        const int32_t dx = k.X2 - k.X1, dy = k.Y2 - k.Y1;  // dx >= 0: the ends are ordered
        if (exact_ || k.X1 < 0 || k.X1 >= gridWidth_ || k.Y1 < 0 || k.Y1 >= gridHeight_ || dx > INT8_MAX ||
            dy < INT8_MIN || dy > INT8_MAX)
            return -1;
        return int64_t(k.Y1) * gridWidth_ + k.X1;
    }

    // A short segment of the bitmap whose first end lies on it is kept at that pixel, told by
    // where its other end lies from there: a dot or a step to a neighbouring pixel (most of the
    // segments of a map drawn small) as one bit of a byte, a longer one among the few places of
    // a cell. Consecutive edges of an outline start at pixels close together, so the lookups
    // stay in the cache. Any other segment, and one past the places a cell holds, is looked up
    // in a set.
    bool IsNew(const SegmentKey& k) {
        if (k == last_) return false;
        last_ = k;
        const int64_t pixel = PixelOf(k);
        if (pixel < 0) return tables_.Others.insert(k).second;
        const size_t at = size_t(pixel);
        const int32_t dx = k.X2 - k.X1, dy = k.Y2 - k.Y1;
        if (dx <= 1 && dy >= -1 && dy <= 1) {
            uint8_t* steps = SegmentTables::Zeroed(tables_.Steps, tables_.Pixels);
            // dx 0 leaves dy 0 or 1 (the ends are ordered): bits 0 and 1; dx 1, dy -1..1: bits 2 to 4.
            const uint8_t bit = uint8_t(1u << (dx == 0 ? dy : 3 + dy));
            if (steps[at] & bit) return false;
            steps[at] |= bit;
            return true;
        }
        SegmentCell& cell = SegmentTables::Zeroed(tables_.Cells, tables_.Pixels)[at];
        const uint16_t to = uint16_t((uint32_t(dx) << 8 | uint8_t(dy)) + 1);  // 0: a free place
        for (uint16_t& place : cell.To) {
            if (place == to) return false;
            if (place == 0) {
                place = to;
                return true;
            }
        }
        return tables_.Others.insert(k).second;
    }

    bool exact_;
    int32_t right_, bottom_, margin_;
    int32_t gridWidth_, gridHeight_;
    SegmentTables& tables_;
    int unwinding_;
    SegmentKey last_{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 0, 0, 0, 0};
};

// The ring of one comune as the walk collects it: its vertices, and with vertex k the comune
// across the edge from vertex k-1 to it.
struct Ring {
    std::vector<OutlinePoint> Points;
    std::vector<int32_t> Neighbours;
    void Clear() {
        Points.clear();
        Neighbours.clear();
    }
};

// The ring filled, then its thin borders stroked at once, as each comune has always been
// drawn; its thick borders are kept for the end. The edge from vertex k-1 to vertex k is told
// by the neighbour stored with vertex k; the closing edge back to vertex 0 is not stroked, the
// base's rings repeat their first vertex. An edge that repeats the one before it draws nothing
// more, and one stroked thick at the end needs no thin stroke beneath.
void DrawRing(MapPainter& painter, Ring& ring, int c, const BorderRules& rules, ThickBorders* thick,
              int thickWidth, std::vector<OutlinePoint>& scratch) {
    const std::vector<OutlinePoint>& points = ring.Points;
    if (points.empty()) return;
    const uint32_t colour = MapState.ColourByClass && IsMapComuneActive(c)
                                ? MapColours[std::min<size_t>(MapClassOf[size_t(c)], 8)]
                                : kWhite;
    painter.Brush(colour);
    painter.Pen(colour);
    painter.PenWidth(0);
    painter.OutlinePolygon(points);

    const bool exact = painter.Printing();
    auto same = [exact](const OutlinePoint& p, const OutlinePoint& q) {
        return p.At.X == q.At.X && p.At.Y == q.At.Y &&
               (!exact || (p.WithinX == q.WithinX && p.WithinY == q.WithinY));
    };
    scratch.clear();
    for (size_t k = 1; k < points.size(); ++k) {
        const int32_t e = ring.Neighbours[k];
        const bool thickDrawn = thick && rules.Thick(c, e);
        if (thickDrawn) thick->Add(points[k - 1], points[k]);
        if ((thickDrawn && thickWidth >= 1) || !rules.Thin(c, e)) continue;
        const size_t n = scratch.size();
        if (n && same(scratch[n - 2], points[k - 1]) && same(scratch[n - 1], points[k])) continue;
        scratch.push_back(points[k - 1]);
        scratch.push_back(points[k]);
    }
    if (!scratch.empty()) {
        painter.Pen(kBlack);
        painter.PenWidth(1);
        painter.Lines(scratch);
    }
    ring.Clear();
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
    Ring ring;
    std::vector<OutlinePoint> scratch;
    const bool printing = painter.Printing();
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
                    DrawRing(painter, ring, k, rules, thickOrNone, thickWidth, scratch);
                    return;
                }
                const MapPixel p = t.Vertex(e.X, e.Y);
                // Where within its pixel a vertex lies only a printer draws.
                ring.Points.push_back(
                    {{p.X, p.Y}, printing ? t.WithinPixel(e.X) : 0, printing ? t.WithinPixel(e.Y) : 0});
                ring.Neighbours.push_back(e.E);
            });
            DrawRing(painter, ring, k, rules, thickOrNone, thickWidth, scratch);
        });
    }
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
