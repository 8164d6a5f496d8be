#include "cardwindow/ui/entry_dialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "app/startup.h"
#include "cardwindow/ui/tconfigura2.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/card_window.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class EntryDialogsTest : public test::StartedProgram {
  protected:
    static void LoadCard(int32_t card) {
        CoreState.CurrentCard = card;
        ReadCardText();
        ReadCardValues();
    }
};

TEST_F(EntryDialogsTest, ClearDialogAnswers) {
    using Act = std::function<void(TCancella&)>;
    struct Case {
        const char* what;
        Act act;
        int answer;
    };
    const Case cases[] = {
        {"F8", [](TCancella& d) { d.F8->click(); }, 1},
        {"Tutti", [](TCancella& d) { d.Tutti->click(); }, 2},
        {"Configura", [](TCancella& d) { d.Configura->click(); }, 3},
        {"Esci", [](TCancella& d) { d.Esci->click(); }, 0},
        {"Esc", [](TCancella& d) { QTest::keyClick(&d, Qt::Key_Escape); }, 0},
        {"close box", [](TCancella& d) { d.close(); }, 0},
        // The help page's number must not come back as an answer.
        {"help, then close box",
         [](TCancella& d) {
             d.Help2->click();
             d.close();
         },
         0},
    };
    for (const Case& c : cases) {
        CoreState.CommandCode = 77;
        On<TCancella>(c.act);
        EXPECT_EQ(OpenClearDialog(nullptr), c.answer) << c.what;
        EXPECT_EQ(CoreState.CommandCode, c.answer) << c.what;
    }

    TCancella d(nullptr);
    helpPages.clear();
    d.Help2Click();
    EXPECT_EQ(helpPages, std::vector<int>{24});
}

// The number rules and the empty card past the last are the engine's; here the road from the
// controls to the card in hand.
TEST_F(EntryDialogsTest, CopyAndGoToCardDialogs) {
    std::array<uint16_t, kMaxCardWords + 1> card11{};
    ASSERT_TRUE(CardFiles::Current().ReadValues(11, &card11[1]));
    const int words = CoreState.CardWordCount;

    // Card 0 has no card before it: nothing changes, the answer is still 1.
    LoadCard(0);
    const auto card0 = CurrentCardValues;
    On<TCopia>([](TCopia& d) { d.Precedente->click(); });
    EXPECT_EQ(OpenCopyDialog(nullptr), 1);
    EXPECT_EQ(CurrentCardValues, card0);

    // "12a" and Enter copy card 12 (held as 11) into card 30, which keeps its number.
    LoadCard(30);
    const auto card30 = CurrentCardValues;
    On<TCopia>([](TCopia& d) {
        QTest::keyClicks(d.numero, "12a");
        QTest::keyClick(d.numero, Qt::Key_Return);
    });
    EXPECT_EQ(OpenCopyDialog(nullptr), 1);
    EXPECT_EQ(CoreState.CurrentCard, 30);
    EXPECT_TRUE(std::equal(&card11[1], &card11[1] + words - 2, &CurrentCardValues[1]));

    On<TCopia>([](TCopia& d) { d.Recupera->click(); });
    EXPECT_EQ(OpenCopyDialog(nullptr), 2);
    EXPECT_EQ(CurrentCardValues, card30);
    On<TCopia>([](TCopia& d) {
        d.Help2->click();
        d.close();
    });
    EXPECT_EQ(OpenCopyDialog(nullptr), 0);

    const int32_t last = CoreState.LastCard;
    using Act = std::function<void(TNumeroScheda&)>;
    struct Case {
        const char* what;
        Act act;
        int32_t card;
    };
    const Case cases[] = {
        {"12 Enter",
         [](TNumeroScheda& d) {
             QTest::keyClicks(d.Numero, "12");
             QTest::keyClick(d.Numero, Qt::Key_Return);
         },
         11},
        {"12a Ok",
         [](TNumeroScheda& d) {
             QTest::keyClicks(d.Numero, "12a");
             d.Ok->click();
         },
         5},
        {"end", [](TNumeroScheda& d) { d.FineArchivio->click(); }, last + 1},
        {"Esci", [](TNumeroScheda& d) { d.Esci->click(); }, 5},
    };
    for (const Case& c : cases) {
        CoreState.CurrentCard = 5;
        On<TNumeroScheda>(c.act);
        OpenGoToCardDialog(nullptr);
        EXPECT_EQ(CoreState.CurrentCard, c.card) << c.what;
    }
    TNumeroScheda d(nullptr);
}

class EntryOptionsDialogTest : public EntryDialogsTest {};

