#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "platform/assertion.h"
#include "platform/file_io.h"
#include "territory/map_painter.h"
#include "territory/map_print_settings.h"
#include "territory/map_values.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBarColour = 0x88FF00;
constexpr double kUnsetBound = -9999999;

double ComuneValue(int i) {
    return MapValues[size_t(MapValueIndex[size_t(i)])];
}

bool HasLabelPoint(int i) {
    return MapCentroidX[size_t(i)] != kNoLabelPoint;
}

// Names, values and bars go on the comuni that are active, drawn and have their label point on
// the map (a label point off the map would be drawn at the printed map's edge).
bool Labelled(int i) {
    return IsMapComuneActive(i) && MapVisible[size_t(i)] && HasLabelPoint(i);
}

MapPoint LabelPoint(int i) {
    return {MapCentroidX[size_t(i)], MapCentroidY[size_t(i)]};
}

std::string ValueText(double v) {
    if (!MapState.ValuesAsPercent) return FormatMapNumber(v, 10, MapState.ValueDecimals);
    const double percent = MapState.ValueTotal != 0 ? v / MapState.ValueTotal * 100 : v * 100;
    return FormatMapNumber(percent, 10, 1) + "%";
}

struct BarRange {
    double Lower = kUnsetBound;
    double Upper = kUnsetBound;
};

BarRange ComputeBarRange() {
    BarRange range;
    auto widen = [&](double v) {
        if (range.Lower == kUnsetBound) range.Lower = range.Upper = v;
        if (v < range.Lower) range.Lower = v;
        if (v > range.Upper) range.Upper = v;
    };
    for (int i = 1; i <= MapComuneCount(); ++i)
        if (MapState.BarsOverAll) widen(ComuneValue(i));
    for (int i = 1; i <= MapComuneCount(); ++i)
        if (MapState.BarsOverActive && IsMapComuneActive(i)) widen(ComuneValue(i));
    for (int i = 1; i <= MapComuneCount(); ++i)
        if (MapState.BarsOverVisible && IsMapComuneActive(i) && MapVisible[size_t(i)]) widen(ComuneValue(i));
    if (range.Upper == 0) range.Upper = 1;
    return range;
}

void DrawBars(MapPainter& painter) {
    BarRange range = ComputeBarRange();
    if (range.Lower > 0) range.Lower = 0;
    // Both operands are truncated first; an upper bound that truncates to 0 scales as 1.
    int64_t divisor = int64_t(std::trunc(range.Upper));
    if (divisor == 0) divisor = 1;
    std::vector<std::pair<MapPoint, int32_t>> bars;
    for (int i = 1; i <= MapComuneCount(); ++i) {
        if (!Labelled(i)) continue;
        const double span = std::clamp(std::trunc(ComuneValue(i) - range.Lower), -1e15, 1e15);
        const int64_t h = int64_t(span) * 100 / divisor;
        bars.push_back({LabelPoint(i), int32_t(std::clamp<int64_t>(h, -100000, 100000))});
    }
    painter.Brush(kBarColour);
    painter.Pen(kBlack);
    for (const auto& [p, h] : bars)
        painter.Polygon(
            {{p.X - 10, p.Y - 5}, {p.X + 10, p.Y - 5}, {p.X + 10, p.Y - 5 - h}, {p.X - 10, p.Y - 5 - h}});
    for (const auto& [p, h] : bars)
        painter.Polygon({{p.X + 10, p.Y - 5},
                         {p.X + 15, p.Y - 10},
                         {p.X + 15, p.Y - 10 - h},
                         {p.X - 5, p.Y - 10 - h},
                         {p.X - 10, p.Y - 5 - h},
                         {p.X + 10, p.Y - 5 - h}});
    painter.Brush(kWhite);
}

void DrawSigle(MapPainter& painter) {
    const std::vector<SiglaEntry> sigle = LoadSigle();
    painter.Font(kSigleFont);
    painter.Brush(kWhite);
    // Crowding is judged on the bitmap's pixels only, so that the screen, "prova.bmp" and every
    // printer show the same sigle whatever the page's scale and resolution.
    std::vector<MapPoint> written;
    for (const SiglaEntry& sigla : sigle) {
        const int m = sigla.Comune;
        if (m == 0) break;
        if (m < 1 || m > MapComuneCount() || !HasLabelPoint(m)) continue;
        if (MapState.SigleActiveOnly && !IsMapComuneActive(m)) continue;
        const MapPoint at = LabelPoint(m);
        const bool crowded = std::any_of(written.begin(), written.end(), [&](const MapPoint& w) {
            return std::abs(int64_t(w.X) - at.X) < 20 && std::abs(int64_t(w.Y) - at.Y) < 12;
        });
        if (crowded) continue;
        painter.Text(at.X, at.Y, sigla.Text);
        written.push_back(at);
    }
}

