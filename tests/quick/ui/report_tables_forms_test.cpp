#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "elaborations/grid_files.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/report_table_view.h"
#include "quick/ui/telabvelocireports.h"
#include "support/card_reading.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

// The report files of the sample archive: rows by sex, columns by civil status with the total.
const char* const kRows = "#Per sesso\r\nSesso,-1;*Maschi\r\nSesso,-2;*Femmine\r\n";
const char* const kColumns =
    "#Per stato civile\r\n*\r\nStato,-1;*Celibi\\nubili\r\nStato,-2;*Coniugati\r\nStato,-3;*Separati\r\n"
    "Stato,-4;*Divorziati\r\nStato,-5;*Vedovi\r\n0;\r\n*\r\n";

class ReportTablesFormsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        GenerateDichotomousGrid();
        GenerateTableHeadings();
        CopyGridsToQuickSet([] { return true; });
        NoProgress none;
        ASSERT_EQ(BuildDichotomousMatrix(none), MatrixOutcome::Done);
        WriteBytes(Arch("ri2-dat.txt"), kRows);
        WriteBytes(Arch("tab-dat.txt"), kColumns);
        CoreState.ElaborationMode = 2;
    }
    void TearDown() override {
        RegisterQuickCommand(QuickCommand::ReportTables, nullptr);
        RegisterQuickCommand(QuickCommand::LinkedArchives, nullptr);
        RegisterQuickCommand(QuickCommand::Lists, nullptr);
        StartedProgram::TearDown();
    }
    std::string Log() const { return ReadBytes(Arch("Selezio." + CoreState.StationNumber)); }

    // Cards whose sex and civil status are the given codes (0: any), among those `selected`,
    // read from the card files.
    static int CountCards(int sex, int status, const std::function<bool(int32_t)>& selected) {
        return test::CountCards([&](int32_t c) {
            return (sex == 0 || GetCardWord(kSex) == sex) &&
                   (status == 0 || GetCardWord(kMarital) == status) && selected(c);
        });
    }
    static void SelectEvenCards() {
        CardSelectionMask.fill(0);
        for (size_t i = 0; i < CardSelectionMask.size(); ++i) CardSelectionMask[i] = 0xAA;
    }
};

TEST_F(ReportTablesFormsTest, FrontListsTheSetsAndStartsTheLog) {
    WriteBytes(Arch("cnd-dat.dat"), "*Maschi\r\nSesso,-1;\r\n*Femmine\r\nSesso,-2;\r\n");
    CoreState.ReportCondition = 1;
    TElabVelociReports d(nullptr);
    EXPECT_FALSE(d.Cartina->isEnabled());
    ASSERT_EQ(d.Condizione->count(), 2);
    EXPECT_EQ(d.Condizione->currentText(), "Femmine");
    EXPECT_EQ(d.colonne->currentText(), "Per stato civile");
    EXPECT_EQ(d.righe->currentText(), "Per sesso");
    EXPECT_EQ(Log(), "Testo 722\r\n");
    EXPECT_EQ(d.Testo->toPlainText(), "Testo 722");

    d.Help2Click();
    EXPECT_EQ(helpPages, std::vector<int>{44});
}

