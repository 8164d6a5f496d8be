#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/thelprtf.h"
#include "elaborations/grid_files.h"
#include "elaborations/typologies.h"
#include "elaborations/ui/factor_dialogs.h"
#include "elaborations/ui/tvedeafc.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"
#include "support/loadings_file.h"
#include "support/recording_progress.h"
#include "support/records.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory (texts "Testo N"), with a standard
// analysis of three categories and three factors.
class FactorPlaneFormsTest : public test::ElaborationForms {
  protected:
    void SetUp() override {
        ElaborationForms::SetUp();
        CoreState.ElaborationMode = 1;
        // The analysis took grid lines 1 to 3.
        WriteBytes(Archive("maf-sch.dat"), test::Words({0, 1, 2}));
        WriteBytes(Archive("fat-sch.dat"),
                   test::LoadingsBytes({{0.5, -0.5, 0.25}, {0.25, 0.5, -0.75}, {0.125, 0.375, 0.625}}));
        CoreState.PlaneFactorX = 1;
        CoreState.PlaneFactorY = 2;
        RegisterFactorPlaneAndTypologies();
    }

    // Opens the plane through the factor dialogs' registry and runs `body` while it is shown.
    void WithPlane(const std::function<void(TVedeAFC&)>& body) {
        int planes = 0;
        On<TVedeAFC>([&](TVedeAFC& plane) {
            ++planes;
            EXPECT_EQ(CoreState.ProceedFlag, 1);
            body(plane);
        });
        EXPECT_TRUE(OpenFactorPlane(nullptr));
        EXPECT_EQ(planes, 1);
        EXPECT_EQ(CoreState.ProceedFlag, 0);
    }

    static bool Black(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); }
    static bool White(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); }
    // A cross at (x, y): three pixels each way from its centre, the fourth left white.
    static void ExpectCross(const QImage& image, int x, int y) {
        for (int d = -3; d <= 3; ++d) {
            EXPECT_TRUE(Black(image, x + d, y)) << x << "," << y << " dx " << d;
            EXPECT_TRUE(Black(image, x, y + d)) << x << "," << y << " dy " << d;
        }
        for (int d : {-4, 4}) {
            EXPECT_TRUE(White(image, x + d, y)) << x << "," << y << " dx " << d;
            EXPECT_TRUE(White(image, x, y + d)) << x << "," << y << " dy " << d;
        }
    }
    static bool AnyInk(const QImage& image, int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (!White(image, x, y)) return true;
        return false;
    }
};

