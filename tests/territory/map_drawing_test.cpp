#include "territory/map_drawing.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"
#include "territory/map_painter.h"
#include "territory/recording_canvas.h"
#include "territory/territorial_base.h"
#include "territory/tiny_base.h"

namespace qv {
namespace {

using namespace test;

constexpr double U = kClassLimitUnset;

struct Row {
    uint32_t colour;
    int32_t top;
};
struct Label {
    std::string text;
    int32_t x, y;
};

class MapDrawingTest : public test::TinyBaseTest {
  protected:
    void SetUp() override {
        TinyBaseTest::SetUp();
        AllocateDrawingTables();
        MapColours = test::kTinyColours;
        MapFontHeights = {11, 12, 13, 14, 110, 120, 130, 140};
        MapState.ShowLegend = 1;
        MapState.LegendX = 100;
        MapState.LegendY = 50;
        MapState.MapWidth = 300;
        MapState.MapHeight = 480;
    }
    void TearDown() override {
        ReleaseDrawingTables();
        TinyBaseTest::TearDown();
    }
    static std::vector<Row> Boxes(const RecordingCanvas& canvas) {
        std::vector<Row> rows;
        for (const RecordedOp& op : canvas.Of(RecordedOp::Polygon))
            rows.push_back({op.brush, op.points[0].Y});
        return rows;
    }
    static std::vector<Label> Texts(const RecordingCanvas& canvas) {
        std::vector<Label> texts;
        for (const RecordedOp& op : canvas.Of(RecordedOp::Text))
            texts.push_back({op.text, op.points[0].X, op.points[0].Y});
        return texts;
    }
};

void ExpectTexts(const std::vector<Label>& got, const std::vector<Label>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].text);
        EXPECT_EQ(got[i].text, want[i].text);
        EXPECT_EQ(got[i].x, want[i].x);
        EXPECT_EQ(got[i].y, want[i].y);
    }
}

void ExpectBoxes(const std::vector<Row>& got, const std::vector<Row>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].colour, want[i].colour) << "row " << i;
        EXPECT_EQ(got[i].top, want[i].top) << "row " << i;
    }
}

TEST_F(MapDrawingTest, LegendWithRepeatedLimits) {
    // Limits 10, 10, 20: rows "up to 9", "10 to 19", "from 20"; a value of 10 reaches class 3
    // on the map, so the second row shows colour 3.
    MapClassThresholds.Limits = {10, 10, 20, U, U, U, U};
    MapState.ValueTotal = 42;
    RecordingCanvas canvas;
    MapPainter painter(canvas, nullptr, 300, 480);
    DrawLegend(painter, 480);

    const auto& c = test::kTinyColours;
    ExpectBoxes(Boxes(canvas), {{c[1], 70}, {c[3], 85}, {c[4], 100}});
    // Lower bounds end 5 pixels left of x 100 (6 pixels a character); the total is centred on 110.
    ExpectTexts(Texts(canvas),
                {{"9", 130, 70}, {"10", 83, 85}, {"19", 130, 85}, {"20", 83, 100}, {"42 Totale", 83, 120}});
    EXPECT_EQ(MapState.LegendLeft, 100);
    EXPECT_EQ(MapState.LegendTop, 70);
    EXPECT_EQ(MapState.LegendRight, 125);
    EXPECT_EQ(MapState.LegendBottom, 115);
}