TEST_F(ReportTablesFormsTest, SavedConditionBecomesTheSelection) {
    WriteBytes(
        Arch("cnd-dat.dat"),
        "*Maschi\r\nSesso,-1;\r\n*Femmine coniugate\r\nSesso,-2;Stato,-2;\r\n*Sbagliata\r\nSesso,-7;\r\n");
    SelectEvenCards();
    TElabVelociReports d(nullptr);
    d.Condizione->setCurrentIndex(1);
    d.SelezionaClick();
    const int expected = CountCards(2, 2, [](int32_t) { return true; });
    ASSERT_GT(expected, 0);
    EXPECT_EQ(CountCards(0, 0, IsCardSelected), expected);  // the odd cards count as well
    EXPECT_EQ(CoreState.ReportCondition, 1);
    EXPECT_EQ(Log(), "Femmine coniugate\r\n");
    EXPECT_EQ(d.Testo->toPlainText(), "Femmine coniugate");
    EXPECT_TRUE(messages.empty());

    // An item naming no category is left out, and said.
    d.Condizione->setCurrentIndex(2);
    d.SelezionaClick();
    EXPECT_EQ(CountCards(0, 0, IsCardSelected), CoreState.LastCard + 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Sesso,-7;"), std::string::npos);
}

TEST_F(ReportTablesFormsTest, ReportShowsTheTableOfTheChosenSets) {
    SelectEvenCards();
    TElabVelociReports d(nullptr);
    d.Testo->setPlainText("Le schede pari\nseconda riga\n");
    std::vector<int> codes;
    ReportTable table;
    QImage picture;
    onShow = [&](QDialog& shownDialog) {
        auto* view = qobject_cast<TVedeTabella*>(&shownDialog);
        if (!view) return;
        codes = {CoreState.ProceedFlag, CoreState.CommandCode, CoreState.ElaborationMode};
        table = view->Table();
        picture = view->Picture();
    };
    d.ReportClick();
    EXPECT_EQ(shown, std::vector<std::string>{"TVedeTabella"});
    EXPECT_EQ(codes, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(CoreState.ElaborationMode, 2);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(Log(), "Le schede pari\r\nseconda riga\r\n");

    const auto even = [](int32_t c) { return c % 2 == 0; };
    ASSERT_EQ(table.RowCount, 2);
    ASSERT_EQ(table.ColumnCount, 5);
    for (int r = 1; r <= 2; ++r) {
        int rowTotal = 0;
        for (int c = 1; c <= 5; ++c) {
            EXPECT_EQ(table.Counts[size_t(r)][size_t(c)], CountCards(r, c, even)) << r << "," << c;
            rowTotal += CountCards(r, c, even);
        }
        EXPECT_EQ(table.Counts[size_t(r)][6], rowTotal);
    }
    EXPECT_EQ(table.LogLines[0], "Per sesso - Le schede pari");
    EXPECT_EQ(table.LogLines[1], "seconda riga");

    // W = 120 + 50 x 6 + 5, H = 10 + 100 + 23 x 3 + 23 x 2 + 10 (one backslash: two heading lines).
    ASSERT_EQ(picture.width(), 425);
    ASSERT_EQ(picture.height(), 235);
    const std::string bmp = ReadBytes(Arch("prova2.bmp"));
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(int(uint8_t(bmp[28])), 1);  // one bit a pixel
    auto black = [&](int x, int y) { return picture.pixelColor(x, y) == QColor(Qt::black); };
    // Table top 156, right 420, bottom 225, heading top 111.
    struct Spot {
        int x, y;
        bool black;
    };
    const Spot spots[] = {
        {1, 156, true},    {1, 225, true},    {420, 190, true},  {121, 120, true}, {300, 111, true},
        {125, 158, false}, {423, 233, false}, {300, 100, false}, {5, 190, false},
    };
    for (const Spot& s : spots) EXPECT_EQ(black(s.x, s.y), s.black) << s.x << "," << s.y;
    int dotsOn = 0, dotsOff = 0;
    for (int x = 2; x < 119; ++x) (black(x, 179) ? dotsOn : dotsOff)++;
    EXPECT_GT(dotsOn, 10);
    EXPECT_GT(dotsOff, 10);
    int title = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 200; ++x) title += black(x, y) ? 1 : 0;
    EXPECT_GT(title, 50);

    EXPECT_TRUE(FileExists(Prog("Geolar.Htm")));
}

TEST_F(ReportTablesFormsTest, PrintsLandscapeWithTheChosenEnlargement) {
    WriteBytes(Arch("Selezio." + CoreState.StationNumber), "Tutte\r\n");
    CoreState.ProceedFlag = 1;
    CoreState.CommandCode = 1;
    CoreState.ElaborationMode = 1;
    TVedeTabella view(nullptr);
    const std::string pdf = root.Root() + "tabella.pdf";
    SetPrinterHook([&pdf] { return pdf; });
    onShow = [](QDialog& d) {
        auto* options = qobject_cast<TOpzioniStampa*>(&d);
        if (!options) return;
        EXPECT_EQ(options->x->text(), "500");  // never chosen at this station
        options->x->setText("300");
        options->EsciClick();
    };
    view.Stampa1Click();
    EXPECT_EQ(CoreState.PrintEnlargement, 300);
    EXPECT_EQ(ReadBytes(Arch("Stampa." + CoreState.StationNumber)), "300\r\n");
    const std::string printed = ReadBytes(pdf);
    ASSERT_EQ(printed.substr(0, 4), "%PDF");
    const size_t box = printed.find("/MediaBox [");
    ASSERT_NE(box, std::string::npos);
    double x0, y0, x1, y1;
    ASSERT_EQ(std::sscanf(printed.c_str() + box + 11, "%lf %lf %lf %lf", &x0, &y0, &x1, &y1), 4);
    EXPECT_GT(x1 - x0, y1 - y0);
    EXPECT_FALSE(view.Printing);

    // A text that is no whole number keeps the enlargement; a saved one is read back.
    onShow = [](QDialog& d) {
        auto* options = qobject_cast<TOpzioniStampa*>(&d);
        if (!options) return;
        EXPECT_EQ(options->x->text(), "300");
        options->x->setText("tanto");
        options->EsciClick();
    };
    SetPrinterHook([] { return std::string(); });
    CoreState.PrintEnlargement = 0;
    view.Stampa1Click();
    EXPECT_EQ(CoreState.PrintEnlargement, 300);
}

TEST_F(ReportTablesFormsTest, SavesThePageAndThePicture) {
    {
        TVedeTabella empty(nullptr);  // not opened by the reports dialog: nothing is drawn
        EXPECT_TRUE(empty.Picture().isNull());
        EXPECT_FALSE(FileExists(Arch("prova2.bmp")));
    }
    WriteBytes(Arch("Selezio." + CoreState.StationNumber), "Tutte\r\n");
    CoreState.ProceedFlag = 1;
    CoreState.CommandCode = 1;
    CoreState.ElaborationMode = 1;
    TVedeTabella view(nullptr);
    requests.clear();
    fileAnswers = {root.Root() + "copia.htm", root.Root() + "copia.bmp"};
    view.Salvainhtm1Click();
    view.SalvainBitMap1Click();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].filter, "*.htm");
    EXPECT_EQ(requests[1].fileName, "*.bmp");
    EXPECT_EQ(ReadBytes(root.Root() + "copia.htm"), ReadBytes(Prog("Geolar.Htm")));
    EXPECT_EQ(ReadBytes(root.Root() + "copia.bmp"), ReadBytes(Arch("prova2.bmp")));

    view.Help1Click();
    EXPECT_EQ(helpPages, std::vector<int>{92});
    EXPECT_EQ(view.Answer(), 0);
}

