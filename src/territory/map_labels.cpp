#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/text_file.h"
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
constexpr int kNameChars = 37;

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
    std::vector<MapPoint> written;  // in printer pixels while printing
    for (const SiglaEntry& sigla : sigle) {
        const int m = sigla.Comune;
        if (m == 0) break;
        if (m < 1 || m > MapComuneCount() || !HasLabelPoint(m)) continue;
        if (MapState.SigleActiveOnly && !IsMapComuneActive(m)) continue;
        const MapPoint at = LabelPoint(m);
        const MapPoint compared =
            painter.Printing() ? MapPoint{painter.ToPrinterX(at.X), painter.ToPrinterY(at.Y)} : at;
        const bool crowded = std::any_of(written.begin(), written.end(), [&](const MapPoint& w) {
            return std::abs(int64_t(w.X) - compared.X) < 20 && std::abs(int64_t(w.Y) - compared.Y) < 12;
        });
        if (crowded) continue;
        painter.Text(at.X, at.Y, sigla.Text);
        written.push_back(compared);
    }
}

// The text of limit k: the lower bound of a class, or the upper bound one unit (0.01 with
// decimals) below the next class's limit.
std::string FormatClassLimit(int k, bool upper) {
    double v = MapClassThresholds.Limits[size_t(k - 1)];
    if (upper) v -= MapState.ValueDecimals > 0 ? 0.01 : 1;
    return FormatMapNumber(v, 10, MapState.ValueDecimals);
}

struct LegendRows {
    MapPainter& painter;
    int32_t r = 5;
    int printerDrop = 0;
    bool first = true;

    int32_t Step() const { return MapState.MapHeight > 480 ? 20 : 15; }

    void Box(int cls) {
        r += Step();
        const int32_t x = MapState.LegendX, y = MapState.LegendY + r;
        painter.Brush(MapColours[size_t(std::clamp(cls, 0, 8))]);
        painter.Polygon({{x, y}, {x + 25, y}, {x + 25, y + 15}, {x, y + 15}});
        if (painter.Printing()) {
            const int boxHeight = painter.ToPrinterY(y + 15) - painter.ToPrinterY(y);
            printerDrop = std::max(0, (boxHeight - painter.Printer()->TextHeight("a")) / 2);
        }
        MapState.LegendRight = x + 25;
        MapState.LegendBottom = y + 15;
        if (first) {
            MapState.LegendLeft = x;
            MapState.LegendTop = y;
            first = false;
        }
        painter.Brush(MapColours[0]);
    }
    void Lower(int p) {
        if (p > 0 && p < 8)
            painter.Text(MapState.LegendX - 5, MapState.LegendY + r, FormatClassLimit(p, false),
                         MapPainter::Anchor::Right, printerDrop);
    }
    void Upper(int k) {
        painter.Text(MapState.LegendX + 30, MapState.LegendY + r, FormatClassLimit(k, true),
                     MapPainter::Anchor::Left, printerDrop);
    }
};

// The colour of the row whose values start at limit p: the class the map gives such a value,
// so that repeated limits colour the legend as they colour the map.
int RowClass(int p) {
    return p == 0 ? 1 : ClassOfValue(MapClassThresholds.Limits[size_t(p - 1)]);
}

