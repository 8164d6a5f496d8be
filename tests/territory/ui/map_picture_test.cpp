#include "territory/ui/map_picture.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/ui/printing.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"
#include "territory/map_options.h"
#include "territory/map_tables.h"
#include "territory/map_values.h"
#include "territory/shipped_base.h"
#include "territory/tiny_base.h"

namespace qv {
namespace {

using namespace test;

constexpr double U = kClassLimitUnset;
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

class MapPicture : public test::TinyBaseTest {
  protected:
    void SetUp() override {
        TinyBaseTest::SetUp();
        // Comune 1 class 1 (below 5), 2 class 2, 3 class 3, 4 class 4; comune 2 inactive.
        const int cards[] = {0, 1, 5, 10, 20};
        for (int k = 1; k <= 4; ++k) MapCardCounts[size_t(k)] = cards[k];
        MapClassThresholds.Limits = {5, 10, 20, U, U, U, U};
        MapActiveComuni[1] = 0;
    }
    static QColor Class(int k) { return MapColour(test::kTinyColours[size_t(k)]); }
};

struct PixelCase {
    const char* name;
    int x, y;
    QColor colour;
};

void ExpectPixels(const QImage& image, std::initializer_list<PixelCase> cases) {
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(image.pixelColor(c.x, c.y), c.colour) << "at " << c.x << ", " << c.y;
    }
}

// Cells on the bitmap: comune 1 at x 10..30, y 10..30; 2 right of it; 3 and 4 below.
TEST_F(MapPicture, ComuniColouredByClassWithTheirBorders) {
    const QImage image = DrawMapPicture();
    ASSERT_EQ(image.width(), 100);
    ASSERT_EQ(image.height(), 80);
    ExpectPixels(image, {
                            {"background", 5, 5, Class(0)},
                            {"comune 1, class 1", 20, 20, Class(1)},
                            {"comune 2 inactive: white", 40, 20, kWhite},
                            {"comune 3, class 3", 20, 40, Class(3)},
                            {"comune 4, class 4", 40, 40, Class(4)},
                            {"outer boundary above 1", 20, 10, kBlack},
                            {"outer boundary left of 3", 10, 40, kBlack},
                            {"outer boundary below 4", 40, 50, kBlack},
                            {"outer boundary right of 2", 50, 20, kBlack},
                            {"active 1 beside inactive 2", 30, 20, kBlack},
                            {"inactive 2 above active 4", 40, 30, kBlack},
                            {"active 3 beside active 4: no border", 30, 40, Class(4)},
                        });
    EXPECT_NE(image.pixelColor(20, 30), kBlack) << "active 1 above active 3: no border";
    EXPECT_EQ(MapCentroidX[1], 20);
    EXPECT_EQ(MapCentroidY[1], 20);
    EXPECT_EQ(MapCentroidX[4], 40);
    EXPECT_EQ(MapCentroidY[4], 40);
    // The picture is kept for the window.
    EXPECT_EQ(QImage(QString::fromStdString(geo + "prova.bmp")).pixelColor(20, 20), Class(1));
}

TEST_F(MapPicture, BorderOptions) {
    struct Case {
        const char* name;
        void (*set)();
        int x, y;
        bool black;
    };
    const Case cases[] = {
        {"class borders between 1 and 3", [] { MapState.ClassBorders = 1; }, 20, 30, true},
        {"unit borders between 3 and 4", [] { MapState.UnitBorders = 1; }, 30, 40, true},
        {"no border between two inactive comuni",
         [] {
             MapState.HideBordersInactive = 1;
             MapActiveComuni[0] = 0;
         },
         30, 20, false},
        {"thick border between the rows",
         [] {
             MapState.ShowVariableBorders = 1;
             MapState.BorderVariable = 2;
             MapState.VariableBorderWidth = 3;
         },
         20, 31, true},
        {"no thick border inside a row",
         [] {
             MapState.ShowVariableBorders = 1;
             MapState.BorderVariable = 2;
             MapState.VariableBorderWidth = 3;
         },
         31, 42, false},
        {"colours off: white comuni", [] { MapState.ColourByClass = 0; }, 20, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapState.ClassBorders = MapState.UnitBorders = MapState.HideBordersInactive = 0;
        MapState.ShowVariableBorders = 0;
        MapState.ColourByClass = 1;
        MapActiveComuni[0] = 1;
        c.set();
        const QImage image = DrawMapPicture();
        EXPECT_EQ(image.pixelColor(c.x, c.y) == kBlack, c.black);
        if (!MapState.ColourByClass) {
            EXPECT_EQ(image.pixelColor(c.x, c.y), kWhite);
        }
    }
}

TEST_F(MapPicture, OutlinesAndLabelPointsAtTheEdges) {
    // Comune 1's outline ends at once: nothing drawn, its label point still set. The map is 40
    // wide, so comune 2's label point (40, 20) lies on the edge and is not kept.
    std::string outlines = ReadBytes(geo + "1-zor.dat");
    outlines.replace(0, 4, std::string("\xD0\x8A\xFF\xFF", 4));  // X[1] = -30000
    WriteBytes(geo + "1-zor.dat", outlines);
    MapState.MapWidth = 40;
    MapState.ReferenceX = 20;
    const QImage image = DrawMapPicture();
    // At width 40 the origin is (0, 0) again: 40 x 16 >> 5 = 20 = the reference point.
    EXPECT_EQ(image.pixelColor(20, 20), Class(0));
    EXPECT_EQ(MapCentroidX[1], 20);
    EXPECT_EQ(MapCentroidX[2], kNoLabelPoint);
    EXPECT_EQ(MapCentroidX[3], 20);

    // A missing outline file: its comuni stay blank and keep no label point.
    std::filesystem::remove(geo + "1-zor.dat");
    const QImage blank = DrawMapPicture();
    EXPECT_EQ(blank.pixelColor(20, 40), Class(0));
    EXPECT_EQ(MapCentroidX[3], kNoLabelPoint);
}

TEST_F(MapPicture, FailedDrawingKeepsThePreviousPicture) {
    DrawMapPicture();
    const std::string before = ReadBytes(geo + "prova.bmp");
    // A picture that cannot be written whole is told.
    MapCardCounts[1] = 20;
    FailIoCallForTest(IoCall::Write, -1, ENOSPC);
    EXPECT_THROW(DrawMapPicture(), IoError);
    ResetIoFaultsForTest();
    EXPECT_EQ(ReadBytes(geo + "prova.bmp"), before);
    std::filesystem::remove(geo + "dov-zor.dat");
    MapClassThresholds.Limits = {U, U, U, U, U, U, U};
    EXPECT_THROW(DrawMapPicture(), IoError);
    EXPECT_EQ(ReadBytes(geo + "prova.bmp"), before);
}

// The words of a PDF with their height in points, as pdftotext reads them.
std::vector<std::pair<std::string, double>> PdfWords(const std::string& pdf) {
    const std::string html = pdf + ".html";
    EXPECT_EQ(std::system(("pdftotext -bbox " + pdf + " " + html).c_str()), 0);
    const std::string text = ReadBytes(html);
    const std::regex word(
        R"re(<word xMin="[-0-9.]+" yMin="([-0-9.]+)" xMax="[-0-9.]+" yMax="([-0-9.]+)">([^<]*)</word>)re");
    std::vector<std::pair<std::string, double>> words;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it)
        words.emplace_back((*it)[3].str(), std::stod((*it)[2].str()) - std::stod((*it)[1].str()));
    return words;
}

// The page is drawn at the printer's resolution, never below 300 dots an inch for the print
// dialog's PDF, with its texts as large on paper as at 96, and it names the boundaries' source
// under the map.
TEST_F(MapPicture, PrintedOnAPdfPage) {
    MapState.ShowLegend = MapState.ShowLegendTitle = MapState.FrameLine = 1;
    MapState.ShowNames = MapState.ShowValues = MapState.ShowSigle = 1;
    MapClassThresholds.Title = "Schede per comune";
    MapState.LegendX = 70;
    InstallShippedTexts();
    SetPrinterHook([&] { return dir / "scelta.pdf"; });
    EXPECT_GE(AskPrinter(nullptr)->resolution(), 300);
    SetPrinterHook(nullptr);

    std::map<int, double> titleHeight;
    for (int dpi : {96, 300}) {
        SCOPED_TRACE(dpi);
        const std::string pdf = dir / ("cartina" + std::to_string(dpi) + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(dpi);
        printer.setOutputFileName(QString::fromStdString(pdf));
        const QImage image = DrawMapPicture(&printer);
        EXPECT_EQ(printer.resolution(), dpi);
        EXPECT_EQ(image.pixelColor(20, 33), Class(3));
        std::string words;
        for (const auto& [w, height] : PdfWords(pdf)) {
            words += w + " ";
            if (w == "Schede") titleHeight[dpi] = height;
        }
        // "Confini", whose "fi" the PDF may set as one ligature.
        EXPECT_NE(words.find("amministrativi: ISTAT, elaborazione openpolis/geojson-italy, CC BY 4.0"),
                  std::string::npos)
            << words;
    }
    ASSERT_GT(titleHeight[96], 0);
    EXPECT_NEAR(titleHeight[300] / titleHeight[96], 1, 0.05);

    // A print file that cannot be made is told, never taken for a printed map.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir / "manca/cartina.pdf"));
    EXPECT_THROW(DrawMapPicture(&printer), IoError);
}

// The shipped base with every comune active in one of seven classes and the thick borders of
// variable 1 (every comune its own unit), or the thin borders alone: a border segment stroked
// once, in batches, must draw what stroking every segment of every ring drew (the pictures of
// that drawing are kept in tests/fixtures): no black pixel lost, at most 0.05 % of the pixels
// changed, the class colour at every label point unchanged.
TEST(ShippedMapPicture, EachBorderStrokedOnceDrawsThePictureOfEveryStroke) {
    TempDir dir;
    ResetProgramState();
    CoreState.ProgramDir = CoreState.ArchiveDir = dir.MakeDir("prog");
    const std::string geo = dir.MakeDir("geo");
    for (const auto& f : std::filesystem::directory_iterator(ShippedBaseDir()))
        std::filesystem::copy_file(f.path(), geo + f.path().filename().string());
    MapState.PixelWidth = 600;
    MapState.PixelHeight = 480;
    ApplyMapDefaults();
    MapState.TerritoryDir = geo;
    MapState.ShowLegend = 0;
    MapState.ComuneCount = MapState.ValueCount = MapState.VariableLength = ShippedBase::kComuni;
    MapState.ShowVariableBorders = 1;
    MapState.BorderVariable = 1;
    std::fill(MapActiveComuni.begin(), MapActiveComuni.end(), uint8_t(1));
    AllocateMapTables();
    for (int k = 1; k <= ShippedBase::kComuni; ++k) MapCardCounts[size_t(k)] = k % 7 + 1;
    MapClassThresholds.Limits = {1, 2, 3, 4, 5, 6, 7};

    struct Case {
        const char* picture;
        int zoom;
        bool variableBorders;
    };
    // Zoom 7 about central Italy, inland.
    for (const Case& c : {Case{"whole", 1, true}, Case{"whole_thin", 1, false}, Case{"zoom7", 7, true}}) {
        SCOPED_TRACE(c.picture);
        MapState.ZoomLevel = c.zoom;
        MapState.ShowVariableBorders = c.variableBorders;
        if (c.zoom > 1) MapState.PickX = 330, MapState.PickY = 190;
        const QImage now = DrawMapPicture().convertToFormat(QImage::Format_RGB32);
        const std::string golden =
            std::string(QV_SOURCE_DIR) + "/tests/fixtures/shipped_map_" + c.picture + ".png";
        const QImage before = QImage(QString::fromStdString(golden)).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(now.size(), before.size());
        int changed = 0, blackLost = 0;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) {
                if (now.pixel(x, y) == before.pixel(x, y)) continue;
                ++changed;
                if (before.pixelColor(x, y) == kBlack) ++blackLost;
            }
        EXPECT_EQ(blackLost, 0);
        EXPECT_LE(changed, now.width() * now.height() / 2000);
        int labels = 0;
        for (int k = 1; k <= ShippedBase::kComuni; ++k) {
            const int x = MapCentroidX[size_t(k)], y = MapCentroidY[size_t(k)];
            if (x == kNoLabelPoint || !now.valid(x, y)) continue;
            ++labels;
            EXPECT_EQ(now.pixel(x, y), before.pixel(x, y)) << "label point of " << k;
        }
        EXPECT_GT(labels, 20);
    }
}

}  // namespace
}  // namespace qv
