#include "territory/ui/tvedecartina.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "quick/ui/quick_commands.h"
#include "support/card_reading.h"
#include "support/started_program.h"
#include "territory/map_tables.h"
#include "territory/shipped_base.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/topzioni2.h"

namespace qv {
namespace {

using namespace test;

// The sample archive with its quick files prepared, every card selected, and the shipped
// territorial base installed as run.sh installs it.
class MapWindowTest : public test::StartedProgram {
  protected:
    static void SetUpTestSuite() { base = new test::ShippedBase; }
    static void TearDownTestSuite() { delete base; }
    void SetUp() override {
        geo = root.Root() + "morvidex.win/geolar/";
        InstallBase();
        StartedProgram::SetUp();
        ASSERT_EQ(MapState.TerritoryDir, geo);
        GenerateDichotomousGrid();
        GenerateTableHeadings();
        CopyGridsToQuickSet([] { return true; });
        WriteTerritorialVariableList();
        NoProgress none;
        ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
        ASSERT_TRUE(PreparePerCardValues(PerCardValueKind::Territory, 1, none));
        CardSelectionMask.fill(0xFF);
        CoreState.ProceedFlag = 1;
        AllocateMapTables();
    }
    void TearDown() override {
        ReleaseMapTables();
        RegisterQuickCommand(QuickCommand::Map, nullptr);
        StartedProgram::TearDown();
    }

    // Cards per comune counted from the cards themselves, through the prepared territory field.
    std::vector<int> CardsPerComune() const {
        std::vector<int> counts(8251, 0);
        const int field = ReadQuickVariableList(data_file::kQuickTerritoryList).value().at(0).Field;
        for (int code : test::WordOnCards(field))
            if (code > 0 && code <= 8100) ++counts[size_t(code)];
        return counts;
    }
    // The label point of comune k on the base map, 32 units a pixel.
    static QPoint LabelPixel(int k) {
        return {base->Outline(k).LabelX() / 32, base->Outline(k).LabelY() / 32};
    }
    void InstallBase() const {
        const std::string command = "bash " + std::string(QV_SOURCE_DIR) + "/scripts/install_base.sh " +
                                    std::string(QV_SOURCE_DIR) + "/data/territory/geolar " + geo;
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static void Type(QWidget& w, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, text);
        QApplication::sendEvent(&w, &press);
    }

