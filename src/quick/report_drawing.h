#pragma once
#include <string>
#include <vector>

#include "quick/report_table.h"

// The drawing of the report table, operation by operation, on a canvas: the bitmap shown and
// saved, and while printing the printer page as well, each operation repeated there at
// positions scaled by the print enlargement.

namespace qv {

enum class ReportPen { Solid, Dotted };

struct ReportPoint {
    int x = 0, y = 0;
};

// Black on white, in the canvas's own pixels.
class ReportCanvas {
  public:
    virtual ~ReportCanvas() = default;
    // Height of the character cell in pixels.
    virtual void SetFont(int height, bool bold) = 0;
    virtual void SetPen(ReportPen style) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Outlined with the pen, filled white.
    virtual void Polygon(const std::vector<ReportPoint>& points) = 0;
    // The text with the top left corner of its cell at (x, y); Windows-1252.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
};

// From bitmap to printer: PrintScale = enlargement / 100 on both axes; fonts (19 title, 12
// text) and offsets (14, 14) multiplied by it and taken to the nearest integer, a half to the
// even one.
struct ReportPrintMapping {
    double PrintScale = 0;
    double PrintOffsetX = 0, PrintOffsetY = 0;
    int TitleFontHeight = 0, TextFontHeight = 0;
    int PageWidth = 0, PageHeight = 0;
};
ReportPrintMapping MakeReportPrintMapping(int enlargement, const ReportTable& table);
// min((max(x, 0) + PrintOffsetX) x PrintScale, (W + PrintOffsetX + 5) x PrintScale), rounded.
int ReportScaleX(const ReportPrintMapping& m, int x);
int ReportScaleY(const ReportPrintMapping& m, int y);

// Draws the table (titles and footer read beforehand) on `bitmap`, a W x H page that starts
// white; with `printer` every operation is repeated on it through `mapping`.
void DrawReportTable(const ReportTable& table, ReportCanvas& bitmap, ReportCanvas* printer = nullptr,
                     const ReportPrintMapping* mapping = nullptr);

}  // namespace qv
