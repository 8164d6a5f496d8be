#include "cardwindow/ui/category_pickers.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/ui/dialogs.h"
#include "support/card_window.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The sample archive: field 7 declares the education list (five categories), field 8 uses it.
class CategoryPickersTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        CoreState.CardWindowMode = 1;
        CoreState.CurrentCard = CoreState.LastCard + 1;
        ReadCardText();
        ReadCardValues();
    }
    static void OnField(int field, int value) {
        CoreState.CurrentField = field;
        CurrentCardValues[size_t(FieldPositions[size_t(field)])] = uint16_t(value);
        CoreState.CommandCode = field;
    }
    static int Count(int field) { return FieldLastLabel[size_t(field)] - FieldFirstLabel[size_t(field)] + 1; }
};

TEST_F(CategoryPickersTest, ListShowsTheCategoriesWithTheValueHighlighted) {
    OnField(8, 3);
    TListaModalita d(nullptr);
    EXPECT_EQ(d.Field(), 8);
    EXPECT_EQ(d.Answer(), 0);
    ASSERT_EQ(d.modalita->count(), 5);
    EXPECT_EQ(d.modalita->item(0)->text(), "   1. nessun titolo");
    EXPECT_EQ(d.modalita->item(4)->text(), "   5. laurea");
    EXPECT_EQ(d.modalita->currentRow(), 2);

    // Any key first takes the answer back; Down moves, Enter answers the highlighted item.
    QTest::keyClick(d.modalita, Qt::Key_Down);
    EXPECT_EQ(d.Answer(), 0);
    EXPECT_EQ(d.result(), 0);
    QTest::keyClick(d.modalita, Qt::Key_Return);
    EXPECT_EQ(d.Answer(), 4);
    EXPECT_EQ(d.result(), int(QDialog::Accepted));

    d.FileListaModClick();
    EXPECT_EQ(d.Status->text(), "Ok");
    EXPECT_EQ(ReadBytes(root / "mod-list.txt"),
              "   1. nessun titolo\r\n   2. licenza elementare\r\n   3. licenza media\r\n"
              "   4. diploma di scuola superiore\r\n   5. laurea\r\n");
}

TEST_F(CategoryPickersTest, ListAnswers) {
    using Act = std::function<void(TListaModalita&)>;
    struct Case {
        const char* what;
        int value;  // the field's value on the card: 0 highlights nothing
        Act act;
        int answer;
    };
    const Case cases[] = {
        {"Enter", 2, [](TListaModalita& d) { QTest::keyClick(d.modalita, Qt::Key_Return); }, 2},
        {"Conferma", 5, [](TListaModalita& d) { d.Conferma->click(); }, 5},
        {"double click", 1, [](TListaModalita& d) { d.modalitaDblClick(); }, 1},
        {"Conferma, none", 0, [](TListaModalita& d) { d.Conferma->click(); }, 0},
        {"Enter, none", 0, [](TListaModalita& d) { QTest::keyClick(d.modalita, Qt::Key_Return); }, 0},
        {"value past the list", 9, [](TListaModalita& d) { d.Conferma->click(); }, 0},
        {"Esci", 4, [](TListaModalita& d) { d.Esci->click(); }, 0},
        {"Esc", 4, [](TListaModalita& d) { QTest::keyClick(d.modalita, Qt::Key_Escape); }, 0},
        {"help page, then close box", 4,
         [](TListaModalita& d) {
             d.Help2->click();
             d.close();
         },
         0},
    };
    for (const Case& c : cases) {
        OnField(7, c.value);
        On<TListaModalita>(c.act);
        EXPECT_EQ(OpenCategoryList(nullptr, 7), c.answer) << c.what;
        EXPECT_EQ(OpenCategoryPicker(nullptr, CategoryPicker::List, 7), c.answer) << c.what;
    }
    // Enter with nothing highlighted leaves the dialog open.
    OnField(7, 0);
    TListaModalita d(nullptr);
    QTest::keyClick(d.modalita, Qt::Key_Return);
    EXPECT_EQ(d.result(), 0);
}

TEST_F(CategoryPickersTest, CategoryHelpOpensTheViewer) {
    WriteBytes(Arch("lst-help.txt"), "\r\n\r\n\r\n\r\n\r\n\r\nstudio.txt\r\n");
    WriteBytes(Arch("studio.txt"), "*3\r\nscuola media\r\n*4\r\nscuola superiore\r\n");
    OnField(7, 3);
    TListaModalita d(nullptr);
    d.HelpModalitaClick();
    EXPECT_EQ(forms, std::vector<std::string>{"THelp"});
    EXPECT_EQ(viewed, std::vector<int>{-24});
    EXPECT_EQ(viewerLines, std::vector<std::vector<std::string>>{{"scuola media"}});
    EXPECT_EQ(d.Answer(), 0);

    d.modalita->clearSelection();  // without a highlighted item nothing opens
    d.HelpModalitaClick();
    EXPECT_EQ(forms.size(), 1u);
}

