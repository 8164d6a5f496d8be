// The main menu and the tool buttons of the card window: modes, dialogs, card in hand.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/ui/card_search.h"
#include "cardwindow/ui/taboutbox.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tedits2.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/ui/temail.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tselezionamaschera.h"
#include "support/card_selection.h"
#include "support/card_window.h"
#include "support/program_dir.h"
#include "support/test_mail_server.h"

namespace qv {
namespace {

using namespace test;

// The sample archive: cards 0 to 419, 100 words a card; field 1 a text at byte 1, field 3 a
// category (word 1), field 9 a 16-bit number (word 9), 18 fields on two pages.
constexpr int kNewCard = 420;

class MainMenuTest : public test::SampleCardWindow {
  protected:
    void SetUp() override {
        SampleCardWindow::SetUp();
        onShow = [this](QDialog&) { codes.push_back(CoreState.CommandCode); };
    }
    // A search form on the saved buffers, different from every stored card.
    void SaveSearchForm() {
        SavedCardText.fill(0);
        SavedCardValues.fill(0);
        SavedCardValues[9] = 4321;
        CoreState.SearchFormSaved = 1;
    }
    QString Title(int mode) const { return QString("Testo 59 Testo 60 Testo %1Testo 61").arg(33 + mode); }

    std::vector<int> codes;
};

TEST_F(MainMenuTest, ModeCommandsStoreTheCardAndRepaintInTheirMode) {
    struct Case {
        QAction* TPrincipale::*item;
        int mode;
    } cases[] = {
        {&TPrincipale::Selezionedelleschede1, 12}, {&TPrincipale::Listaleschedeselezionate1, 14},
        {&TPrincipale::RiordinaListe, 16},         {&TPrincipale::AttribuzioneAutomatica, 3},
        {&TPrincipale::Ricercadischede1, 2},
    };
    CoreState.WriteAccess = 1;
    for (const Case& c : cases) {
        GoToCard(CoreState.LastCard + 1, 1);
        CurrentCardValues[9] = uint16_t(100 + c.mode);
        const int32_t added = CoreState.LastCard + 1;
        (window.get()->*c.item)->trigger();
        EXPECT_EQ(CoreState.CardWindowMode, c.mode);
        EXPECT_EQ(window->windowTitle(), Title(c.mode));
        // The new card was stored before the mode changed.
        EXPECT_EQ(CoreState.LastCard, added) << c.mode;
        EXPECT_EQ(StoredCardWord(added, 9), 100 + c.mode);
    }
    // Attribution and search start from an empty card (no search form was saved).
    EXPECT_FALSE(CardHasData());
    EXPECT_EQ(CoreState.SearchEnded, 1);
    EXPECT_FALSE(window->b4->isEnabled());
    EXPECT_TRUE(forms.empty());
}

TEST_F(MainMenuTest, ShortcutsForEntryAndSearch) {
    // Ctrl+R puts the last search form on the card; Ctrl+I reads the card again from its files,
    // dropping what was not stored.
    SaveSearchForm();
    CoreState.WriteAccess = 1;
    GoToCard(5, 1);
    const uint16_t stored = CurrentCardValues[9];
    const std::string before = ReadBytes(ArchiveFile("num-sch.dat"));
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(CoreState.CardWindowMode, 2);
    EXPECT_EQ(CurrentCardValues[9], 4321);
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(CoreState.CardWindowMode, 1);
    EXPECT_EQ(window->windowTitle(), Title(1));
    EXPECT_EQ(CurrentCardValues[9], stored);
    EXPECT_EQ(ReadBytes(ArchiveFile("num-sch.dat")), before);
}

TEST_F(MainMenuTest, DialogCommandsEndInSearchModeWithTheSearchForm) {
    struct Case {
        QAction* TPrincipale::*item;
        CardDialog dialog;  // registered in the test, or the dialog class forms for real
        const char* form;
    } cases[] = {
        {&TPrincipale::Range, CardDialog::RangeCheck, nullptr},
        {&TPrincipale::Indicatori, CardDialog::Indicators, nullptr},
        {&TPrincipale::Merge, CardDialog::MergeArchives, nullptr},
        {&TPrincipale::InvioEmail, CardDialog::Email, nullptr},
        {&TPrincipale::ElaborazioniVeloci1, CardDialog::QuickHub, nullptr},
        {&TPrincipale::Input, CardDialog(0), "TInputDati"},
        {&TPrincipale::Output, CardDialog(0), "TOutTot"},
        {&TPrincipale::Elab1, CardDialog(0), "TElaborazioni"},
    };
    for (const bool formSaved : {true, false}) {
        for (const Case& c : cases) {
            CoreState.SearchFormSaved = 0;
            if (formSaved) SaveSearchForm();
            GoToCard(7, 1);
            forms.clear();
            int opened = 0;
            if (c.form == nullptr)
                RegisterCardDialog(c.dialog, [&](QWidget* owner) {
                    ++opened;
                    EXPECT_EQ(owner, window.get());
                    EXPECT_EQ(CoreState.CardWindowMode, 2);
                    // Whatever the dialog leaves in the card buffers is replaced.
                    CurrentCardValues[9] = 999;
                });
            (window.get()->*c.item)->trigger();
            if (c.form) {
                EXPECT_EQ(forms, std::vector<std::string>{c.form});
            } else {
                EXPECT_EQ(opened, 1);
            }
            EXPECT_EQ(CoreState.CardWindowMode, 2);
            EXPECT_EQ(window->windowTitle(), Title(2));
            EXPECT_EQ(CurrentCardValues[9], formSaved ? 4321 : kEmptyWord) << c.form;
            if (!formSaved) {
                EXPECT_FALSE(CardHasData());
            }
        }
    }
    EXPECT_TRUE(window->InvioEmail->isVisible());
}

// The e-mail dialog opened from the menu sends to two selected cards through the local TLS
// server with a login; its status then tells the run's counts and its bar is full.
TEST_F(MainMenuTest, EmailFromTheMenuSendsToTheSelectedCards) {
    TestMailServer server;
    CoreState.WriteAccess = 1;
    constexpr int kAddressField = 2;  // a text of the sample card
    for (const auto& [card, address] : {std::pair{3, "anna@example.it"}, {5, "ugo@example.it"}}) {
        GoToCard(card, 1);
        const size_t at = size_t(FieldTextOffsets[kAddressField]);
        std::fill_n(&CurrentCardText[at], size_t(-FieldTypes[kAddressField]), uint8_t(0));
        std::copy_n(address, std::strlen(address), &CurrentCardText[at]);
        WriteCardText();
    }
    test::SelectCards({3, 5});
    RegisterAllDialogs();
    std::string status;
    int barValue = -1, barMaximum = 0;
    On<TEmail>([&](TEmail& d) {
        TEmail* mail = &d;
        mail->NMSMTP1.SetCaFile(server.CaFile());
        mail->Host->setText("127.0.0.1");
        mail->Port->setText(QString::number(server.Port()));
        mail->UserID->setText("segreteria");
        mail->Password->setText("Segreta-1");
        mail->indirizzoEmail->setText("segreteria@example.it");
        mail->nNome->setText("1");
        mail->nEmail->setText(QString::number(kAddressField));
        mail->Connetti->click();
        mail->InviaSelezionate->click();
        status = Cp(mail->StatusSchedaVisualizzata->text());
        barValue = mail->Barra->value();
        barMaximum = mail->Barra->maximum();
    });
    ASSERT_TRUE(window->InvioEmail->isVisible());
    window->InvioEmail->trigger();
    EXPECT_EQ(status, "Testo 2237 2, Testo 2238 0, Testo 2239 0");
    EXPECT_EQ(barValue, barMaximum);
    EXPECT_EQ(barMaximum, 2);
    const auto sent = server.Messages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].to, std::vector<std::string>{"anna@example.it"});
    EXPECT_EQ(sent[1].to, std::vector<std::string>{"ugo@example.it"});
    EXPECT_TRUE(sent[0].tls);
}