TEST_F(MapDrawingTest, LegendVariants) {
    struct Case {
        const char* name;
        std::array<double, 7> limits;
        int height;
        int decimals;
        bool title;
        std::vector<Row> boxes;
        std::vector<Label> texts;
    };
    const auto& c = test::kTinyColours;
    const Case cases[] = {
        {"no limit set: one box and the total",
         {U, U, U, U, U, U, U},
         480,
         0,
         false,
         {{c[1], 70}},
         {{"0 Totale", 86, 90}}},
        {"tall map: rows 20 apart",
         {5, U, U, U, U, U, U},
         481,
         0,
         false,
         {{c[1], 75}, {c[2], 95}},
         {{"4", 130, 75}, {"5", 89, 95}, {"0 Totale", 86, 120}}},
        {"decimals: upper bound 0.01 below",
         {2.5, U, U, U, U, U, U},
         480,
         2,
         false,
         {{c[1], 70}, {c[2], 85}},
         {{"2.49", 130, 70}, {"2.50", 71, 85}, {"0.00 Totale", 77, 105}}},
        {"title centred above",
         {U, U, U, U, U, U, U},
         480,
         0,
         true,
         {{c[1], 70}},
         {{"Schede", 92, 50}, {"0 Totale", 86, 90}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        MapClassThresholds.Limits = k.limits;
        MapClassThresholds.Title = "Schede";
        MapState.MapHeight = k.height;
        MapState.ValueDecimals = k.decimals;
        MapState.ShowLegendTitle = k.title;
        MapState.ValueTotal = 0;
        RecordingCanvas canvas;
        MapPainter painter(canvas, nullptr, 300, k.height);
        DrawLegend(painter, k.height);
        ExpectBoxes(Boxes(canvas), k.boxes);
        ExpectTexts(Texts(canvas), k.texts);
    }
}

// Wherever its point, the whole legend is drawn inside the picture, as near that point as it
// fits, at the whole map and zoomed in; the point stays as the user set it. (A legend that fits
// is drawn where its point puts it: the tests above.)
TEST_F(MapDrawingTest, LegendKeptInsideThePicture) {
    constexpr int32_t W = 300, H = 200;
    MapState.ShowLegendTitle = 1;
    struct Case {
        int32_t x, y;
        bool left, right, bottom;  // the edge the legend comes to rest on
    } cases[] = {{0, 0, true, false, false},
                 {2, 100, true, false, false},
                 {W - 5, 100, false, true, false},
                 {100, H - 5, false, false, true}};
    for (int zoom : {1, 4})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " at " << c.x << ", " << c.y);
            MapState.MapWidth = W;
            MapState.MapHeight = H;
            MapState.ZoomLevel = zoom;
            MapState.LegendX = c.x;
            MapState.LegendY = c.y;
            MapClassThresholds.Title = "Schede per comune";
            RecordingCanvas canvas;
            DrawMap(canvas, nullptr);
            EXPECT_EQ(MapState.LegendX, c.x);
            EXPECT_EQ(MapState.LegendY, c.y);
            int32_t left = W, right = 0, bottom = 0;
            const auto texts = Texts(canvas);
            ASSERT_GE(texts.size(), 2u);
            for (const Label& t : texts) {
                SCOPED_TRACE(t.text);
                const int32_t width = 6 * int32_t(t.text.size());
                EXPECT_GE(t.x, 0);
                EXPECT_GE(t.y, 0);
                EXPECT_LE(t.x + width, W);
                EXPECT_LE(t.y + 10, H);
                left = std::min(left, t.x), right = std::max(right, t.x + width),
                bottom = std::max(bottom, t.y + 10);
            }
            EXPECT_GE(MapState.LegendLeft, 0);
            EXPECT_LT(MapState.LegendRight, W);
            EXPECT_LT(MapState.LegendBottom, H);
            EXPECT_EQ(left == 0, c.left);
            EXPECT_EQ(right == W, c.right);
            EXPECT_EQ(bottom == H, c.bottom);
        }
}