TEST_F(CategoryPickersTest, ChoiceOffersTheTypedText) {
    struct Case {
        std::string buffer;
        const char* offered;
    };
    const Case cases[] = {
        {"dottorato", "dottorato"},          {"12", ""},   {" -3", ""},
        {std::string("abc\0def", 7), "abc"}, {"3a", "3a"},
    };
    for (const Case& c : cases) {
        OnField(8, 0);
        CoreState.EntryBuffer = c.buffer;
        TSceltaModalita d(nullptr);
        EXPECT_EQ(d.Stringa->text(), c.offered);
    }

    OnField(8, 2);
    RemoveFile(Arch("ok-lista.dat"));
    TSceltaModalita d(nullptr);
    EXPECT_EQ(d.Field(), 8);
    EXPECT_EQ(d.FirstField(), 7);
    EXPECT_EQ(d.CategoryCount(), 5);
    EXPECT_EQ(d.Modalita->item(0)->text(), "nessun titolo");
    EXPECT_EQ(d.Modalita->currentRow(), 1);
    EXPECT_FALSE(d.Aggiungere->isEnabled());
    EXPECT_FALSE(d.Sostituire->isEnabled());
    WriteBytes(Arch("ok-lista.dat"), Hex("01"));
    CoreState.CommandCode = 8;
    TSceltaModalita enabled(nullptr);
    EXPECT_TRUE(enabled.Aggiungere->isEnabled());
    EXPECT_TRUE(enabled.Sostituire->isEnabled());
    QTest::keyClick(enabled.Modalita, Qt::Key_Return);
    EXPECT_EQ(enabled.Answer(), 2);
}

TEST_F(CategoryPickersTest, AddAndReplaceNeedWriteAccess) {
    WriteBytes(Arch("ok-lista.dat"), Hex("01"));
    const std::string declarations = ReadBytes(Arch("sig-sch.dat"));

    CoreState.WriteAccess = 0;
    OnField(8, 0);
    CoreState.EntryBuffer = "dottorato";
    {
        TSceltaModalita d(nullptr);
        d.AggiungereClick();
        d.Modalita->setCurrentRow(1);
        d.SostituireClick();
        EXPECT_EQ(d.result(), 0);
        EXPECT_EQ(d.Answer(), 0);
    }
    EXPECT_EQ(ReadBytes(Arch("sig-sch.dat")), declarations);
    EXPECT_EQ(messages, std::vector<std::string>(2, LoadText(1560)));  // each refusal is told

    // The declarations themselves are checked with the engine; here the answers.
    CoreState.WriteAccess = 1;
    On<TSceltaModalita>([](TSceltaModalita& d) { d.Aggiungere->click(); });
    EXPECT_EQ(OpenCategoryChoice(nullptr, 8), 6);
    EXPECT_EQ(Count(8), 6);
    OnField(8, 0);
    On<TSceltaModalita>([](TSceltaModalita& d) {
        d.Stringa->setText("licenza media inferiore");
        d.Modalita->setCurrentRow(2);
        d.Sostituire->click();
    });
    EXPECT_EQ(OpenCategoryPicker(nullptr, CategoryPicker::Choice, 8), 3);
    const std::string now = ReadBytes(Arch("sig-sch.dat"));

    // No highlighted item: the dialog closes, nothing is chosen or changed.
    OnField(8, 0);
    On<TSceltaModalita>([](TSceltaModalita& d) {
        d.Stringa->setText("altro");
        d.Sostituire->click();
        EXPECT_EQ(d.result(), int(QDialog::Accepted));
    });
    EXPECT_EQ(OpenCategoryChoice(nullptr, 8), 0);
    // A number as label is refused: the dialog stays open.
    On<TSceltaModalita>([](TSceltaModalita& d) {
        d.Stringa->setText("7");
        d.Aggiungere->click();
        EXPECT_EQ(d.result(), 0);
    });
    EXPECT_EQ(OpenCategoryChoice(nullptr, 8), 0);
    EXPECT_EQ(ReadBytes(Arch("sig-sch.dat")), now);

    // The help page's number is no answer.
    On<TSceltaModalita>([](TSceltaModalita& d) { d.Help2->click(); });
    EXPECT_EQ(OpenCategoryChoice(nullptr, 8), 0);
}

}  // namespace
}  // namespace qv