TEST_F(MainMenuTest, EntryOptionsKeepTheCardAndMayChooseAMarkingMode) {
    SaveSearchForm();
    for (const int chosen : {0, 5, 15}) {
        GoToCard(7, 1);
        const auto card = CurrentCardValues;
        RegisterCardDialog(CardDialog::EntryOptions, [&](QWidget*) {
            EXPECT_EQ(CoreState.CardWindowMode, 2);
            if (chosen) CoreState.CardWindowMode = chosen;
        });
        window->Configura->trigger();
        const int mode = chosen ? chosen : 2;
        EXPECT_EQ(CoreState.CardWindowMode, mode);
        EXPECT_EQ(window->windowTitle(), Title(mode));
        EXPECT_EQ(CurrentCardValues, card);
    }
    // Modes 13 and 15 only display: their b2 is disabled.
    EXPECT_FALSE(window->b2->isEnabled());
}

TEST_F(MainMenuTest, DesignerAndArchiveListCommands) {
    // The designer's pointer-position aid leaves mode 4.
    On<TEditS2>([](TEditS2&) { CoreState.CardWindowMode = 4; });
    window->Edit->trigger();
    EXPECT_EQ(forms, std::vector<std::string>{"TEditS2"});
    EXPECT_EQ(CoreState.CardWindowMode, 4);
    EXPECT_EQ(window->windowTitle(), Title(4));

    // No archive list file: the command is disabled and opens nothing.
    forms.clear();
    window->Archivio1Click();
    EXPECT_TRUE(forms.empty());
    EXPECT_FALSE(window->Archivio1->isEnabled());

    WriteBytes(root / "lst-kel.txt", "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\n");
    CoreState.ListReady = 1;
    window->Archivio1Click();
    EXPECT_EQ(forms, std::vector<std::string>{"TArchivio"});
    EXPECT_TRUE(window->Lista1->isEnabled());
}

