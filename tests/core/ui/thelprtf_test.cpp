#include "core/ui/thelprtf.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include "app/startup.h"
#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class THelpRTFTest : public test::StartedProgram {
  protected:
    std::unique_ptr<THelpRTF> Open(int page) {
        CoreState.CommandCode = page;
        auto v = std::make_unique<THelpRTF>(nullptr);
        v->show();
        return v;
    }
};

TEST_F(THelpRTFTest, PagesAndTitles) {
    WriteBytes(root / "help/HELP217.RTF", "{\\rtf1 Pagina {\\b duecentodiciassette}\\par}");
    struct Case {
        int page;
        std::string title;
        std::string text;  // the start of the text shown; "" for an empty control
    } cases[] = {
        {7, root / "help/help007.rtf", "Zero come modalit\xE0 1"},
        {68, root / "help/help068.rtf", "Password di scrittura"},
        {217, root / "help/help217.rtf", "Pagina duecentodiciassette"},
        {240, root / "help/help240.rtf", ""},  // missing page
        {0, "Testo 971", ""},
        {1000, "Testo 971", ""},
        {-68, "Testo 971", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        auto v = Open(c.page);
        EXPECT_EQ(Cp(v->windowTitle()), c.title);
        const std::string shown = Cp(v->Testo->toPlainText());
        EXPECT_EQ(shown.substr(0, c.text.size()), c.text);
        EXPECT_EQ(shown.empty(), c.text.empty());
        EXPECT_FALSE(v->Testo->isReadOnly());
        EXPECT_EQ(CoreState.CommandCode, c.page);
    }
}

TEST_F(THelpRTFTest, EditsStayOnScreenOnlyAndSurviveAResize) {
    const std::string before = ReadBytes(root / "help/help068.rtf");
    auto v = Open(68);
    v->Testo->setPlainText("appunti");
    v->resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(Cp(v->Testo->toPlainText()), "appunti");
    EXPECT_EQ(v->Testo->width(), v->width());
    v->close();
    EXPECT_EQ(ReadBytes(root / "help/help068.rtf"), before);
}

// A click on a link to another page shows that page in the same window; other links, and
// clicks beside a link, change nothing. The caller's page number stays in CommandCode.
TEST_F(THelpRTFTest, LinksLeadToOtherPages) {
    WriteBytes(root / "help/help217.rtf",
               "{\\rtf1 vedi {\\field{\\*\\fldinst HYPERLINK \"help068.rtf\"}{\\fldrslt la password}} "
               "oppure {\\field{\\*\\fldinst HYPERLINK \"http//x\"}{\\fldrslt il sito}}\\par}");
    auto v = Open(217);
    QApplication::processEvents();
    const QString text = v->Testo->toPlainText();
    auto clickOn = [&](const QString& words) {
        QTextCursor cursor(v->Testo->document());
        cursor.setPosition(int(text.indexOf(words)) + 2);
        const QRect at = v->Testo->cursorRect(cursor);
        QTest::mouseClick(v->Testo->viewport(), Qt::LeftButton, {}, at.center() + QPoint(2, 0));
    };
    clickOn("il sito");
    clickOn("oppure");
    EXPECT_EQ(Cp(v->windowTitle()), root / "help/help217.rtf");
    clickOn("la password");
    EXPECT_EQ(Cp(v->windowTitle()), root / "help/help068.rtf");
    EXPECT_TRUE(Cp(v->Testo->toPlainText()).starts_with("Password di scrittura"));
    EXPECT_EQ(CoreState.CommandCode, 217);
}

TEST_F(THelpRTFTest, EscInTheTextCloses) {
    auto v = Open(7);
    QApplication::setActiveWindow(v.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(v.get()));
    v->Testo->setFocus();
    QTest::keyClick(v->Testo, Qt::Key_A);
    EXPECT_TRUE(v->isVisible());
    QTest::keyClick(v->Testo, Qt::Key_Escape);
    EXPECT_FALSE(v->isVisible());
}

TEST_F(THelpRTFTest, ShowHelpPageStoresThePage) {
    std::vector<std::string> titles;
    onShow = [&](QDialog& d) { titles.push_back(Cp(d.windowTitle())); };
    ShowHelpPage(nullptr, 12);
    EXPECT_EQ(CoreState.CommandCode, 12);
    EXPECT_EQ(forms, std::vector<std::string>{"THelpRTF"});
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0], root / "help/help012.rtf");
}

// Both viewers create with the shipped text table without an input/output error.
TEST(ViewersShippedTexts, CreateWithoutErrors) {
    ProgramRoot root(/*shipped=*/true);
    StartProgram();
    DialogScript person;
    person.messageAnswer = 0;
    person.Install();
    const std::vector<std::string>& messages = person.messages;
    for (int selector : {0, -1, -23, -38}) {
        CoreState.CommandCode = selector;
        THelp v(nullptr);
        EXPECT_EQ(Cp(v.Salva1->text()), "&Salva");
    }
    CoreState.CommandCode = 3000;
    THelpRTF h(nullptr);
    EXPECT_EQ(Cp(h.windowTitle()), "Help");
    EXPECT_TRUE(messages.empty()) << messages.front();
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

}  // namespace
}  // namespace qv
