#include "territory/ui/map_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cardwindow/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "quick/ui/quick_commands.h"
#include "support/program_dir.h"
#include "territory/map_tables.h"
#include "territory/ui/print_settings_forms.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// The sample archive with its quick files prepared, every card selected, and the shipped
// schematic base: every comune a cell of three pixels on the base map.
class MapWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        geo = root.Root() + "morvidex.win/geolar/";
        std::filesystem::create_directories(geo);
        std::filesystem::copy(std::string(QV_SOURCE_DIR) + "/data/territory/geolar", geo,
                              std::filesystem::copy_options::recursive);
        StartProgram();
        ASSERT_EQ(MapState.TerritoryDir, geo);
        GenerateDichotomousGrid();
        GenerateTableHeadings();
        CopyGridsToQuickSet([] { return true; });
        WriteTerritorialVariableList();
        NoProgress none;
        ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
        ASSERT_TRUE(PreparePerCardValues(PerCardValueKind::Territory, 1, none));
        CardSelectionMask.fill(0xFF);
        SetModalHook([this](QDialog& d) {
            shown.push_back(d.objectName().toStdString());
            if (qobject_cast<THelp*>(&d)) viewed.push_back(CoreState.CommandCode);
            if (qobject_cast<THelpRTF*>(&d)) helpPages.push_back(CoreState.CommandCode);
            return 0;
        });
        SetMessageHook([this](const MessageRequest& r) {
            messages.push_back(r.text);
            return 1;
        });
        CoreState.ProceedFlag = 1;
        AllocateMapTables();
    }
    void TearDown() override {
        ReleaseMapTables();
        for (QuickCommand c : {QuickCommand::Map, QuickCommand::MapOptions}) RegisterQuickCommand(c, nullptr);
        ResetUiHooks();
        StopProgram();
        ResetProgramState();
    }

    // Cards per comune counted from the cards themselves, through the prepared territory field.
    std::vector<int> CardsPerComune() const {
        std::vector<int> counts(8251, 0);
        const int field = ReadQuickVariableList(kQuickTerritoryListId).value().at(0).Field;
        const int32_t keep = CoreState.CurrentCard;
        for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
            CoreState.CurrentCard = c;
            ReadCardValues();
            const int code = GetCardWord(field);
            if (code > 0 && code <= 8100) ++counts[size_t(code)];
        }
        CoreState.CurrentCard = keep;
        return counts;
    }
    // The label point of comune k on the base map: the middle of its box, 32 units a pixel.
    QPoint LabelPixel(int k) const {
        const std::string boxes = ReadBytes(geo + "mmx-zor.dat");
        const auto* box = reinterpret_cast<const uint8_t*>(boxes.data()) + 20 * (k - 1);
        return {(GetI32(box + 4) + GetI32(box + 8)) / 2 / 32, (GetI32(box + 12) + GetI32(box + 16)) / 2 / 32};
    }
    static void Type(QWidget& w, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, text);
        QApplication::sendEvent(&w, &press);
    }

    test::ProgramRoot root;
    std::string geo;
    std::vector<std::string> shown, messages;
    std::vector<int> viewed, helpPages;
};

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

    // Off the point by one pixel each way: still the comune, whose neighbours are 3 pixels away.
    window.Image1MouseDown(at.x() + 1, at.y() - 1);
    EXPECT_EQ(MapState.ChosenComune, busiest);
    EXPECT_EQ(MapState.PickX, at.x() + 1);
    EXPECT_EQ(ReadBytes(geo + "dli-poli.dat").size(), 8100u * 4) << "label points kept at the first click";
    // The cross and the name are drawn on the image, in black.
    EXPECT_EQ(window.Image1->Picture().pixelColor(at.x() + 1, at.y() - 1), QColor(0, 0, 0));
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
    int answer = 0;
    RegisterQuickCommand(QuickCommand::MapOptions, [&](QWidget*) {
        std::remove((geo + "prova.bmp").c_str());
        CoreState.CommandCode = answer;
    });
    struct Case {
        int answer;
        bool redrawn;
        const char* report;
    };
    for (const Case& c : {Case{0, false, ""}, Case{1, true, ""}, Case{2, false, "Distribuzione: "},
                          Case{3, false, "Ordinamento: "}, Case{7, false, ""}}) {
        SCOPED_TRACE(c.answer);
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

    window.Image1MouseDown(300, 200);
    window.Spostalalegendasulpuntoselezionato1Click();
    EXPECT_EQ(QPoint(MapState.LegendX, MapState.LegendY), QPoint(300, 200));
    EXPECT_EQ(MapState.PickX, -1) << "the drawing used the pick";
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
    const int comune = 1;
    TVedeCartina window(nullptr);
    const QPoint at = LabelPixel(comune);
    window.Image1MouseDown(at.x(), at.y());
    RegisterQuickCommand(QuickCommand::MapOptions, [](QWidget*) {
        MapState.ZoomLevel = 3;
        CoreState.CommandCode = 1;
    });
    window.Opzioni2Click();
    EXPECT_NEAR(MapCentroidX[comune], MapState.ReferenceX, 2);
    EXPECT_NEAR(MapCentroidY[comune], MapState.ReferenceY, 2);
    // The next comune of its column now lies six pixels below instead of three.
    EXPECT_NEAR(MapCentroidY[comune + 1] - MapCentroidY[comune], 6, 1);
}

TEST_F(MapWindowTest, PrintAndSaveBitmap) {
    TVedeCartina window(nullptr);
    const std::string pdf = root.Root() + "cartina.pdf";
    SetPrinterHook([&] { return pdf; });
    // The print scale closed without "Continua" prints nothing; confirmed at 50% it prints.
    window.Stampa1Click();
    EXPECT_FALSE(std::filesystem::exists(pdf)) << "print settings cancelled";
    SetModalHook([](QDialog& d) {
        if (auto* scale = dynamic_cast<TOpzioniStampaCartina*>(&d)) {
            scale->x->setText("50");
            scale->ContinuaClick();
        }
        return 1;
    });
    window.Stampa1Click();
    EXPECT_EQ(MapState.PrintScaleX, 50);
    EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
    EXPECT_FALSE(window.Printing);

    FileDialogRequest asked;
    const std::string copy = root.Root() + "copia.bmp";
    SetFileDialogHook([&](const FileDialogRequest& r) {
        asked = r;
        return copy;
    });
    window.SalvacomeBitMap1Click();
    EXPECT_EQ(asked.directory, CoreState.ProgramDir);
    EXPECT_EQ(asked.filter, "*.bmp");
    EXPECT_EQ(ReadBytes(copy), ReadBytes(geo + "prova.bmp"));
}

TEST_F(MapWindowTest, OpenerHoldsTheTablesWhileTheWindowIsOpen) {
    ReleaseMapTables();
    RegisterQuickCommand(QuickCommand::Map, &OpenMapWindow);
    size_t whileOpen = 0;
    SetModalHook([&](QDialog& d) {
        shown.push_back(d.objectName().toStdString());
        whileOpen = MapCardCounts.size();
        return 0;
    });
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