    static const test::ShippedBase* base;
    std::string geo;
};

const test::ShippedBase* MapWindowTest::base = nullptr;

TEST_F(MapWindowTest, ClickPicksTheComuneAndTheKeySwitchesIt) {
    const std::vector<int> counts = CardsPerComune();
    const int busiest = int(std::max_element(counts.begin(), counts.end()) - counts.begin());
    ASSERT_GT(counts[size_t(busiest)], 0);

    MapState.ChosenComune = busiest;  // left from an earlier opening
    TVedeCartina window(nullptr);
    Type(window, "x");
    EXPECT_EQ(MapActiveComuni[size_t(busiest - 1)], 1) << "no click yet in this window: no change";
    EXPECT_EQ(window.Image1->Picture().size(), QSize(640, 480));
    EXPECT_EQ(MapCardCounts[size_t(busiest)], counts[size_t(busiest)]);
    const QPoint at = LabelPixel(busiest);
    EXPECT_EQ(QPoint(MapCentroidX[size_t(busiest)], MapCentroidY[size_t(busiest)]), at);

    window.Image1MouseDown(at.x(), at.y());
    EXPECT_EQ(MapState.ChosenComune, busiest);
    EXPECT_EQ(MapState.PickX, at.x());
    EXPECT_EQ(ReadBytes(geo + "dli-poli.dat").size(), 8100u * 4) << "label points kept at the first click";
    // The cross and the name are drawn on the image, in black.
    EXPECT_EQ(window.Image1->Picture().pixelColor(at.x(), at.y()), QColor(0, 0, 0));
    if (const char* out = std::getenv("QV_MAP_WINDOW_SHOT")) {
        window.resize(700, 560);
        window.show();
        QApplication::processEvents();
        window.grab().save(out, "PNG");
    }

    Type(window, "x");
    EXPECT_EQ(MapActiveComuni[size_t(busiest - 1)], 0);
    Type(window, "x");
    Type(window, "x");
    window.Selezionaleschedeappartenentialterritorioselezionato1Click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(TerritorySelection[size_t(busiest - 1)], 0);
    EXPECT_EQ(TerritorySelection[size_t(busiest)], 1);
    EXPECT_EQ(TerritorySelection[0], 1);
}

TEST_F(MapWindowTest, OptionsAnswerAndLegend) {
    TVedeCartina window(nullptr);
    void (TOpzioni2::*answer)() = nullptr;
    onShow = [&](QDialog& d) {
        auto* options = qobject_cast<TOpzioni2*>(&d);
        if (!options) return;
        std::remove((geo + "prova.bmp").c_str());
        (options->*answer)();
    };
    struct Case {
        void (TOpzioni2::*answer)();
        bool redrawn;
        const char* report;
    } cases[] = {{&TOpzioni2::AnnullaClick, false, ""},
                 {&TOpzioni2::EsciCartinaClick, true, ""},
                 {&TOpzioni2::ListaClick, false, "Distribuzione: "},
                 {&TOpzioni2::GraduatoriaClick, false, "Ordinamento: "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::remove((CoreState.ProgramDir + "tabella.txt").c_str());
        viewed.clear();
        answer = c.answer;
        window.Opzioni2Click();
        EXPECT_EQ(std::filesystem::exists(geo + "prova.bmp"), c.redrawn);
        const std::string report =
            *c.report ? ReadBytes(CoreState.ProgramDir + "tabella.txt") : std::string();
        EXPECT_EQ(report.substr(0, std::string(c.report).size()), c.report);
        EXPECT_EQ(viewed, *c.report ? std::vector<int>{0} : std::vector<int>{});
    }

    // Zoomed in, the legend goes to the click and the map stays where it is.
    answer = &TOpzioni2::EsciCartinaClick;
    MapState.ZoomLevel = 4;
    window.Opzioni2Click();
    const QPoint centre(MapState.ViewCentreX, MapState.ViewCentreY);
    window.Image1MouseDown(300, 200);
    window.Spostalalegendasulpuntoselezionato1Click();
    EXPECT_EQ(QPoint(MapState.LegendX, MapState.LegendY), QPoint(300, 200));
    EXPECT_EQ(QPoint(MapState.ViewCentreX, MapState.ViewCentreY), centre);
    EXPECT_EQ(MapState.PickX, -1);
    MapState.LegendX = 12;
    window.Spostalalegendasulpuntoselezionato1Click();
    EXPECT_EQ(MapState.LegendX, 12) << "no click since the last drawing: the legend stays";

    window.Help1Click();
    EXPECT_EQ(helpPages, std::vector<int>{91});
    EXPECT_EQ(CoreState.CommandCode, 0);
}

// The zoom chosen in the options is applied around the last click: the picked comune comes to
// the reference point in the middle of the map, at twice the base scale.
TEST_F(MapWindowTest, ZoomCentresOnTheClick) {
    const int comune = base->Code("Torino"), other = base->Code("Moncalieri");
    TVedeCartina window(nullptr);
    const QPoint at = LabelPixel(comune);
    const QPoint before = LabelPixel(other) - at;
    window.Image1MouseDown(at.x(), at.y());
    onShow = [](QDialog& d) {
        auto* options = qobject_cast<TOpzioni2*>(&d);
        if (!options) return;
        options->zoom->setCurrentRow(3 - 1);
        options->EsciCartinaClick();
    };
    window.Opzioni2Click();
    EXPECT_NEAR(MapCentroidX[comune], MapState.ReferenceX, 2);
    EXPECT_NEAR(MapCentroidY[comune], MapState.ReferenceY, 2);
    // Its neighbour now lies twice as far away.
    EXPECT_NEAR(MapCentroidX[other] - MapCentroidX[comune], 2 * before.x(), 2);
    EXPECT_NEAR(MapCentroidY[other] - MapCentroidY[comune], 2 * before.y(), 2);
}

// Where the map puts places: a few named comuni, made inactive (white, bordered in black, the
// other comuni and the sea grey), at the pixels their geographic position projects to, on the
// base map and at one unit a pixel.
TEST_F(MapWindowTest, PlacesLieWhereTheProjectionSays) {
    WriteBytes(geo + "leg-colo.dat", std::string(36, '\xC0'));  // every colour grey
    const test::BaseProjection projection;
    struct Place {
        const char* name;
        double lon, lat;
    } named[] = {{"Roma", 12.4964, 41.9028},    {"Milano", 9.1900, 45.4642}, {"Torino", 7.6869, 45.0703},
                 {"Palermo", 13.3615, 38.1157}, {"Bari", 16.8719, 41.1171},  {"Cagliari", 9.1217, 39.2238}};
    for (const Place& p : named) MapActiveComuni[size_t(base->Code(p.name) - 1)] = 0;
    const QColor grey(0xC0, 0xC0, 0xC0), white(255, 255, 255);
    // Some pixel of the 3 x 3 around the point has the colour: borders are a pixel wide.
    auto around = [](const QImage& image, QPointF at, const QColor& colour) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixelColor(int(at.x()) + dx, int(at.y()) + dy) == colour) return true;
        return false;
    };
    auto units = [&](double lon, double lat) {
        const auto u = projection.ToUnits(lon, lat);
        return QPointF(u[0], u[1]);
    };

