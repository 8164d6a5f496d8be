// Every menu command and every tool button of every mode, with each form it opens left through
// its own exit button: nothing may crash, every form carries its captions, and the window comes
// back in a state a person can go on from.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextEdit>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "core/ui/thelprtf.h"

namespace qv::test {
namespace {

class WalkthroughSweep : public CardWindowWalkthrough {};

TEST_F(WalkthroughSweep, EveryToolButtonOfEveryMode) {
    const int modes[] = {1, 2, 3, 4, 5, 6, 7, 9, 12, 13, 14, 15, 16};
    QToolButton* TPrincipale::*buttons[] = {
        &TPrincipale::b1, &TPrincipale::b2, &TPrincipale::b3, &TPrincipale::b4, &TPrincipale::b5,
        &TPrincipale::b6, &TPrincipale::b7, &TPrincipale::b8, &TPrincipale::b9, &TPrincipale::b10};
    const std::string num = ReadBytes(Archive("num-sch.dat"));
    for (int mode : modes) {
        for (int b = 0; b < 10; ++b) {
            CoreState.CurrentCard = 5;
            ReadCardText();
            ReadCardValues();
            CoreState.CardWindowMode = mode;
            CoreState.CommandCode = 1;
            window->VisualizzaClick();
            QToolButton* button = window.get()->*buttons[b];
            if (!button->isVisibleTo(window.get()) || !button->isEnabled()) continue;
            SCOPED_TRACE("mode " + std::to_string(mode) + " b" + std::to_string(b + 1));
            button->click();
            EXPECT_GE(CoreState.CardWindowMode, 1);
            EXPECT_LE(CoreState.CurrentCard, CoreState.LastCard + 1);
        }
    }
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
    // Leaving every form by its exit button stored nothing on the cards.
    EXPECT_EQ(ReadBytes(Archive("num-sch.dat")), num);
}

TEST_F(WalkthroughSweep, EveryMenuCommand) {
    std::vector<QAction*> commands;
    std::function<void(QMenu*)> collect = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu())
                collect(a->menu());
            else
                commands.push_back(a);
        }
    };
    for (QMenu* m : {window->Schede1, window->Elaborazioni1, window->Informazioni1, window->Esci1})
        collect(m);
    commands.push_back(window->Lista1);
    commands.push_back(window->Help1);
    for (QAction* a : commands) {
        if (!a->isEnabled()) continue;
        SCOPED_TRACE(a->text().toStdString());
        CoreState.CurrentCard = 7;
        ReadCardText();
        ReadCardValues();
        CoreState.CardWindowMode = 1;
        CoreState.CommandCode = 1;
        window->VisualizzaClick();
        a->trigger();
        EXPECT_FALSE(window->windowTitle().isEmpty());
        EXPECT_TRUE(window->ToolBar1->isVisibleTo(window.get()));
    }
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
    // The exit command was answered "stay".
    EXPECT_FALSE(window->Closed());
}

TEST_F(WalkthroughSweep, SearchButtonsSayWhatTheyOpen) {
    // b2 of the search mode opens the search options: its caption names that form, not the
    // clearing of conditions that b2 of the selection mode does.
    window->Ricercadischede1->trigger();
    QString title;
    Next("TRicercaSchede", [&](QDialog& d) { title = d.windowTitle(); });
    window->b2->click();
    ASSERT_FALSE(title.isEmpty());
    EXPECT_EQ(window->b2->text().toStdString(), title.toStdString());
    window->Selezionedelleschede1->trigger();
    EXPECT_NE(window->b2->text().toStdString(), title.toStdString());
}

TEST_F(WalkthroughSweep, MarkingModesAreLeftAsTheEntryOptionsSay) {
    // Esc is the exit command in every mode: it asks whether to leave the program. The entry
    // options must not send the person to it to end a marking mode.
    std::vector<std::string> labels;
    Next("TConfigura2", [&](QDialog& d) {
        for (const char* name : {"Label10", "Label14"})
            if (auto* l = d.findChild<QLabel*>(name)) labels.push_back(l->text().toStdString());
        Click(d, "tabulatori");
    });
    window->Configura->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 5);
    ASSERT_EQ(labels.size(), 2u);
    for (const std::string& l : labels) EXPECT_EQ(l.find("Esc"), std::string::npos) << l;
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->CardArea, Qt::Key_Escape);
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back(), "TEsciMorvidex");
    // What they say instead works: another menu command ends the marking.
    window->Inserimentomodifica1->trigger();
    EXPECT_EQ(CoreState.CardWindowMode, 1);
}

TEST_F(WalkthroughSweep, FeaturesPageOfTheMenuBarIsNotEmpty) {
    std::string page;
    Next("THelpRTF",
         [&](QDialog& d) { page = static_cast<THelpRTF&>(d).Testo->toPlainText().toStdString(); });
    window->Help1->trigger();
    EXPECT_NE(page.find("Quorvanta-TV"), std::string::npos) << page;
}

}  // namespace
}  // namespace qv::test