// The text of limit k: the lower bound of a class, or the upper bound one unit (0.01 with
// decimals) below the next class's limit.
std::string FormatClassLimit(int k, bool upper) {
    double v = MapClassThresholds.Limits[size_t(k - 1)];
    if (upper) v -= MapState.ValueDecimals > 0 ? 0.01 : 1;
    return FormatMapNumber(v, 10, MapState.ValueDecimals);
}

// One piece of the legend, placed against the legend's point (MapState.LegendX, LegendY): a
// class box or a text. Laid out first, so that the whole legend can be measured before it is
// drawn.
struct LegendPiece {
    enum Kind { Box, Text } kind;
    int32_t x = 0, y = 0;
    int cls = 0;  // a box's class
    MapFont font = kValuesFont;
    std::string text;
    MapPainter::Anchor anchor = MapPainter::Anchor::Left;
    bool inRow = false;  // a bound, moved down on the printer to the middle of its box
};

constexpr int32_t kBoxWidth = 25;
constexpr int32_t kBoxHeight = 15;

int32_t LegendRowStep() {
    return MapState.MapHeight > 480 ? 20 : 15;
}

// The colour of the row whose values start at limit p: the class the map gives such a value,
// so that repeated limits colour the legend as they colour the map.
int RowClass(int p) {
    return p == 0 ? 1 : ClassOfValue(MapClassThresholds.Limits[size_t(p - 1)]);
}

std::vector<LegendPiece> LayOutLegend() {
    std::vector<LegendPiece> pieces;
    if (MapState.ShowLegendTitle)
        pieces.push_back({LegendPiece::Text, 10, 0, 0, kTitleFont, MapClassThresholds.Title.substr(0, 50),
                          MapPainter::Anchor::Centre});
    if (!MapState.ShowLegend || MapState.ValueDecimals < 0) return pieces;
    int32_t r = 5;
    auto box = [&](int cls) {
        r += LegendRowStep();
        QV_ASSERT(cls >= 0 && cls <= kMapClassLimits + 1);
        pieces.push_back({LegendPiece::Box, 0, r, std::clamp(cls, 0, 8), kValuesFont, {}});
    };
    auto lower = [&](int p) {
        if (p > 0 && p < 8)
            pieces.push_back({LegendPiece::Text, -5, r, 0, kValuesFont, FormatClassLimit(p, false),
                              MapPainter::Anchor::Right, true});
    };
    const auto& limits = MapClassThresholds.Limits;
    int p = 0;
    double compared = kClassLimitUnset;
    for (int k = 1; k <= kMapClassLimits; ++k) {
        const double limit = limits[size_t(k - 1)];
        if (limit == kClassLimitUnset || limit == compared) continue;
        box(RowClass(p));
        if (p + 1 <= kMapClassLimits) compared = limits[size_t(p)];
        lower(p);
        pieces.push_back({LegendPiece::Text, 30, r, 0, kValuesFont, FormatClassLimit(k, true),
                          MapPainter::Anchor::Left, true});
        p = k;
    }
    box(RowClass(p));
    lower(p);
    r += LegendRowStep() + 5;
    pieces.push_back({LegendPiece::Text, 10, r, 0, kValuesFont,
                      FormatMapNumber(MapState.ValueTotal, 10, MapState.ValueDecimals) + " Totale",
                      MapPainter::Anchor::Centre});
    return pieces;
}

// How far to move a span [low, high) so that it lies within [0, size): not at all when it does,
// else the least; a span larger than that keeps its start at 0.
int64_t ShiftInto(int64_t low, int64_t high, int32_t size) {
    if (low < 0) return -low;
    if (high > size) return std::max<int64_t>(size - high, -low);
    return 0;
}

// The point the legend is drawn at: the legend's point when the whole legend lies inside the
// picture there, else the nearest point where it does. The stored point does not change.
MapPoint LegendOrigin(MapCanvas& screen, const std::vector<LegendPiece>& pieces) {
    const int64_t x0 = MapState.LegendX, y0 = MapState.LegendY;
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    auto cover = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r),
        bottom = std::max(bottom, b);
    };
    for (const LegendPiece& piece : pieces) {
        if (piece.kind == LegendPiece::Box) {
            // The outline is drawn on the box's last row and column too.
            cover(x0 + piece.x, y0 + piece.y, x0 + piece.x + kBoxWidth + 1, y0 + piece.y + kBoxHeight + 1);
            continue;
        }
        screen.SetFontHeight(MapFontHeights[size_t(piece.font)]);
        const int64_t l = x0 + MapPainter::TextLeft(screen, piece.x, piece.text, piece.anchor);
        cover(l, y0 + piece.y, l + screen.TextWidth(piece.text),
              y0 + piece.y + screen.TextHeight(piece.text));
    }
    if (pieces.empty()) return {MapState.LegendX, MapState.LegendY};
    return {int32_t(x0 + ShiftInto(left, right, MapState.MapWidth)),
            int32_t(y0 + ShiftInto(top, bottom, MapState.MapHeight))};
}