TEST_F(MapDrawingTest, PrinterPageRepeatsWithScaledCoordinates) {
    // Scale 200 %: a 100 x 80 map on a page of 1000 x 800 pixels of 1/96 inch is centred across,
    // (1000 - 200) / 2 = 400, but centred down, (800 - 160) / 2 = 320, it would leave no room for
    // its three lines of notes, 3 + 3 x (140 + 2) = 429: it lies 800 - 160 - 429 = 211 from the
    // top. A printer of 288 dots an inch draws the same page three times as fine: every printer
    // pixel below is 3 of its pixels, the letters it measures and the heights of "car-tres.dat"
    // included.
    MapState.MapWidth = 100;
    MapState.MapHeight = 80;
    MapState.PrintScaleX = MapState.PrintScaleY = 200;
    MapState.LegendX = 16;
    MapState.LegendY = 5;
    MapClassThresholds.Limits = {5, U, U, U, U, U, U};
    InstallNumberedTexts(2499);
    WriteBytes(CoreState.ProgramDir + "commento.txt", "Prima riga\r\nSeconda\r\n");
    for (int k : {1, 3}) {
        SCOPED_TRACE(k);
        RecordingCanvas screen;
        RecordingCanvas paper(6 * k, 20 * k);
        MapPrintPage page{&paper, 1000 * k, 800 * k, 96 * k};
        MapPainter painter(screen, &page, 100, 80);
        EXPECT_EQ(painter.ToPrinterX(-7), 400 * k);
        EXPECT_EQ(painter.ToPrinterX(16), 432 * k);
        EXPECT_EQ(painter.ToPrinterX(500), 600 * k);  // capped at the map's width
        EXPECT_EQ(painter.ToPrinterY(80), 371 * k);
        DrawLegend(painter, 80);

        // First box (16, 25)-(41, 40) -> (432, 261)-(482, 291): printed 30 high, letters 20, so
        // the row's texts drop (30 - 20) / 2 = 5 printer pixels.
        const auto boxes = paper.Of(RecordedOp::Polygon);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].points[0].X, 432 * k);
        EXPECT_EQ(boxes[0].points[0].Y, 261 * k);
        EXPECT_EQ(boxes[0].points[2].X, 482 * k);
        EXPECT_EQ(boxes[0].points[2].Y, 291 * k);
        const auto texts = Texts(paper);
        ASSERT_EQ(texts.size(), 6u);
        ExpectTexts({texts[0]}, {{"4", 492 * k, 266 * k}});
        EXPECT_EQ(paper.Of(RecordedOp::Text)[0].fontHeight, 130 * k);
        // Below the map, 3 pixels under it and lines (140 + 2) apart: the comment, then the
        // source of the boundaries.
        ExpectTexts({texts[3], texts[4], texts[5]}, {{"Prima riga", 400 * k, 374 * k},
                                                     {"Seconda", 400 * k, 516 * k},
                                                     {"Testo 2270", 400 * k, 658 * k}});
        // Only the printer gets them.
        EXPECT_EQ(Texts(screen).size(), 3u);

        // An outline's vertex lies within its screen pixel: the finer printer draws it there, the
        // printer of 96 dots an inch at the pixel, as the screen does.
        painter.OutlinePolygon(std::vector<MapPoint>{{10, 10}},
                               std::vector<OutlinePoint>{{{10, 10}, 0.5f, 0.5f}});
        EXPECT_EQ(paper.ops.back().points[0].X, k == 1 ? 420 : 1263);
        EXPECT_EQ(paper.ops.back().points[0].Y, k == 1 ? 231 : 696);
        painter.PenWidth(2);
        painter.LineTo(0, 0);
        EXPECT_EQ(paper.ops.back().penWidth, 2 * k);
    }
}

TEST_F(MapDrawingTest, ValuesNamesAndSigleAtLabelPoints) {
    MapState.ComuneCount = MapState.ValueCount = 4;
    const int16_t lx[] = {0, 20, 30, 60, 80};
    const int16_t ly[] = {0, 20, 25, 60, 70};
    for (int k = 1; k <= 4; ++k) {
        MapCentroidX[size_t(k)] = lx[k];
        MapCentroidY[size_t(k)] = ly[k];
        MapVisible[size_t(k)] = 1;
        MapValueIndex[size_t(k)] = k;
    }
    MapValues[1] = 3;
    MapValues[2] = 0;
    MapCentroidX[3] = kNoLabelPoint;  // drawn, but its label point is off the map
    MapState.ShowValues = 1;
    MapState.ValuesAsPercent = 1;
    MapState.ValueTotal = 0;
    MapState.ShowSigle = 1;
    WriteBytes(MapState.TerritoryDir + "sig.txt",
               "   1 UN\r\n   2 DU\r\n   3 TR\r\n   4 QU\r\n   0 ZE\r\n   2 DD\r\n");
    RecordingCanvas canvas;
    MapPainter painter(canvas, nullptr, 100, 80);
    DrawLabels(painter, nullptr);
    // With a total of 0 the percentage is the value x 100. Values end one pixel left of the
    // label point. Sigla 2 is within 20 x 12 pixels of sigla 1, 3 has no label point, 4, the
    // last comune, is written too, and the list ends at code 0.
    ExpectTexts(Texts(canvas),
                {{"300.0%", -17, 20}, {"0.0%", 5, 25}, {"0.0%", 55, 70}, {"UN", 20, 20}, {"QU", 80, 70}});

    MapState.ValuesAsPercent = 0;
    MapState.ShowSigle = 0;
    MapState.ShowNames = 1;
    MapActiveComuni[1] = 0;  // comune 2
    RecordFile names;
    OpenMapComuneNames(names);
    RecordingCanvas named;
    MapPainter namedPainter(named, nullptr, 100, 80);
    DrawLabels(namedPainter, &names);
    ExpectTexts(Texts(named), {{"Uno", 21, 20}, {"Quattro", 81, 70}, {"3", 13, 20}, {"0", 73, 70}});
}