TEST_F(MainMenuTest, HelpAndAboutBox) {
    window->Help1->trigger();
    EXPECT_EQ(forms, std::vector<std::string>{"THelpRTF"});
    EXPECT_EQ(codes, std::vector<int>{31});

    forms.clear();
    codes.clear();
    On<TAboutBox>([](TAboutBox& about) {
        EXPECT_EQ(about.windowTitle(), "Testo 332");
        EXPECT_EQ(about.Lines[0]->text(), "Testo 333");
        EXPECT_EQ(about.Lines[4]->text(), "Testo 337");
        EXPECT_EQ(about.Esci->text(), "Testo 338");
        EXPECT_EQ(about.Help2->toolTip(), "Testo 341");
        about.Help2->click();
    });
    window->AboutItem->trigger();
    EXPECT_EQ(forms, (std::vector<std::string>{"TAboutBox", "THelpRTF"}));
    EXPECT_EQ(codes.back(), 30);
}

TEST_F(MainMenuTest, ButtonsOpeningTheViewers) {
    struct Case {
        int mode, button;
        const char* form;
        int code;
    } cases[] = {
        // b1: help page N explains mode N.
        {1, 1, "THelpRTF", 1},
        {2, 1, "THelpRTF", 2},
        {4, 1, "THelpRTF", 4},
        {13, 1, "THelpRTF", 13},
        {16, 1, "THelpRTF", 16},
        // The notes of the card in hand.
        {1, 10, "THelp", -1},
        {2, 8, "THelp", -1},
    };
    const std::array<QToolButton*, 11> b{nullptr,    window->b1, window->b2, window->b3,
                                         window->b4, window->b5, window->b6, window->b7,
                                         window->b8, window->b9, window->b10};
    for (const Case& c : cases) {
        GoToCard(3, c.mode);
        forms.clear();
        codes.clear();
        b[size_t(c.button)]->click();
        EXPECT_EQ(forms, std::vector<std::string>{c.form}) << c.mode << " b" << c.button;
        EXPECT_EQ(codes, std::vector<int>{c.code});
    }
}

