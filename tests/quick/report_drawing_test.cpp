#include "quick/report_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

// Records every operation as text; a text is `charWidth` pixels a character wide.
class RecordingCanvas : public ReportCanvas {
  public:
    explicit RecordingCanvas(int charWidth) : charWidth_(charWidth) {}
    void SetFont(int height, bool bold) override {
        Add("font " + std::to_string(height) + (bold ? " bold" : ""));
    }
    void SetPen(ReportPen style) override { Add(style == ReportPen::Dotted ? "dotted" : "solid"); }
    void MoveTo(int x, int y) override { Add("move " + At(x, y)); }
    void LineTo(int x, int y) override { Add("line " + At(x, y)); }
    void Polygon(const std::vector<ReportPoint>& points) override {
        std::string s = "polygon";
        for (const ReportPoint& p : points) s += " " + At(p.x, p.y);
        Add(s);
    }
    void TextOut(int x, int y, const std::string& text) override { Add("text " + At(x, y) + " " + text); }
    int TextWidth(const std::string& text) override { return charWidth_ * int(text.size()); }
    std::vector<std::string> ops;

  private:
    static std::string At(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Add(std::string op) { ops.push_back(std::move(op)); }
    int charWidth_;
};

// One row and one column: table top 133, right 170, bottom 179, heading top 103; W 175, H 189.
ReportTable SmallTable() {
    ReportTable t;
    t.ColumnSetTitle = "CT";
    t.LogLines = {"RS - uno", "", ""};
    t.RowCount = 1;
    t.ColumnCount = 1;
    t.RowLabels = {"", "Maschi", "Totale"};
    t.ColumnLabels = {"", "Tutti", "TOTALE"};
    t.Counts[1][1] = 7;
    t.Counts[2][1] = 7;
    t.Counts[1][2] = 7;
    t.Counts[2][2] = 7;
    t.PageWidth = 175;
    t.PageHeight = 189;
    return t;
}

TEST(ReportDrawingTest, EveryOperationOfASmallTable) {
    RecordingCanvas bitmap(6);
    DrawReportTable(SmallTable(), bitmap);
    const std::vector<std::string> expected = {
        "solid",
        "font 20 bold",
        "text 10,10 CT",
        "font 10",
        "text 10,35 RS - uno",
        "text 10,50 ",
        "polygon 1,133 170,133 170,179 1,179",
        "text 11,141 Maschi",
        "font 10 bold",
        "text 11,164 Totale",
        "dotted",
        "move 1,156",
        "line 170,156",
        "solid",
        "font 10",
        "move 121,103",
        "line 121,179",
        "move 121,133",
        "line 121,103",
        "line 170,103",
        "line 170,133",
        "text 131,108 Tutti",  // 121 + 25 - 30 / 2
        "text 160,141 7",      // 121 + 45 - 6
        "text 160,164 7",
    };
    EXPECT_EQ(bitmap.ops, expected);
}

TEST(ReportDrawingTest, TotalColumnHeadingLinesAndGroups) {
    ReportTable t = SmallTable();
    t.TotalColumn = true;
    t.HeadingLines = 2;
    t.ColumnLabels[1] = "fino\\a 30";
    t.GroupCount = 1;
    t.GroupLabels = {"G"};
    t.GroupSpans = {1};
    // Table top 156, right 220, bottom 202, heading top 111, group top 83.
    RecordingCanvas bitmap(6);
    DrawReportTable(t, bitmap);
    const std::vector<std::string> wanted = {
        "polygon 1,156 220,156 220,202 1,202",
        "move 171,111",
        "line 171,202",         // the dotted line between column 1 and the total
        "text 178,116 TOTALE",  // 121 + 50 + 25 - 36 / 2
        "text 134,116 fino",
        "text 134,131 a 30",
        "move 121,83",
        "line 121,111",
        "move 121,83",
        "line 171,83",
        "move 171,83",
        "line 171,202",
        "text 143,88 G",  // 171 - 25 - 3
        "text 210,164 7",
        "text 210,187 7",
    };
    size_t at = 0;
    for (const std::string& op : bitmap.ops)
        if (at < wanted.size() && op == wanted[at]) ++at;
    EXPECT_EQ(at, wanted.size()) << "missing from: " << (at < wanted.size() ? wanted[at] : "");
}

TEST(ReportDrawingTest, PrinterMapping) {
    ReportTable t = SmallTable();
    struct Case {
        int enlargement;
        int titleFont, textFont, offset;
        int x, mappedX;
        int y, mappedY;
    };
    // Halves go to the even integer: 19 x 1.5 = 28.5 -> 28, 14 x 2.5 = 35, 19 x 2.5 = 47.5 -> 48.
    const Case cases[] = {
        {150, 28, 18, 21, 100, 182, -5, 32},     // (100 + 21) x 1.5 = 181.5; (0 + 21) x 1.5 = 31.5
        {150, 28, 18, 21, 1000, 302, 400, 322},  // capped at (175 + 26) x 1.5 = 301.5, (189 + 26) x 1.5
        {250, 48, 30, 35, 10, 112, 10, 112},     // (10 + 35) x 2.5 = 112.5
        {50, 10, 6, 7, 121, 64, 133, 70},        // 9.5 -> 10; (121 + 7) x 0.5 = 64; 140 x 0.5
        {0, 0, 0, 0, 121, 0, 133, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enlargement);
        const ReportPrintMapping m = MakeReportPrintMapping(c.enlargement, t);
        EXPECT_EQ(m.TitleFontHeight, c.titleFont);
        EXPECT_EQ(m.TextFontHeight, c.textFont);
        EXPECT_EQ(m.PrintOffsetX, c.offset);
        EXPECT_EQ(m.PrintOffsetY, c.offset);
        EXPECT_EQ(ReportScaleX(m, c.x), c.mappedX);
        EXPECT_EQ(ReportScaleY(m, c.y), c.mappedY);
    }
}

TEST(ReportDrawingTest, PrintingRepeatsEveryOperation) {
    const ReportTable t = SmallTable();
    RecordingCanvas bitmap(6), printer(12);
    const ReportPrintMapping m = MakeReportPrintMapping(200, t);  // offset 28, fonts 38 and 24
    DrawReportTable(t, bitmap, &printer, &m);
    ASSERT_EQ(printer.ops.size(), bitmap.ops.size());
    const std::vector<std::pair<size_t, std::string>> spots = {
        {1, "font 38 bold"},
        {2, "text 76,76 CT"},
        {3, "font 24"},
        {6, "polygon 58,322 396,322 396,414 58,414"},
        {21, "text 318,272 Tutti"},  // centre (146 + 28) x 2 = 348, less 60 / 2
        {22, "text 376,338 7"},      // right edge (166 + 28) x 2 = 388, less 12
    };
    for (const auto& [index, op] : spots) EXPECT_EQ(printer.ops[index], op) << index;
}

}  // namespace
}  // namespace qv