// A map fitted to an A4 page by its height, on printers of 96, 300 and 600 dots an inch. Pairs
// of sigle lie 20 pixels apart across or 12 down, just far enough apart on the screen, at every
// phase against the printer's pixels; one pair lies 19 across. The page shows the screen's
// sigle, and the notes end on the page under the map.
TEST_F(MapDrawingTest, PrintedPageKeepsTheScreensSigleAndHoldsItsNotes) {
    MapState.ComuneCount = 40;
    MapState.ShowSigle = 1;
    MapState.ShowLegend = 0;
    MapState.PrintScaleX = 100;
    MapState.PrintScaleY = 300;
    InstallNumberedTexts(2499);
    WriteBytes(CoreState.ProgramDir + "commento.txt", "Fonte\r\n");
    std::string sig;
    std::vector<std::string> want;
    auto place = [&](int m, int x, int y) {
        MapCentroidX[size_t(m)] = int16_t(x);
        MapCentroidY[size_t(m)] = int16_t(y);
        const std::string text = "S" + std::to_string(m);
        const std::string code = std::to_string(m);
        sig += std::string(4 - code.size(), ' ') + code + " " + text + "\r\n";
        if (m != 34) want.push_back(text);
    };
    for (int i = 0; i < 8; ++i) {
        place(4 * i + 1, 10 + i, 10 + 30 * i);
        place(4 * i + 2, 30 + i, 10 + 30 * i);
        place(4 * i + 3, 100 + 30 * i % 150, 10 + i + 60 * (i / 5));
        place(4 * i + 4, 100 + 30 * i % 150, 22 + i + 60 * (i / 5));
    }
    place(33, 200, 400);
    place(34, 219, 400);
    WriteBytes(MapState.TerritoryDir + "sig.txt", sig);
    for (int dpi : {96, 300, 600}) {
        SCOPED_TRACE(dpi);
        RecordingCanvas screen, paper;
        const double dots = dpi / 96.0;
        MapPrintPage page{&paper, int32_t(718 * dots), int32_t(1047 * dots), dpi};
        MapPainter painter(screen, &page, 300, 480);
        DrawLabels(painter, nullptr);
        DrawLegend(painter, 480);
        std::vector<std::string> onScreen, onPaper;
        for (const Label& l : Texts(screen)) onScreen.push_back(l.text);
        for (const Label& l : Texts(paper)) onPaper.push_back(l.text);
        EXPECT_EQ(onScreen, want);
        want.insert(want.end(), {"Fonte", "Testo 2270"});
        EXPECT_EQ(onPaper, want);
        want.resize(want.size() - 2);

        // The map fills the page's height but for the notes, 3 + 2 x (140 + 2) = 287, within a
        // pixel of 1/96 inch.
        EXPECT_NEAR(painter.ToPrinterY(480) - painter.ToPrinterY(0), (1047 - 287) * dots, dots + 1);
        const RecordedOp& source = paper.ops.back();
        EXPECT_GE(paper.ops[paper.ops.size() - 2].points[0].Y, painter.ToPrinterY(480));
        EXPECT_LE(source.points[0].Y + source.fontHeight, page.Height);
    }
}