TEST_F(MainMenuTest, CardMovesOfTheEntryMode) {
    CoreState.WriteAccess = 1;
    GoToCard(0, 1);
    window->b3->click();
    EXPECT_EQ(CoreState.CurrentCard, 0);
    GoToCard(5, 1);
    window->b3->click();
    EXPECT_EQ(window->b4->text(), "5");

    // An empty new card goes nowhere; one with data is stored and the next, empty one forms.
    GoToCard(kNewCard, 1);
    window->b5->click();
    EXPECT_EQ(CoreState.CurrentCard, kNewCard);
    CurrentCardValues[9] = 55;
    window->b5->click();
    EXPECT_EQ(CoreState.LastCard, kNewCard);
    EXPECT_EQ(StoredCardWord(kNewCard, 9), 55);
    EXPECT_EQ(CoreState.CurrentCard, kNewCard + 1);
    EXPECT_FALSE(CardHasData());

    // Go to a card: the chosen card is read and forms, in mode 4 too.
    for (const int mode : {1, 4}) {
        RegisterCardDialog(CardDialog::GoToCard, [](QWidget*) { CoreState.CurrentCard = 11; });
        GoToCard(2, mode);
        window->b4->click();
        EXPECT_EQ(CoreState.CurrentCard, 11);
        EXPECT_EQ(CurrentCardValues[9], uint16_t(StoredCardWord(11, 9)));
    }
}

TEST_F(MainMenuTest, ClearAndCopyByTheDialogsAnswer) {
    FieldAttributes[3] |= 16;
    FieldAttributes[9] |= 16;
    struct Case {
        int mode, button, answer;
        std::vector<int> emptied;  // of the fields 3, 8 (categories) and 9 (a number)
    } cases[] = {
        {1, 8, 0, {}}, {1, 8, 1, {9}}, {1, 8, 3, {3, 9}}, {1, 8, 2, {3, 8, 9}}, {2, 6, 3, {3, 9}},
    };
    for (const Case& c : cases) {
        GoToCard(12, c.mode);
        CoreState.CurrentField = 9;
        for (const int f : {3, 8, 9}) CurrentCardValues[size_t(FieldPositions[size_t(f)])] = 1;
        RegisterCardDialog(CardDialog::ClearFields, [&](QWidget*) { CoreState.CommandCode = c.answer; });
        (c.button == 8 ? window->b8 : window->b6)->click();
        for (const int f : {3, 8, 9}) {
            const bool emptied = std::find(c.emptied.begin(), c.emptied.end(), f) != c.emptied.end();
            const uint16_t empty = f == 9 ? kEmptyWord : 0;
            EXPECT_EQ(CurrentCardValues[size_t(FieldPositions[size_t(f)])], emptied ? empty : 1)
                << c.answer << " field " << f;
        }
    }
}

TEST_F(MainMenuTest, ClassWidthStepsAndWraps) {
    GoToCard(0, 12);
    CoreState.ClassWidth = 98;
    window->b8->click();
    EXPECT_EQ(CoreState.ClassWidth, 99);
    window->b8->click();
    EXPECT_EQ(CoreState.ClassWidth, 1);
    EXPECT_EQ(window->b7->text(), "1");
    window->b6->click();
    EXPECT_EQ(CoreState.ClassWidth, 1);
    CoreState.ClassWidth = 3;
    window->b6->click();
    EXPECT_EQ(CoreState.ClassWidth, 2);
    EXPECT_EQ(window->b7->text(), "2");
    // A width never set steps into the range.
    CoreState.ClassWidth = 0;
    window->b6->click();
    EXPECT_EQ(CoreState.ClassWidth, 1);
}

TEST_F(MainMenuTest, MarkingButtonsClearOnlyTheirBit) {
    struct Case {
        int mode, bit;
    } cases[] = {{5, 1}, {6, 2}, {7, 4}, {9, 16}, {16, 64}};
    for (const Case& c : cases) {
        for (int f = 1; f <= 18; ++f) FieldAttributes[size_t(f)] = int16_t(f % 2 ? 127 : 0);
        GoToCard(0, c.mode);
        window->b2->click();
        for (int f = 1; f <= 18; ++f)
            EXPECT_EQ(FieldAttributes[size_t(f)], f % 2 ? 127 - c.bit : 0) << c.mode << " field " << f;
    }
    // Mode 8 has no clearing button.
    FieldAttributes[1] = 8;
    GoToCard(0, 8);
    window->b2Click();
    EXPECT_EQ(FieldAttributes[1], 8);
}

