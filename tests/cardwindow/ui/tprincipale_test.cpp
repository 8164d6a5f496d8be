#include "cardwindow/ui/tprincipale.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/startup.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tpassword.h"
#include "core/core_state.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/card_window.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class MainWindowTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        // The password dialog is answered by "continue without password".
        On<TPassWord>([](TPassWord& p) { p.Esci->click(); });
    }
};

// (Its captions are in the forms' caption table, its title per mode in the painter's tests, the
// mail command in the menu's tests and Esc in EscAndStayKeepsEverything.)
TEST_F(MainWindowTest, CreatedWindowTakesThePageSize) {
    TPrincipale w;
    w.FormCreate();
    EXPECT_EQ(w.CardArea->width(), CoreState.PageWidth);
    EXPECT_EQ(w.CardArea->height(), CoreState.PageHeight);
    EXPECT_EQ(CoreState.LogoPresent, 0);
}

TEST_F(MainWindowTest, ArchiveListAndClickableListAvailability) {
    {
        TPrincipale w;
        w.FormCreate();
        EXPECT_FALSE(w.Archivio1->isEnabled());
        EXPECT_FALSE(w.Lista1->isEnabled());
    }
    WriteBytes(root / "lst-kel.txt", "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\n");
    CoreState.ListReady = 1;
    TPrincipale w;
    w.FormCreate();
    EXPECT_TRUE(w.Archivio1->isEnabled());
    EXPECT_TRUE(w.Lista1->isEnabled());
}

TEST_F(MainWindowTest, EscAndStayKeepsEverything) {
    const auto w = test::OpenCardWindow(*this);
    bool asked = false;
    On<TEsciMorvidex>([&](TEsciMorvidex& e) {
        asked = true;
        e.show();
        QApplication::setActiveWindow(&e);
        QTest::keyClick(&e, Qt::Key_Escape);
        EXPECT_FALSE(e.isVisible());
    });
    CoreState.CurrentCard = 7;
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(unhandled.empty());
    EXPECT_EQ(CoreState.CommandCode, 0);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(CoreState.CurrentCard, 7);
    EXPECT_EQ(CoreState.CardWindowMode, 1);
}

TEST_F(MainWindowTest, ConfirmingTheExitClosesTheWindow) {
    const auto w = test::OpenCardWindow(*this);
    On<TEsciMorvidex>([](TEsciMorvidex& e) { e.No->click(); });
    w->Esci2Click();
    EXPECT_EQ(CoreState.CommandCode, 1);
    EXPECT_TRUE(w->Closed());
}

TEST_F(MainWindowTest, CloseBoxAsksNothing) {
    const auto w = test::OpenCardWindow(*this);
    forms.clear();
    w->close();
    EXPECT_TRUE(forms.empty());
    EXPECT_TRUE(w->Closed());
}

class PasswordTest : public ::testing::Test, public DialogScript {
  protected:
    void TearDown() override {
        ResetUiHooks();
        ResetProgramState();
    }
    ProgramRoot root;
};

TEST(PasswordMatch, LastCharacterRegardlessOfCase) {
    struct Case {
        const char* typed;
        const char* stored;
        bool match;
    } cases[] = {
        {"ABC1", "ABC1", true},
        {"abc", "abc", true},
        {"abC", "abc", true},
        {"aBc", "abc", false},
        {"ab", "abc", false},
        {"abcd", "abc", false},
        {"", "", false},
        {"x", "", false},
        {"1", "1", true},
        {"\xE9", "\xE9", true},
        {"ab\xC9", "ab\xE9", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PasswordMatches(c.typed, c.stored), c.match) << c.typed << "/" << c.stored;
}

// Keys typed into the password form: '\r' is Enter, '\x1b' Esc and '!' the continue button.
TEST_F(PasswordTest, OnlyTheWholePasswordGrantsWriteAccessWithoutEnter) {
    WriteBytes(root / "pxx-dat.imp", "segreto\r\n");
    StartProgram();
    const struct {
        const char* keys;
        bool open;
        int access;
    } cases[] = {
        {"segret", true, 0},       {"segreto", false, 1}, {"segre\r", true, 0},
        {"segre\r\x1b", false, 0}, {"!", false, 0},
    };
    for (const auto& c : cases) {
        CoreState.WriteAccess = 0;
        TPassWord d(nullptr);
        d.show();
        for (const char* k = c.keys; *k; ++k) {
            if (*k == '\r')
                QTest::keyClick(d.Pass, Qt::Key_Return);
            else if (*k == '\x1b')
                QTest::keyClick(d.Pass, Qt::Key_Escape);
            else if (*k == '!')
                d.Esci->click();
            else
                QTest::keyClick(d.Pass, *k);
        }
        EXPECT_EQ(d.isVisible(), c.open) << c.keys;
        EXPECT_EQ(CoreState.WriteAccess, c.access) << c.keys;
    }
    StopProgram();
}

TEST_F(PasswordTest, MissingPasswordFileShowsTheErrorAndNeverMatches) {
    StartProgram();
    Install();
    TPassWord d(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("input/output"), std::string::npos);
    d.show();
    QTest::keyClicks(d.Pass, "x");
    EXPECT_EQ(CoreState.WriteAccess, 0);
    StopProgram();
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// Every form built so far is created with the shipped text table without an input/output error,
// so every text number it uses exists.
TEST(ShippedTexts, FormsCreateWithoutErrors) {
    ProgramRoot root(/*shipped=*/true);
    WriteBytes(root / "pxx-dat.imp", "PIANALTO\r\n");
    StartProgram();
    InstallIoErrorReporter();
    DialogScript person;
    person.messageAnswer = 0;
    person.Install();
    {
        TPrincipale w;
        w.FormCreate();
        EXPECT_EQ(w.Esci2->text(), "26-&Esci");
        EXPECT_EQ(w.windowTitle(), "Quorvanta-TV - Inserimento / modifica schede ");
        TPassWord p(&w);
        EXPECT_EQ(p.Esci->text(), "&Continua senza PassWord");
        TEsciMorvidex e(&w);
        EXPECT_EQ(e.Si->text(), "&No");
        EXPECT_EQ(e.No->text(), "&Si");
    }
    EXPECT_TRUE(person.messages.empty()) << person.messages.front();
    ResetUiHooks();
    SetIoErrorReporter(nullptr);
    StopProgram();
}

}  // namespace
}  // namespace qv
