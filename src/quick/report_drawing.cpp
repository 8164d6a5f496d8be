#include "quick/report_drawing.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

constexpr int kPrinterTitleFont = 19, kPrinterTextFont = 12, kPrinterMargin = 14;

int Nearest(double v) {
    return int(std::nearbyint(v));  // the default rounding: a half goes to the even integer
}

// Every operation on the bitmap and, while printing, on the printer page.
class Mirror {
  public:
    Mirror(ReportCanvas& bitmap, ReportCanvas* printer, const ReportPrintMapping* mapping)
        : bitmap_(bitmap), printer_(mapping ? printer : nullptr), m_(mapping) {}

    void Font(int height, bool bold) {
        bitmap_.SetFont(height, bold);
        if (printer_)
            printer_->SetFont(height == kTitleFontHeight ? m_->TitleFontHeight : m_->TextFontHeight, bold);
    }
    void Pen(ReportPen style) {
        bitmap_.SetPen(style);
        if (printer_) printer_->SetPen(style);
    }
    void MoveTo(int x, int y) {
        bitmap_.MoveTo(x, y);
        if (printer_) printer_->MoveTo(X(x), Y(y));
    }
    void LineTo(int x, int y) {
        bitmap_.LineTo(x, y);
        if (printer_) printer_->LineTo(X(x), Y(y));
    }
    void Line(int x1, int y1, int x2, int y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
    }
    void Polygon(const std::vector<ReportPoint>& points) {
        bitmap_.Polygon(points);
        if (!printer_) return;
        std::vector<ReportPoint> mapped;
        for (const ReportPoint& p : points) mapped.push_back({X(p.x), Y(p.y)});
        printer_->Polygon(mapped);
    }
    void Text(int x, int y, const std::string& s) {
        bitmap_.TextOut(x, y, s);
        if (printer_) printer_->TextOut(X(x), Y(y), s);
    }
    // Centred on x, or ending at x: each canvas measures the text in its own font.
    void Centred(int x, int y, const std::string& s) {
        bitmap_.TextOut(x - bitmap_.TextWidth(s) / 2, y, s);
        if (printer_) printer_->TextOut(X(x) - printer_->TextWidth(s) / 2, Y(y), s);
    }
    void RightAligned(int x, int y, const std::string& s) {
        bitmap_.TextOut(x - bitmap_.TextWidth(s), y, s);
        if (printer_) printer_->TextOut(X(x) - printer_->TextWidth(s), Y(y), s);
    }
    int Width(const std::string& s) { return bitmap_.TextWidth(s); }

  private:
    int X(int x) const { return ReportScaleX(*m_, x); }
    int Y(int y) const { return ReportScaleY(*m_, y); }
    ReportCanvas& bitmap_;
    ReportCanvas* printer_;
    const ReportPrintMapping* m_;
};

}  // namespace

ReportPrintMapping MakeReportPrintMapping(int enlargement, const ReportTable& table) {
    ReportPrintMapping m;
    m.PrintScale = enlargement / 100.0;
    m.TitleFontHeight = Nearest(kPrinterTitleFont * m.PrintScale);
    m.TextFontHeight = Nearest(kPrinterTextFont * m.PrintScale);
    m.PrintOffsetX = Nearest(kPrinterMargin * m.PrintScale);
    m.PrintOffsetY = Nearest(kPrinterMargin * m.PrintScale);
    m.PageWidth = table.PageWidth;
    m.PageHeight = table.PageHeight;
    return m;
}

int ReportScaleX(const ReportPrintMapping& m, int x) {
    return Nearest(std::min((std::max(x, 0) + m.PrintOffsetX) * m.PrintScale,
                            (m.PageWidth + m.PrintOffsetX + 5) * m.PrintScale));
}

int ReportScaleY(const ReportPrintMapping& m, int y) {
    return Nearest(std::min((std::max(y, 0) + m.PrintOffsetY) * m.PrintScale,
                            (m.PageHeight + m.PrintOffsetY + 5) * m.PrintScale));
}

void DrawReportTable(const ReportTable& t, ReportCanvas& bitmap, ReportCanvas* printer,
                     const ReportPrintMapping* mapping) {
    Mirror d(bitmap, printer, mapping);
    const int R = t.RowCount, C = t.ColumnCount, T = t.TotalColumn ? 1 : 0;
    const int top = t.TableTop(), right = t.TableRight(), bottom = t.TableBottom();
    const int headingTop = t.HeadingTop(), groupTop = t.GroupTop();
    const int firstColumn = kLabelColumnWidth + 1;  // x = 121
    d.Pen(ReportPen::Solid);

    d.Font(kTitleFontHeight, true);
    d.Text(10, 10, t.ColumnSetTitle);
    d.Font(kTextFontHeight, false);
    int y = 35;
    for (const std::string& line : t.LogLines) {
        if (line.empty()) continue;
        d.Text(10, y, line);
        y += kHeadingLineHeight;
    }
    d.Text(10, y, t.Footer);

    d.Polygon({{1, top}, {right, top}, {right, bottom}, {1, bottom}});

    y = top - 2 - kReportRowGap;
    for (int r = 1; r <= R + 1; ++r) {
        y += kReportRowHeight;
        if (r == R + 1) d.Font(kTextFontHeight, true);
        d.Text(11, y, t.RowLabels[size_t(r)]);
    }

    d.Pen(ReportPen::Dotted);
    for (int r = 1; r <= R; ++r) d.Line(1, top + kReportRowHeight * r, right, top + kReportRowHeight * r);
    for (int i = 0, x = firstColumn + kReportColumnWidth; i < C - 1 + T; ++i, x += kReportColumnWidth)
        d.Line(x, headingTop, x, bottom);

    d.Pen(ReportPen::Solid);
    d.Font(kTextFontHeight, false);
    d.Line(firstColumn, headingTop, firstColumn, bottom);
    d.MoveTo(firstColumn, top);
    d.LineTo(firstColumn, headingTop);
    d.LineTo(right, headingTop);
    d.LineTo(right, top);

    const int half = kReportColumnWidth / 2;
    if (T)
        d.Centred(firstColumn + kReportColumnWidth * C + half, headingTop + 5, t.ColumnLabels[size_t(C + 1)]);
    for (int l = 1; l <= t.HeadingLines; ++l)
        for (int c = 1; c <= C; ++c)
            d.Centred(firstColumn + kReportColumnWidth * (c - 1) + half,
                      headingTop + 5 + kHeadingLineHeight * (l - 1),
                      HeadingSegment(t.ColumnLabels[size_t(c)], l));

    if (t.GroupCount > 0) {
        d.Line(firstColumn, groupTop, firstColumn, headingTop);
        int x = firstColumn;
        for (int g = 0; g < t.GroupCount; ++g) {
            const int width = t.GroupSpans[size_t(g)] * kReportColumnWidth;
            d.MoveTo(x, groupTop);
            x += width;
            d.LineTo(x, groupTop);
            d.Line(x, groupTop, x, bottom);
            const std::string& label = t.GroupLabels[size_t(g)];
            d.Text(x - width / 2 - d.Width(label) / 2, groupTop + 5, label);
        }
    }

    y = top - 2 - kReportRowGap;
    for (int r = 1; r <= R + 1; ++r) {
        y += kReportRowHeight;
        for (int c = 1; c <= C + T; ++c)
            d.RightAligned(firstColumn + kReportColumnWidth * (c - 1) + 45, y,
                           std::to_string(t.Counts[size_t(r)][size_t(c)]));
    }
}

}  // namespace qv