TEST_F(MainMenuTest, AttributionAndReorderingRunTheBatchRunner) {
    std::vector<int> ran;
    for (const int job : {2, 3, 6}) RegisterBatchJob(job, [&ran, job](TEsegue&) { ran.push_back(job); });
    On<TEsegue>([](TEsegue& runner) { runner.Esegui->click(); });
    GoToCard(0, 3);
    window->b3->click();
    window->b4->click();
    EXPECT_EQ(ran, (std::vector<int>{2, 3}));
    EXPECT_EQ(window->windowTitle(), Title(3));

    // Mode 16: reordering and recoding only with write access; recoding on coded fields only.
    int recoded = 0;
    RegisterCardDialog(CardDialog::Recoding, [&](QWidget*) { ++recoded; });
    GoToCard(0, 16);
    CoreState.CurrentField = 3;
    window->b4Click();
    window->b5Click();
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_EQ(recoded, 0);
    CoreState.WriteAccess = 1;
    window->b4Click();
    window->b5Click();
    CoreState.CurrentField = 1;  // a text field
    window->b5Click();
    EXPECT_EQ(ran, (std::vector<int>{2, 3, 6}));
    EXPECT_EQ(recoded, 1);
}

// A search step standing in for the search by example: it finds the given cards in turn.
struct ScriptedSearch {
    std::vector<int> found;
    size_t next = 0;
    int steps = 0;
    void operator()(Progress& progress) {
        ++steps;
        progress.SetPosition(steps);
        if (CoreState.SearchEnded) {
            SavedCardText = CurrentCardText;
            SavedCardValues = CurrentCardValues;
            CoreState.SearchFormSaved = 1;
        }
        CoreState.ProceedFlag = 1;
        if (next < found.size()) {
            CoreState.CurrentCard = found[next++];
            ReadCardText();
            ReadCardValues();
            CoreState.SearchEnded = 0;
        } else {
            CurrentCardText = SavedCardText;
            CurrentCardValues = SavedCardValues;
            CoreState.SearchEnded = 1;
        }
    }
};

TEST_F(MainMenuTest, SearchOneCardAtATime) {
    auto search = std::make_shared<ScriptedSearch>();
    search->found = {8};
    RegisterCardSearchStep([search](Progress& p) { (*search)(p); });
    window->Ricercadischede1->trigger();
    CurrentCardValues[9] = 3;
    // Continue does nothing before a search has started.
    window->b4Click();
    EXPECT_EQ(search->steps, 0);
    window->b3->click();
    EXPECT_EQ(search->steps, 1);
    EXPECT_EQ(CoreState.CurrentCard, 8);
    EXPECT_EQ(window->b5->text(), "9");
    EXPECT_TRUE(window->b4->isEnabled());
    EXPECT_TRUE(window->ToolBar1->isVisible());
    EXPECT_FALSE(window->ToolBar2->isVisible());
    window->b4->click();
    EXPECT_EQ(search->steps, 2);
    EXPECT_EQ(CoreState.SearchEnded, 1);
    EXPECT_EQ(CurrentCardValues[9], 3);
    // Entering the search mode again shows the form of that search.
    GoToCard(2, 1);
    window->Ricercadischede1->trigger();
    EXPECT_EQ(CurrentCardValues[9], 3);
}

TEST_F(MainMenuTest, SearchAsListSelectsTheFoundCardsAndListsThem) {
    struct Case {
        std::vector<int> found;
        bool listed;
    } cases[] = {{{3, 7, 19}, true}, {{}, false}};
    for (const Case& c : cases) {
        auto search = std::make_shared<ScriptedSearch>();
        search->found = c.found;
        RegisterCardSearchStep([search](Progress& p) { (*search)(p); });
        CardSelectionMask.fill(0xFF);
        CoreState.ListReady = 1;
        window->Ricercadischede1->trigger();
        CurrentCardValues[9] = 3;
        CoreState.SearchAsList = 1;
        forms.clear();
        window->b3->click();
        EXPECT_EQ(search->steps, int(c.found.size()) + 1);
        EXPECT_EQ(test::SelectedCards(8 * 8 - 1), c.found);
        EXPECT_EQ(CoreState.ListReady, c.listed ? 1 : 0);
        EXPECT_EQ(window->Lista1->isEnabled(), c.listed);
        EXPECT_EQ(forms, c.listed ? std::vector<std::string>{"TEsegueLista"} : std::vector<std::string>{});
        // The search form is back (the list run then reads the card in hand from its files).
        EXPECT_EQ(SavedCardValues[9], 3);
        if (!c.listed) {
            EXPECT_EQ(CurrentCardValues[9], 3);
        }
        EXPECT_TRUE(window->ToolBar1->isVisible());
        EXPECT_FALSE(window->ToolBar2->isVisible());
    }
}