// Slots on factors 1 and 2: (0.5, 0.25) -> (472, 162), (-0.5, 0.5) -> (157, 108),
// (0.25, -0.75) -> (393, 378).
TEST_F(FactorPlaneFormsTest, DrawsFrameAxesAndCrosses) {
    CoreState.PlaneNumbers = 1;
    CoreState.CardWindowMode = 2;
    WithPlane([&](TVedeAFC& plane) {
        EXPECT_EQ(Cp(plane.windowTitle()), "Testo 1418");
        EXPECT_EQ(Cp(plane.Esci2->text()), "Testo 1425");
        EXPECT_FALSE(plane.Disegna->isVisible());
        EXPECT_EQ(CoreState.FactorCount, 3);
        EXPECT_EQ(CoreState.FactorVariableCount, 3);
        EXPECT_EQ(CoreState.PlaneNumbers, 0);
        EXPECT_EQ(CoreState.CardWindowMode, 1);

        const QImage& image = plane.Picture();
        ASSERT_EQ(image.size(), QSize(631, 433));
        for (auto [x, y] : {std::pair{0, 0}, {0, 432}, {630, 432}, {630, 0}, {100, 0}, {0, 300}, {630, 300}})
            EXPECT_TRUE(Black(image, x, y)) << x << "," << y;
        for (auto [x, y] : {std::pair{315, 1}, {315, 431}, {1, 216}, {629, 216}, {315, 300}})
            EXPECT_TRUE(Black(image, x, y)) << x << "," << y;
        for (auto [x, y] : {std::pair{1, 1}, {314, 300}, {316, 300}, {300, 215}, {300, 217}})
            EXPECT_TRUE(White(image, x, y)) << x << "," << y;
        ExpectCross(image, 472, 162);
        ExpectCross(image, 157, 108);
        ExpectCross(image, 393, 378);
        // The labels: " f. 1 " ending at the right edge under y 208, "f. 2" at the top centre.
        EXPECT_TRUE(AnyInk(image, 580, 208, 629, 224));
        EXPECT_TRUE(AnyInk(image, 295, 2, 312, 16));
        EXPECT_FALSE(AnyInk(image, 250, 2, 290, 16));

        // The picture file is the picture.
        const QImage file(Qs(Archive("Prova.bmp")), "BMP");
        ASSERT_FALSE(file.isNull());
        EXPECT_EQ(file.convertToFormat(QImage::Format_RGB32), image);

        // Numbers instead of crosses, then crosses again.
        plane.Croci->trigger();
        EXPECT_EQ(CoreState.PlaneNumbers, 1);
        EXPECT_TRUE(White(plane.Picture(), 469, 162));
        EXPECT_TRUE(AnyInk(plane.Picture(), 472, 162, 482, 176));
        plane.Croci->trigger();
        ExpectCross(plane.Picture(), 472, 162);
    });
}