    TVedeCartina window(nullptr);
    const QImage whole = window.Image1->Picture();
    for (const Place& p : named) EXPECT_TRUE(around(whole, units(p.lon, p.lat) / 32, white)) << p.name;
    const struct {
        double lon, lat;
    } elsewhere[] = {
        {11.0, 40.5}, {18.0, 43.0}, {11.2553, 43.7696} /* Firenze */, {12.3888, 43.1107} /* Perugia */};
    for (const auto& e : elsewhere) EXPECT_EQ(whole.pixelColor((units(e.lon, e.lat) / 32).toPoint()), grey);
    if (const char* out = std::getenv("QV_MAP_RENDER")) whole.save(out, "PNG");

    // Picked on Roma and zoomed to one unit a pixel: the picked place comes to the reference point.
    const QPoint pick = (units(12.4964, 41.9028) / 32).toPoint();
    window.Image1MouseDown(pick.x(), pick.y());
    onShow = [](QDialog& d) {
        auto* options = qobject_cast<TOpzioni2*>(&d);
        if (!options) return;
        options->zoom->setCurrentRow(7 - 1);
        options->EsciCartinaClick();
    };
    window.Opzioni2Click();
    const QImage deep = window.Image1->Picture();
    auto pixel = [&](double lon, double lat) {
        return units(lon, lat) - QPointF(pick * 32) + QPointF(MapState.ReferenceX, MapState.ReferenceY);
    };
    EXPECT_TRUE(around(deep, pixel(12.4964, 41.9028), white));
    EXPECT_EQ(deep.pixelColor(pixel(12.2508, 41.8003).toPoint()), grey);  // Fiumicino's airport
    EXPECT_EQ(deep.pixelColor(pixel(12.1800, 41.8000).toPoint()), grey);  // the sea off Fiumicino
    // Roma's border with Fiumicino runs between them.
    bool border = false;
    for (double lon = 12.2508; lon < 12.4964; lon += 0.0005)
        border |= deep.pixelColor(pixel(lon, 41.8003).toPoint()) == QColor(0, 0, 0);
    EXPECT_TRUE(border);
    if (const char* out = std::getenv("QV_MAP_RENDER_DEEP")) deep.save(out, "PNG");
}

TEST_F(MapWindowTest, PrintAsksTheScaleFirst) {
    TVedeCartina window(nullptr);
    const std::string pdf = root.Root() + "cartina.pdf";
    SetPrinterHook([&] { return pdf; });
    // The print scale closed without "Continua" prints nothing; confirmed at 50% it prints.
    window.Stampa1Click();
    EXPECT_FALSE(std::filesystem::exists(pdf)) << "print settings cancelled";
    On<TOpzioniStampaCartina>([](TOpzioniStampaCartina& scale) {
        scale.x->setText("50");
        scale.ContinuaClick();
    });
    window.Stampa1Click();
    EXPECT_EQ(MapState.PrintScaleX, 50);
    EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
    EXPECT_FALSE(window.Printing);
}

// The printed page, rendered at 48 dots an inch: the map at the default scale is printed about
// as large as on screen, more than 10 cm wide, and looks like the screen's picture (legend and
// texts in the same place and size, not over Italy). A scale too large for the page is reduced
// to fit it, keeping the proportions, and the user is told.
TEST_F(MapWindowTest, PrintedPageShowsTheMap) {
    TVedeCartina window(nullptr);
    const QImage screen = window.Image1->Picture();
    const std::string pdf = root.Root() + "cartina.pdf";
    SetPrinterHook([&] { return pdf; });
    std::string scale;
    On<TOpzioniStampaCartina>([&](TOpzioniStampaCartina& dialog) {
        dialog.x->setText(QString::fromStdString(scale));
        dialog.y->setText(QString::fromStdString(scale));
        dialog.ContinuaClick();
    });
    auto page = [&] {
        const std::string png = root.Root() + "pagina";
        const std::string command = "pdftoppm -r 48 -png -singlefile " + pdf + " " + png;
        EXPECT_EQ(std::system(command.c_str()), 0);
        QImage image(QString::fromStdString(png + ".png"));
        // The frame: the outermost rows and columns that are dark over most of their length.
        std::vector<int> rows(size_t(image.height())), columns(size_t(image.width()));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() < 100) ++rows[size_t(y)], ++columns[size_t(x)];
        auto ends = [](const std::vector<int>& counts, int least) {
            int first = -1, last = -1;
            for (int i = 0; i < int(counts.size()); ++i)
                if (counts[size_t(i)] >= least) (first < 0 ? first : last) = i;
            return std::pair{first, last};
        };
        const auto [top, bottom] = ends(rows, 150);
        const auto [left, right] = ends(columns, 100);
        return std::pair{image, QRect(QPoint(left, top), QPoint(right, bottom))};
    };