void PrintComment(MapPainter& painter, int32_t drawableHeight) {
    if (!painter.Printing()) return;
    const auto lines = TextReader::ReadLines(DataFilePath(data_file::kComment), 255);
    if (!lines) return;
    MapCanvas& printer = *painter.Printer();
    const int height = MapFontHeights[kPrinterFonts + kTitleFont];
    printer.SetFontHeight(height);
    printer.SetBrushColour(kWhite);
    int32_t y = painter.ToPrinterY(drawableHeight) + 3;
    for (const std::string& line : *lines) {
        printer.TextOut(painter.ToPrinterX(0), y, line);
        y += height + 2;
    }
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
            painter.Text(at.X + 1, at.Y, ReadMapComuneName(*names, i - 1 + offset).substr(0, kNameChars));
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
    painter.Brush(MapColours[0]);
    if (MapState.ShowLegendTitle) {
        painter.Font(kTitleFont);
        painter.Text(MapState.LegendX + 10, MapState.LegendY, MapClassThresholds.Title.substr(0, 50),
                     MapPainter::Anchor::Centre);
    }
    if (MapState.ShowLegend && MapState.ValueDecimals >= 0) {
        painter.Font(kValuesFont);
        LegendRows rows{painter};
        const auto& limits = MapClassThresholds.Limits;
        int p = 0;
        double compared = kClassLimitUnset;
        for (int k = 1; k <= kMapClassLimits; ++k) {
            const double limit = limits[size_t(k - 1)];
            if (limit == kClassLimitUnset || limit == compared) continue;
            rows.Box(RowClass(p));
            if (p + 1 <= kMapClassLimits) compared = limits[size_t(p)];
            rows.Lower(p);
            rows.Upper(k);
            p = k;
        }
        rows.Box(RowClass(p));
        rows.Lower(p);

        rows.r += rows.Step() + 5;
        painter.Text(MapState.LegendX + 10, MapState.LegendY + rows.r,
                     FormatMapNumber(MapState.ValueTotal, 10, MapState.ValueDecimals) + " Totale",
                     MapPainter::Anchor::Centre);
    }
    PrintComment(painter, drawableHeight);
}

MapPainter::MapPainter(MapCanvas& screen, const MapPrintPage* page, int32_t drawableWidth,
                       int32_t drawableHeight)
    : screen_(screen), width_(drawableWidth), height_(drawableHeight) {
    if (!page || !page->Canvas) return;
    printer_ = page->Canvas;
    // A map larger than the page (a scale set for another printer) is reduced to fit it.
    const double fit = PrintFitFactor(page->Width, page->Height);
    scaleX_ = MapState.PrintScaleX / 100.0 * fit;
    scaleY_ = MapState.PrintScaleY / 100.0 * fit;
    marginX_ = (page->Width - MapState.MapWidth * scaleX_) / 2;
    marginY_ = (page->Height - MapState.MapHeight * scaleY_) / 2;
}

int32_t MapPainter::ToPrinterX(int32_t x) const {
    const double scaled = std::min(std::max(0, x) * scaleX_, width_ * scaleX_);
    return int32_t(std::nearbyint(scaled + marginX_));
}

int32_t MapPainter::ToPrinterY(int32_t y) const {
    const double scaled = std::min(std::max(0, y) * scaleY_, height_ * scaleY_);
    return int32_t(std::nearbyint(scaled + marginY_));
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
    if (printer_) printer_->SetPenWidth(width);
}

void MapPainter::Font(MapFont font) {
    screen_.SetFontHeight(MapFontHeights[size_t(font)]);
    if (printer_) printer_->SetFontHeight(MapFontHeights[size_t(kPrinterFonts + font)]);
}

void MapPainter::Polygon(const std::vector<MapPoint>& points) {
    screen_.Polygon(points.data(), int(points.size()));
    if (!printer_) return;
    std::vector<MapPoint> scaled;
    scaled.reserve(points.size());
    for (const MapPoint& p : points) scaled.push_back({ToPrinterX(p.X), ToPrinterY(p.Y)});
    printer_->Polygon(scaled.data(), int(scaled.size()));
}

void MapPainter::MoveTo(int32_t x, int32_t y) {
    screen_.MoveTo(x, y);
    if (printer_) printer_->MoveTo(ToPrinterX(x), ToPrinterY(y));
}

void MapPainter::LineTo(int32_t x, int32_t y) {
    screen_.LineTo(x, y);
    if (printer_) printer_->LineTo(ToPrinterX(x), ToPrinterY(y));
}

void MapPainter::Text(int32_t x, int32_t y, const std::string& text, Anchor anchor, int printerDrop) {
    auto left = [&](MapCanvas& canvas, int32_t at) {
        if (anchor == Anchor::Right) return at - canvas.TextWidth(text);
        if (anchor == Anchor::Centre) return at - canvas.TextWidth(text) / 2;
        return at;
    };
    screen_.TextOut(left(screen_, x), y, text);
    if (printer_) printer_->TextOut(left(*printer_, ToPrinterX(x)), ToPrinterY(y) + printerDrop, text);
}

}  // namespace qv