TEST_F(FactorPlaneFormsTest, ClicksStepAndTurn) {
    WithPlane([&](TVedeAFC& plane) {
        // Straight up from the centre: factor 1 becomes the old factor 2, factor 2 the old
        // factor 1 negated; slot 1 (0.5, 0.25) now stands at (0.25, -0.5) -> (393, 324).
        QTest::mouseClick(plane.Piano, Qt::LeftButton, {}, QPoint(315, 100));
        ExpectCross(plane.Picture(), 393, 324);

        // The right margin shows factors 2 and 3; slot 1 is at (-0.5, 0.125) -> (157, 189).
        QTest::mouseClick(plane.Piano, Qt::LeftButton, {}, QPoint(610, 216));
        EXPECT_EQ(CoreState.PlaneFactorX, 2);
        EXPECT_EQ(CoreState.PlaneFactorY, 3);
        ExpectCross(plane.Picture(), 157, 189);
        QTest::mouseClick(plane.Piano, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(CoreState.PlaneFactorX, 1);
        EXPECT_EQ(CoreState.PlaneFactorY, 3);
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(FactorPlaneFormsTest, SaveAsBitmapPrintAndHelp) {
    const std::string saved = root / "piano.bmp";
    const std::string pdf = root / "piano.pdf";
    WithPlane([&](TVedeAFC& plane) {
        answer = saved;
        plane.SalvacomeBitmap1->trigger();
        ASSERT_EQ(requests.size(), 1u);
        const FileDialogRequest& asked = requests[0];
        EXPECT_EQ(asked.kind, FileDialogKind::Save);
        EXPECT_EQ(asked.directory, CoreState.ProgramDir);
        EXPECT_EQ(asked.fileName, "*.bmp");
        EXPECT_EQ(ReadBytes(saved), ReadBytes(Archive("Prova.bmp")));

        SetPrinterHook([&] { return pdf; });
        plane.Stampa1->trigger();
        EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");

        plane.Help2->trigger();
        EXPECT_EQ(helpPages, std::vector<int>{90});
        EXPECT_EQ(CoreState.CommandCode, 0);
    });
}

TEST_F(FactorPlaneFormsTest, MissingLoadingsFile) {
    std::remove(Archive("fat-sch.dat").c_str());
    WithPlane([&](TVedeAFC& plane) {
        EXPECT_EQ(CoreState.FactorCount, 0);
        // Frame and axes, no crosses; a turn cannot be written back.
        EXPECT_TRUE(White(plane.Picture(), 472, 162));
        QTest::mouseClick(plane.Piano, Qt::LeftButton, {}, QPoint(315, 100));
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_FALSE(std::filesystem::exists(Archive("fat-sch.dat")));
    });
}

// The attribution the factor dialogs run, on the sample archive: one typology of the first
// grid line, weight 1, scores 100 on the cards of that category and 0 on the others.
class TypologyAttributionTest : public FactorPlaneFormsTest {
  protected:
    void SetUp() override {
        FactorPlaneFormsTest::SetUp();
        profile = CoreState.ProgramDir + "profilo.txt";  // the test's own program directory
        GenerateDichotomousGrid();
        WriteBytes(profile, "----- Fattore 1\r\n  1       1.000 (   1) x\r\n");
        CardSelectionMask.fill(0);
        CardSelectionMask[0] = 0xFF;  // cards 0..7
        for (int f = 1; f <= CoreState.FieldCount && field == 0; ++f)
            if (TypologyScoreOffset(f) >= 0) field = f;
        ASSERT_GT(field, 0);
        CoreState.TypologyField = field;
        CoreState.WriteAccess = 1;
    }
    bool Run() {
        test::RecordingProgress progress;
        const bool registered = RunTypologyAttribution(profile, progress);
        barMaximum = progress.maximum;
        return registered;
    }
    std::string profile;
    int field = 0;
    int barMaximum = -1;
};

TEST_F(TypologyAttributionTest, ScoresTheSelectedCards) {
    const CategoryGrid grid = LoadCategoryGrid(Archive("grl-sch.txt"));
    std::vector<bool> inFirst;
    for (int c = 0; c < 8; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        const int v = GetCardWord(grid.Field[1]);
        inFirst.push_back(v >= grid.Low[1] && v <= grid.High[1]);
    }
    CoreState.CurrentCard = CoreState.LastCard + 1;
    const std::string before = ReadBytes(Archive("num-sch.dat"));
    const size_t cardBytes = size_t(CoreState.CardWordCount) * 2;
    ASSERT_TRUE(Run());
    EXPECT_EQ(barMaximum, CoreState.LastCard);
    EXPECT_EQ(ReadBytes(Archive("tipi.txt")), "Testo 147 1\r\n         1      1000\r\n");
    const int position = FieldPositions[size_t(field)];
    for (int c = 0; c < 9; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        if (c == 8) {  // not selected
            EXPECT_EQ(ReadBytes(Archive("num-sch.dat")).substr(8 * cardBytes, cardBytes),
                      before.substr(8 * cardBytes, cardBytes));
            continue;
        }
        EXPECT_EQ(int16_t(CurrentCardValues[size_t(position)]), inFirst[size_t(c)] ? 100 : 0) << c;
        for (int t = 1; t < 20; ++t) EXPECT_EQ(int16_t(CurrentCardValues[size_t(position + t)]), -32000);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(TypologyAttributionTest, Refusals) {
    const std::string before = ReadBytes(Archive("num-sch.dat"));
    struct Case {
        int writeAccess, mode, field;
        const char* message;
    } cases[] = {
        {0, 1, field, "Testo 1007"},
        // No field named, and a field without twenty free words for the scores.
        {1, 1, 0, "Testo 148"},
        {1, 2, 0, "Testo 532"},
        {1, 1, 4001, "Testo 1695"},
        {1, 2, 4001, "Testo 1695"},
    };
    for (const Case& c : cases) {
        messages.clear();
        CoreState.WriteAccess = uint8_t(c.writeAccess);
        CoreState.ElaborationMode = c.mode;
        CoreState.TypologyField = c.field;
        ASSERT_TRUE(Run());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], c.message);
    }
    EXPECT_EQ(ReadBytes(Archive("num-sch.dat")), before);
    EXPECT_FALSE(std::filesystem::exists(Archive("tipi.txt")));
}

}  // namespace
}  // namespace qv