TEST_F(ReportTablesFormsTest, RefiningTheSelectionElsewhere) {
    WriteBytes(Arch("cnd-dat.dat"), "*A\r\nSesso,-1;\r\n*B\r\nSesso,-2;\r\n");
    std::vector<int> proceed;
    RegisterQuickCommand(QuickCommand::LinkedArchives, [&](QWidget*) {
        proceed.push_back(CoreState.ProceedFlag);
        CoreState.ReportCondition = 1;
        WriteBytes(Arch("Selezio." + CoreState.StationNumber), "Tutte\r\nEnte uno\r\n");
    });
    TElabVelociReports d(nullptr);
    d.LinkClick();
    EXPECT_EQ(proceed, std::vector<int>{1});
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(d.Condizione->currentIndex(), 1);
    EXPECT_EQ(d.Testo->toPlainText(), "Tutte\nEnte uno");

    onShow = [this](QDialog&) {
        CoreState.ReportCondition = 0;
        WriteBytes(Arch("Selezio." + CoreState.StationNumber), "Testo 775\r\n");
    };
    d.UlterioriClick();
    EXPECT_EQ(shown, std::vector<std::string>{"TElabVelociSeleziona"});
    EXPECT_EQ(d.Condizione->currentIndex(), 0);
    EXPECT_EQ(d.Testo->toPlainText(), "Testo 775");

    d.Testo->setPlainText("scritto a mano");
    d.EsciClick();
    EXPECT_EQ(Log(), "scritto a mano\r\n");
}

}  // namespace
}  // namespace qv
