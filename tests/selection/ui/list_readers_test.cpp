// The clickable list and the labels on the sample archive: a list made by the list engine, then
// a click on a row makes its card the card in hand; labels laid out from the same list.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "selection/list_engine.h"
#include "selection/ui/tetichette.h"
#include "selection/ui/tlistacliccabile.h"
#include "support/card_selection.h"
#include "support/card_window.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using namespace test;

const std::vector<int32_t> kListed = {5, 17, 40, 41};

class ListReadersTest : public ::testing::Test, public DialogScript {
  protected:
    void SetUp() override {
        StartProgram();
        RegisterAllDialogs();
        messageAnswer = 0;
        Install();
    }
    void TearDown() override { test::StopCardWindowProgram(); }
    // The names of the listed cards, one line each, through the list engine.
    void MakeList() {
        WriteBytes(root / "Pianalto/mas-dat.txt", "#1,40*\r\n");
        CardSelectionMask.fill(0);
        for (int32_t c : kListed) test::MarkSelected(c);
        NoProgress progress;
        RunSequentialList(progress);
    }
    static std::string StoredName(int32_t card) {
        CoreState.CurrentCard = card;
        ReadCardText();
        ReadCardValues();
        return FormatFieldValue(1);
    }
    // Shows the list through the card window's registry; `act` runs while it is shown.
    void OpenList(const std::function<void(TListaCliccabile&)>& act) {
        On<TListaCliccabile>(act);
        ASSERT_TRUE(OpenCardDialog(CardDialog::ClickableList, nullptr));
    }
    static void ClickRow(TListaCliccabile& list, int row) {
        list.show();
        QListWidgetItem* item = list.Lista->item(row);
        QTest::mouseClick(list.Lista->viewport(), Qt::LeftButton, {},
                          list.Lista->visualItemRect(item).center());
    }

    ProgramRoot root;
};

TEST_F(ListReadersTest, ClickOnARowMakesItsCardCurrent) {
    std::vector<std::string> names;
    for (int32_t c : kListed) names.push_back(StoredName(c));
    MakeList();
    CoreState.CurrentCard = 0;
    OpenList([&](TListaCliccabile& list) {
        EXPECT_EQ(list.windowTitle().toStdString(), CoreState.ProgramDir + "Testo 1024");
        ASSERT_EQ(list.Lista->count(), int(kListed.size()));
        EXPECT_EQ(list.Lista->currentRow(), -1);
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(list.Lista->item(int(i))->text().trimmed().toStdString(), names[i]);
        ClickRow(list, 2);
    });
    EXPECT_EQ(CoreState.CommandCode, 1);
    EXPECT_EQ(CoreState.CurrentCard, kListed[2]);
    EXPECT_EQ(CoreState.ListRow, 2);

    // Reopened, the row clicked last is selected again; leaving by the menu answers 0.
    OpenList([](TListaCliccabile& list) {
        EXPECT_EQ(list.Lista->currentRow(), 2);
        EXPECT_EQ(CoreState.CommandCode, 0);
        list.Esci1->trigger();
    });
    EXPECT_EQ(CoreState.CommandCode, 0);
    EXPECT_EQ(CoreState.CurrentCard, kListed[2]);
}

TEST_F(ListReadersTest, MissingListAndBadRows) {
    std::remove((root / "lista.txt").c_str());
    OpenList([](TListaCliccabile& list) {
        EXPECT_EQ(list.windowTitle(), "Testo 1021");
        EXPECT_EQ(list.Lista->count(), 0);
    });
    // A row without its record shows the error and keeps the window open; a negative card
    // number names no card.
    MakeList();
    CoreState.CurrentCard = 0;
    for (const auto& [rows, row] : {std::pair{"\x05\0\0\0", 1}, std::pair{"\xff\xff\xff\xff", 0}}) {
        WriteBytes(root / "dli-list.dat", std::string(rows, 4));
        OpenList([row = row](TListaCliccabile& list) {
            ClickRow(list, row);
            EXPECT_EQ(list.result(), QDialog::Rejected);
        });
        EXPECT_EQ(CoreState.CommandCode, 0);
        EXPECT_EQ(CoreState.CurrentCard, 0);
    }
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ListReadersTest, PrintsTheWholeList) {
    std::string text;
    for (int n = 0; n < 300; ++n) text += "riga " + std::to_string(n) + "\r\n";
    WriteBytes(root / "lista.txt", text);
    const std::string pdf = root.Root() + "lista.pdf";
    SetPrinterHook([&] { return pdf; });
    {
        TListaCliccabile list(nullptr);
        list.Stampa1Click();
    }
    const std::string printed = ReadBytes(pdf);
    std::smatch count;
    ASSERT_TRUE(std::regex_search(printed, count, std::regex("/Count (\\d+)")));
    EXPECT_GE(std::stoi(count[1]), 3);  // 300 lines do not fit on two pages
}

TEST_F(ListReadersTest, LabelsDialog) {
    MakeList();  // four names; the mask has one line
    CoreState.LabelColumns = 2;
    CoreState.LabelWidth = 6;
    ASSERT_TRUE(OpenCardDialog(CardDialog::Labels, nullptr));
    EXPECT_EQ(forms.at(0), "TEtichette");

    TEtichette d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Testo 871");
    EXPECT_EQ(d.nRighe->text(), "1");
    EXPECT_EQ(d.nCol->text(), "2");
    EXPECT_EQ(d.nCar->text(), "6");

    d.nRighe->setText("7");  // not used: a label has the mask's lines
    d.Crea->click();
    EXPECT_EQ(d.Status->text(), "Ok");
    std::vector<std::string> names;
    for (int32_t c : kListed) names.push_back(StoredName(c).substr(0, 6));
    EXPECT_EQ(ReadBytes(root / "Etichett.TXT"),
              names[0] + "\t" + names[1] + "\t\r\n" + names[2] + "\t" + names[3] + "\t\r\n");

    d.nCol->setText("9");
    d.nCar->setText("150");
    d.Crea->click();
    EXPECT_EQ(CoreState.LabelColumns, 5);
    EXPECT_EQ(CoreState.LabelWidth, 100);

    forms.clear();
    d.Visualizza->click();
    d.Help2->click();
    EXPECT_EQ(forms, (std::vector<std::string>{"THelp", "THelpRTF"}));
    EXPECT_EQ(viewed, std::vector<int>{-16});
    EXPECT_EQ(helpPages, std::vector<int>{50});
    ASSERT_EQ(viewerLines.size(), 1u);
    EXPECT_EQ(viewerLines[0].size(), 1u);  // the four labels side by side, one row each

    std::remove((root / "lista.txt").c_str());
    d.Crea->click();
    EXPECT_EQ(d.Status->text(), "");
    EXPECT_EQ(messages.size(), 1u);

    d.nCol->setText("abc");
    d.nCar->setText("12x");
    d.Esci->click();
    EXPECT_EQ(CoreState.LabelColumns, 0);
    EXPECT_EQ(CoreState.LabelWidth, 12);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace qv