TEST_F(MainMenuTest, ClickableListShowsTheChosenCardForEditing) {
    RegisterCardDialog(CardDialog::ClickableList, [](QWidget*) {
        CoreState.CurrentCard = 9;
        CoreState.CommandCode = 1;
    });
    // Mode 14's b4 opens the list only when one exists.
    GoToCard(2, 14);
    CoreState.ListReady = 0;
    window->b4->click();
    EXPECT_EQ(CoreState.CurrentCard, 2);
    CoreState.ListReady = 1;
    window->b4->click();
    EXPECT_EQ(CoreState.CurrentCard, 9);
    EXPECT_EQ(CoreState.CardWindowMode, 1);
    EXPECT_EQ(CurrentCardValues[9], uint16_t(StoredCardWord(9, 9)));

    // A dialog nobody registered is the program's fault: a debug build stops with its code, a
    // release build says so and goes on.
    RegisterCardDialog(CardDialog::ClickableList, nullptr);
#if QV_ASSERTIONS_ACTIVE
    EXPECT_DEATH(window->Lista1Click(), "card dialog 16 is not registered");
#else
    messages.clear();
    window->Lista1Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(" 16"), std::string::npos);
#endif
}

TEST_F(MainMenuTest, ListModeRunsTheListAndOffersIt) {
    int listsShown = 0;
    RegisterCardDialog(CardDialog::ClickableList, [&](QWidget*) { ++listsShown; });
    On<TEsegueLista>([](TEsegueLista& run) {
        CoreState.ListReady = 1;
        run.ListaTXT->click();  // answers 3: see the list
    });
    GoToCard(0, 14);
    EXPECT_FALSE(window->Lista1->isEnabled());
    window->b3->click();
    EXPECT_EQ(forms, std::vector<std::string>{"TEsegueLista"});
    EXPECT_TRUE(window->Lista1->isEnabled());
    EXPECT_EQ(listsShown, 1);

    // b7 forgets the order and grouping fields; b2 opens the print mask.
    CoreState.ListOrderField = 1;
    CoreState.ListGroupField1 = 3;
    CoreState.ListGroupField2 = 5;
    window->b7->click();
    EXPECT_EQ(CoreState.ListOrderField, 0);
    EXPECT_EQ(CoreState.ListGroupField1, 0);
    EXPECT_EQ(CoreState.ListGroupField2, 0);
    forms.clear();
    window->b2->click();
    EXPECT_EQ(forms, std::vector<std::string>{"TSelezionaMaschera"});
}

TEST_F(MainMenuTest, OneCallFillsTheRegistries) {
    RegisterElaborationDialog(ElaborationDialog::CrossTables, nullptr);
    EXPECT_FALSE(OpenElaborationDialog(ElaborationDialog::CrossTables, window.get()));
    RegisterAllDialogs();
    RegisterAllDialogs();
    EXPECT_TRUE(OpenElaborationDialog(ElaborationDialog::CrossTables, window.get()));
    EXPECT_EQ(forms, std::vector<std::string>{"TDoppie"});
    for (int d = 1; d <= 8; ++d) RegisterElaborationDialog(ElaborationDialog(d), nullptr);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(MainMenuKeys, AltLetterOpensTheMenuInsteadOfTyping) {
    ProgramRoot root(/*shipped=*/true);
    StartProgram();
    test::DialogScript person;
    person.Install();
    {
        TPrincipale window;
        window.FormCreate();
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.CardArea->setFocus();
        const std::string before = CoreState.EntryBuffer;
        QTest::keyClick(window.CardArea, Qt::Key_E, Qt::AltModifier);
        EXPECT_EQ(CoreState.EntryBuffer, before);
        EXPECT_TRUE(window.Elaborazioni1->isVisible());
        window.Elaborazioni1->close();
    }
    ResetUiHooks();
    StopProgram();
}

}  // namespace
}  // namespace qv