TEST_F(MapDrawingTest, BarsOverTheActiveComuni) {
    MapState.ComuneCount = MapState.ValueCount = 2;
    for (int k = 1; k <= 2; ++k) {
        MapCentroidX[size_t(k)] = int16_t(20 * k);
        MapCentroidY[size_t(k)] = 60;
        MapVisible[size_t(k)] = 1;
        MapValueIndex[size_t(k)] = k;
    }
    MapValues[1] = 50;
    MapValues[2] = 200;
    MapState.BarsOverActive = 1;
    RecordingCanvas canvas;
    MapPainter painter(canvas, nullptr, 100, 80);
    DrawLabels(painter, nullptr);
    // Range 50..200, the lower bound taken as 0: heights 50 x 100 / 200 = 25 and 100.
    const auto bars = canvas.Of(RecordedOp::Polygon);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].points[2].Y, 60 - 5 - 25);
    EXPECT_EQ(bars[1].points[2].Y, 60 - 5 - 100);
    EXPECT_EQ(bars[0].brush, 0x88FF00u);
    EXPECT_EQ(bars[2].points.size(), 6u);  // side and top faces after every front face
    EXPECT_EQ(bars[2].points[3].X, 20 - 5);
    EXPECT_EQ(bars[2].points[3].Y, 60 - 10 - 25);
}

TEST_F(MapDrawingTest, OutlineRingsEndAtMarksOrAfterTheLastWalkedEntry) {
    // Comune 1: a ring of five entries, two marks in a row (an empty ring, not drawn), then a
    // ring running to entry 15 = cap-5 without an outline end; entry 16 is never walked. At 32
    // units a pixel with the origin at (0, 0), entry j lies at y = j.
    const int32_t xs[] = {32, 64, 64, 32, 32, -10000, -20000, 320, 352, 384, 416, 448, 480, 512, 544, 576};
    std::string x, y;
    for (int j = 1; j <= test::kTinyCap; ++j) {
        AppendI32(x, j <= 16 ? xs[j - 1] : 0);
        AppendI32(y, 32 * j);
    }
    std::string outlines = test::ReadBytes(MapState.TerritoryDir + "1-zor.dat");
    outlines.replace(0, 8 * test::kTinyCap, x + y);
    WriteBytes(MapState.TerritoryDir + "1-zor.dat", outlines);
    MapState.MapWidth = 100;
    MapState.MapHeight = 80;
    RecordingCanvas canvas;
    DrawMap(canvas, nullptr);

    const auto polygons = canvas.Of(RecordedOp::Polygon);  // the background first
    ASSERT_GE(polygons.size(), 3u);
    struct Ring {
        size_t size;
        MapPoint first, last;
    } rings[] = {{5, {1, 1}, {1, 5}}, {8, {10, 8}, {17, 15}}};
    for (size_t i = 0; i < 2; ++i) {
        const std::vector<MapPoint>& p = polygons[i + 1].points;
        ASSERT_EQ(p.size(), rings[i].size) << i;
        EXPECT_EQ(p.front().X, rings[i].first.X) << i;
        EXPECT_EQ(p.front().Y, rings[i].first.Y) << i;
        EXPECT_EQ(p.back().X, rings[i].last.X) << i;
        EXPECT_EQ(p.back().Y, rings[i].last.Y) << i;
    }
    EXPECT_EQ(polygons[3].points.front().X, 30);  // comune 2's cell
}

TEST_F(MapDrawingTest, MissingRequiredFileAbandonsTheDrawing) {
    std::remove((MapState.TerritoryDir + "mmx-zor.dat").c_str());
    RecordingCanvas canvas;
    EXPECT_THROW(DrawMap(canvas, nullptr), IoError);
    EXPECT_TRUE(MapClassOf.empty());  // the drawing's tables are released
}

TEST_F(MapDrawingTest, AFileThatFailsToOpenIsToldNeverDrawnAsMissing) {
    RecordingCanvas canvas;
    ResetIoFaultsForTest();
    DrawMap(canvas, nullptr);
    const int opens = IoCallCountForTest(IoCall::Open);
    ASSERT_GT(opens, 0);
    for (int n = 1; n <= opens; ++n) {
        FailIoCallForTest(IoCall::Open, n, EIO);
        RecordingCanvas again;
        EXPECT_THROW(DrawMap(again, nullptr), IoError) << "open " << n;
        ResetIoFaultsForTest();
    }
}

}  // namespace
}  // namespace qv