void PrintPageNotes(MapPainter& painter, int32_t drawableHeight) {
    if (!painter.Printing()) return;
    const MapPageNotes& notes = painter.Notes();
    MapCanvas& printer = *painter.Printer();
    printer.SetFontHeight(painter.PrinterPixels(notes.LineHeight));
    printer.SetBrushColour(kWhite);
    const int32_t below = painter.ToPrinterY(drawableHeight);
    for (size_t i = 0; i < notes.Lines.size(); ++i)
        printer.TextOut(painter.ToPrinterX(0), below + painter.PrinterPixels(notes.Top(i)), notes.Lines[i]);
}

}  // namespace

void DrawLabels(MapPainter& painter, const RecordFile* names) {
    painter.Brush(kWhite);
    const int offset = MapState.ComuneNumberOffset;
    const int count = MapComuneCount();
    if (MapState.ShowChosenName && names && MapState.ChosenComune > offset &&
        MapState.ChosenComune <= offset + count && HasLabelPoint(MapState.ChosenComune - offset)) {
        painter.Font(kNamesFont);
        const MapPoint at = LabelPoint(MapState.ChosenComune - offset);
        painter.Text(at.X, at.Y, ReadMapComuneName(*names, MapState.ChosenComune - 1));
    }
    if (MapState.ShowNames && names) {
        painter.Font(kNamesFont);
        for (int i = 1; i <= count; ++i) {
            if (!Labelled(i)) continue;
            const MapPoint at = LabelPoint(i);
            painter.Text(at.X + 1, at.Y,
                         ReadMapComuneName(*names, i - 1 + offset).substr(0, kComuneNameChars));
        }
    }
    if (MapState.ShowValues) {
        painter.Font(kValuesFont);
        for (int i = 1; i <= count; ++i) {
            if (!Labelled(i)) continue;
            const MapPoint at = LabelPoint(i);
            painter.Text(at.X - 1, at.Y, ValueText(ComuneValue(i)), MapPainter::Anchor::Right);
        }
    }
    if (MapState.BarsOverAll || MapState.BarsOverActive || MapState.BarsOverVisible) DrawBars(painter);
    if (MapState.ShowSigle) DrawSigle(painter);
}

void DrawLegend(MapPainter& painter, int32_t drawableHeight) {
    MapState.LegendLeft = MapState.LegendTop = MapState.LegendRight = MapState.LegendBottom = 0;
    const std::vector<LegendPiece> pieces = LayOutLegend();
    const MapPoint at = LegendOrigin(painter.Screen(), pieces);
    painter.Brush(MapColours[0]);
    int printerDrop = 0;
    bool first = true;
    for (const LegendPiece& piece : pieces) {
        const int32_t x = at.X + piece.x, y = at.Y + piece.y;
        if (piece.kind == LegendPiece::Text) {
            painter.Font(piece.font);
            painter.Text(x, y, piece.text, piece.anchor, piece.inRow ? printerDrop : 0);
            continue;
        }
        painter.Brush(MapColours[size_t(piece.cls)]);
        painter.Polygon({{x, y}, {x + kBoxWidth, y}, {x + kBoxWidth, y + kBoxHeight}, {x, y + kBoxHeight}});
        if (painter.Printing()) {
            const int boxHeight = painter.ToPrinterY(y + kBoxHeight) - painter.ToPrinterY(y);
            printerDrop = std::max(0, (boxHeight - painter.Printer()->TextHeight("a")) / 2);
        }
        MapState.LegendRight = x + kBoxWidth;
        MapState.LegendBottom = y + kBoxHeight;
        if (first) {
            MapState.LegendLeft = x;
            MapState.LegendTop = y;
            first = false;
        }
        painter.Brush(MapColours[0]);
    }
    PrintPageNotes(painter, drawableHeight);
}

MapPainter::MapPainter(MapCanvas& screen, const MapPrintPage* page, int32_t drawableWidth,
                       int32_t drawableHeight)
    : screen_(screen), width_(drawableWidth), height_(drawableHeight) {
    if (!page || !page->Canvas) return;
    printer_ = page->Canvas;
    dots_ = std::max(1, page->Dpi) / 96.0;
    // A map larger than the page (a scale set for another printer) is reduced to fit it with its
    // notes.
    const int32_t pageHeight = int32_t(page->Height / dots_);
    notes_ = LoadMapPageNotes(pageHeight);
    const double fit = PrintFitFactor(int32_t(page->Width / dots_), pageHeight, notes_.Height());
    scaleX_ = MapState.PrintScaleX / 100.0 * fit * dots_;
    scaleY_ = MapState.PrintScaleY / 100.0 * fit * dots_;
    marginX_ = (page->Width - MapState.MapWidth * scaleX_) / 2;
    // Centred, unless the notes would run off the page below it: then as low as they allow.
    const double below = page->Height - height_ * scaleY_ - notes_.Height() * dots_;
    marginY_ = std::max(0.0, std::min((page->Height - MapState.MapHeight * scaleY_) / 2, below));
}