TEST_F(EntryOptionsDialogTest, SwitchesAreShownAndStoredOnExit) {
    RemoveFile(Arch("ok-lista.dat"));
    RemoveFile(root / "ok-mouse.dat");
    {
        TConfigura2 d(nullptr);
        EXPECT_EQ(d.PageControl1->tabText(1), "Testo 1433");
        EXPECT_TRUE(d.Copia->isHidden());
        EXPECT_TRUE(d.Label9->isHidden());
        EXPECT_FALSE(d.modalita->isChecked());
        EXPECT_TRUE(d.mouse->isChecked());
        CoreState.MouseEntry = 0;
        d.EsciClick();
    }
    EXPECT_EQ(ReadBytes(Arch("ok-lista.dat")), Hex("00"));
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), Hex("01"));
    EXPECT_EQ(CoreState.MouseEntry, 1);

    {
        TConfigura2 d(nullptr);
        d.modalita->setChecked(true);
        d.mouse->setChecked(false);
        QTest::keyClick(&d, Qt::Key_Escape);  // Esc is the exit button
    }
    EXPECT_EQ(ReadBytes(Arch("ok-lista.dat")), Hex("01"));
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), Hex("00"));
    EXPECT_EQ(CoreState.MouseEntry, 0);
    {
        TConfigura2 d(nullptr);
        EXPECT_TRUE(d.modalita->isChecked());
        EXPECT_FALSE(d.mouse->isChecked());
        d.mouse->setChecked(true);
        d.close();  // the close box stores nothing
    }
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), Hex("00"));

    // A switch file that cannot be written: the error, and the dialog stays open.
    RemoveFile(Arch("ok-lista.dat"));
    ASSERT_TRUE(MakeDirs(Arch("ok-lista.dat/")));
    TConfigura2 d(nullptr);
    EXPECT_THROW(d.EsciClick(), IoError);
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(CoreState.MouseEntry, 0);
}

TEST_F(EntryOptionsDialogTest, MarkingButtonsStoreTheModeOnly) {
    using Pick = QPushButton* TConfigura2::*;
    struct Case {
        Pick button;
        int mode;
    };
    const Case cases[] = {{&TConfigura2::tabulatori, 5}, {&TConfigura2::Veloce, 6},
                          {&TConfigura2::piu1, 7},       {&TConfigura2::Cancella, 9},
                          {&TConfigura2::Stampe, 13},    {&TConfigura2::PosRec, 15}};
    for (const Case& c : cases) {
        RemoveFile(Arch("ok-lista.dat"));
        RemoveFile(root / "ok-mouse.dat");
        CoreState.CardWindowMode = 2;
        On<TConfigura2>([&](TConfigura2& d) { (d.*c.button)->click(); });
        OpenEntryOptions(nullptr);
        EXPECT_EQ(CoreState.CardWindowMode, c.mode);
        EXPECT_FALSE(FileExists(Arch("ok-lista.dat"))) << c.mode;
        EXPECT_FALSE(FileExists(root / "ok-mouse.dat")) << c.mode;
    }
}

TEST_F(EntryOptionsDialogTest, ViewersHelpPagesAndColour) {
    TConfigura2 d(nullptr);
    for (QPushButton* b :
         {d.Salti, d.FineScheda, d.ArchiviT, d.Help_Ottimizza, d.Help_Impostazioni, d.Help_Campi, d.Help})
        b->click();
    EXPECT_EQ(viewed, (std::vector<int>{-2, -23, -3}));
    EXPECT_EQ(helpPages, (std::vector<int>{93, 94, 95, 96}));
    EXPECT_EQ(shown.size(), 7u);  // the viewers first, then the help pages, nothing else

    // Cancel on an archive without a colour file writes the default.
    RemoveFile(Arch("inf-colo.dat"));
    int offered = 0;
    SetColourHook([&](int initial) {
        offered = initial;
        return -1;
    });
    d.Colori->click();
    EXPECT_EQ(offered, 0xD0FFFF);
    EXPECT_EQ(ReadBytes(Arch("inf-colo.dat")), Hex("D0 FF FF 00"));
    SetColourHook([](int) { return 0x112233; });  // red 11, green 22, blue 33
    d.Colori->click();
    EXPECT_EQ(ReadBytes(Arch("inf-colo.dat")), Hex("11 22 33 00"));
    SetColourHook([&](int initial) {
        offered = initial;
        return -1;
    });
    d.Colori->click();
    EXPECT_EQ(offered, 0x112233);
    EXPECT_EQ(ReadBytes(Arch("inf-colo.dat")), Hex("11 22 33 00"));
}

}  // namespace
}  // namespace qv