    scale = "100";
    window.Stampa1Click();
    const auto [printed, frame] = page();
    EXPECT_GE(frame.width(), 10 / 2.54 * 48);
    EXPECT_NEAR(frame.width(), 640 / 2, 10);  // as on a screen of 96 dots an inch
    int same = 0, samples = 0;
    for (int y = 2; y < screen.height() - 2; y += 4)
        for (int x = 2; x < screen.width() - 2; x += 4) {
            const QColor a = screen.pixelColor(x, y);
            const QColor b = printed.pixelColor(frame.left() + x * frame.width() / 640,
                                                frame.top() + y * frame.height() / 480);
            ++samples;
            same += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                        std::abs(a.blue() - b.blue()) <
                    120;
        }
    EXPECT_GT(same, samples * 9 / 10);
    EXPECT_TRUE(messages.empty());

    scale = "500";
    window.Stampa1Click();
    const auto [reduced, fitted] = page();
    EXPECT_NEAR(double(fitted.width()) / fitted.height(), 640.0 / 480, 0.02);
    EXPECT_GT(fitted.width(), frame.width());
    // The message states the scale the page really has against a screen of 96 dots an inch.
    ASSERT_EQ(messages.size(), 1u);
    std::smatch stated;
    ASSERT_TRUE(std::regex_search(messages[0], stated, std::regex(R"( ([0-9]+)% )"))) << messages[0];
    EXPECT_NEAR(std::stod(stated[1].str()), 100.0 * fitted.width() / (640 / 2), 3);
}

// A rescale in the options dialog writes the outlines at the new size; installing the base at
// the next start keeps them, so the restarted program draws the whole map at that size.
TEST_F(MapWindowTest, RescaleSurvivesTheNextStart) {
    {
        TOpzioni2 options(nullptr);
        options.xxx1->setText("640");
        options.xxx2->setText("960");
        options.yyy1->setText("480");
        options.yyy2->setText("720");
        options.EsegueClick();
    }
    InstallBase();
    ReleaseMapTables();
    StopProgram();
    StartProgram();
    CardSelectionMask.fill(0xFF);
    CoreState.ProceedFlag = 1;
    AllocateMapTables();
    TVedeCartina window(nullptr);
    EXPECT_EQ(window.Image1->Picture().size(), QSize(960, 720));
    const int palermo = base->Code("Palermo");
    EXPECT_NEAR(MapCentroidX[palermo], LabelPixel(palermo).x() * 3 / 2, 2);
    EXPECT_NEAR(MapCentroidY[palermo], LabelPixel(palermo).y() * 3 / 2, 2);
    EXPECT_GT(MapCentroidY[palermo], 480);
    if (const char* out = std::getenv("QV_MAP_RESCALED")) window.Image1->Picture().save(out, "PNG");
}

TEST_F(MapWindowTest, SaveBitmap) {
    TVedeCartina window(nullptr);

    answer = root.Root() + "copia.bmp";
    window.SalvacomeBitMap1Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].filter, "*.bmp");
    EXPECT_EQ(ReadBytes(answer), ReadBytes(geo + "prova.bmp"));

    // Another station's map saved in the shared directory meanwhile: the window shows its own.
    const QImage shown = window.Image1->Picture().copy();
    QImage other(shown.size(), QImage::Format_RGB32);
    other.fill(Qt::white);
    ASSERT_TRUE(other.save(QString::fromStdString(geo + "prova.bmp"), "BMP"));
    window.VisualizzaCartinaClick();
    EXPECT_EQ(window.Image1->Picture(), shown);
}

TEST_F(MapWindowTest, OpenerHoldsTheTablesWhileTheWindowIsOpen) {
    ReleaseMapTables();
    RegisterQuickCommand(QuickCommand::Map, &OpenMapWindow);
    size_t whileOpen = 0;
    onShow = [&](QDialog&) { whileOpen = MapCardCounts.size(); };
    ASSERT_TRUE(OpenQuickCommand(QuickCommand::Map, nullptr));
    EXPECT_EQ(shown, std::vector<std::string>{"TVedeCartina"});
    EXPECT_EQ(whileOpen, 8251u);
    EXPECT_TRUE(MapCardCounts.empty());

    // Without the prepared card count the window is not opened; the error is shown.
    std::remove((CoreState.ArchiveDir + "dli-dat.dat").c_str());
    shown.clear();
    OpenQuickCommand(QuickCommand::Map, nullptr);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(MapCardCounts.empty());
}

}  // namespace
}  // namespace qv