int32_t MapPainter::ToPrinterX(double x) const {
    const double scaled = std::min(std::max(0.0, x) * scaleX_, width_ * scaleX_);
    return int32_t(std::nearbyint(scaled + marginX_));
}

int32_t MapPainter::ToPrinterY(double y) const {
    const double scaled = std::min(std::max(0.0, y) * scaleY_, height_ * scaleY_);
    return int32_t(std::nearbyint(scaled + marginY_));
}

int MapPainter::PrinterPixels(int length) const {
    return int(std::lround(length * dots_));
}

MapPoint MapPainter::ToPrinter(const MapPoint& p) const {
    return {ToPrinterX(p.X), ToPrinterY(p.Y)};
}

// At 96 dots an inch the page keeps the screen's pixels, as it always has.
MapPoint MapPainter::ToPrinter(const OutlinePoint& p) const {
    const bool finer = dots_ > 1;
    return {ToPrinterX(p.At.X + (finer ? p.WithinX : 0.0)), ToPrinterY(p.At.Y + (finer ? p.WithinY : 0.0))};
}

void MapPainter::Brush(uint32_t colour) {
    screen_.SetBrushColour(colour);
    if (printer_) printer_->SetBrushColour(colour);
}

void MapPainter::Pen(uint32_t screenColour, uint32_t printerColour) {
    screen_.SetPenColour(screenColour);
    if (printer_) printer_->SetPenColour(printerColour);
}

void MapPainter::PenWidth(int width) {
    screen_.SetPenWidth(width);
    if (printer_) printer_->SetPenWidth(width > 0 ? std::max(1, PrinterPixels(width)) : width);
}

void MapPainter::Font(MapFont font) {
    screen_.SetFontHeight(MapFontHeights[size_t(font)]);
    if (printer_) printer_->SetFontHeight(PrinterPixels(MapFontHeights[size_t(kPrinterFonts + font)]));
}

template <typename Point>
const std::vector<MapPoint>& MapPainter::OnPrinter(std::span<const Point> points) {
    points_.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) points_[i] = ToPrinter(points[i]);
    return points_;
}

void MapPainter::Polygon(const std::vector<MapPoint>& points) {
    screen_.Polygon(points.data(), int(points.size()));
    if (!printer_) return;
    const std::vector<MapPoint>& on = OnPrinter(std::span(points));
    printer_->Polygon(on.data(), int(on.size()));
}

void MapPainter::OutlinePolygon(std::span<const MapPoint> pixels, std::span<const OutlinePoint> exact) {
    screen_.Polygon(pixels.data(), int(pixels.size()));
    if (!printer_) return;
    const std::vector<MapPoint>& on = OnPrinter(exact);
    printer_->Polygon(on.data(), int(on.size()));
}

void MapPainter::MoveTo(int32_t x, int32_t y) {
    screen_.MoveTo(x, y);
    if (printer_) printer_->MoveTo(ToPrinterX(x), ToPrinterY(y));
}

void MapPainter::LineTo(int32_t x, int32_t y) {
    screen_.LineTo(x, y);
    if (printer_) printer_->LineTo(ToPrinterX(x), ToPrinterY(y));
}

void MapPainter::Lines(std::span<const OutlinePoint> ends) {
    std::vector<MapPoint>& on = points_;
    on.clear();
    for (const OutlinePoint& p : ends) on.push_back(p.At);
    screen_.Lines(on.data(), int(on.size() / 2));
    if (!printer_) return;
    const std::vector<MapPoint>& paper = OnPrinter(ends);
    printer_->Lines(paper.data(), int(paper.size() / 2));
}

int32_t MapPainter::TextLeft(MapCanvas& canvas, int32_t x, const std::string& text, Anchor anchor) {
    if (anchor == Anchor::Right) return x - canvas.TextWidth(text);
    if (anchor == Anchor::Centre) return x - canvas.TextWidth(text) / 2;
    return x;
}

void MapPainter::Text(int32_t x, int32_t y, const std::string& text, Anchor anchor, int printerDrop) {
    screen_.TextOut(TextLeft(screen_, x, text, anchor), y, text);
    if (printer_)
        printer_->TextOut(TextLeft(*printer_, ToPrinterX(x), text, anchor), ToPrinterY(y) + printerDrop,
                          text);
}

}  // namespace qv
