// The entry aids as a person uses them: go to a card, its notes, copy from the card before,
// clear a field, print the card through a mask, copy a field to the clipboard, the entry
// options (a marking mode, the mouse switched off), and the distribution of a field after a
// selection.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "cardwindow/ui/tconfigura2.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "support/sample_fields.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughAids : public CardWindowWalkthrough {
  protected:
    std::string NameInHand() const { return reinterpret_cast<const char*>(&CurrentCardText[1]); }
    void ClickAt(int field) { QTest::mouseClick(window->CardArea, Qt::LeftButton, {}, FieldPoint(field)); }
};

TEST_F(WalkthroughAids, GoToNotesCopyClearPrintAndClipboard) {
    // Card number 6 typed in the go-to form (b4).
    Next("TNumeroScheda", [](QDialog& d) {
        Type(d, "Numero", "6");
        Click(d, "Ok");
    });
    window->b4->click();
    ASSERT_EQ(CoreState.CurrentCard, 5);
    EXPECT_EQ(window->b4->text().toStdString(), "6");
    EXPECT_EQ(NameInHand(), Name(5));

    // Notes written and saved (b10), found again when the notes are opened once more.
    WriteNotes("Richiamare in primavera");
    QString again;
    Next("THelp", [&](QDialog& d) {
        again = static_cast<THelp&>(d).Testo->toPlainText();
        static_cast<THelp&>(d).Esci1->trigger();
    });
    window->b10->click();
    EXPECT_EQ(again.trimmed().toStdString(), "Richiamare in primavera");
    EXPECT_EQ(window->b10->text().toStdString(), LoadText(122));

    // Copy from the card before (b9), then reload the card in hand.
    Next("TCopia", [](QDialog& d) { Click(d, "Precedente"); });
    window->b9->click();
    EXPECT_EQ(CoreState.CurrentCard, 5);
    EXPECT_EQ(NameInHand(), Name(4));
    Next("TCopia", [](QDialog& d) { Click(d, "Recupera"); });
    window->b9->click();
    EXPECT_EQ(NameInHand(), Name(5));

    // The field under the cursor cleared (b8, F8 button).
    ClickAt(kPhone);
    ASSERT_EQ(CoreState.CurrentField, kPhone);
    Next("TCancella", [](QDialog& d) { Click(d, "F8"); });
    window->b8->click();
    EXPECT_EQ(CurrentCardText[size_t(FieldTextOffsets[kPhone])], 0);
    EXPECT_EQ(NameInHand(), Name(5));
    Next("TCopia", [](QDialog& d) { Click(d, "Recupera"); });
    window->b9->click();

    // The card printed through a mask made on the spot (b6): the card's name in the print.
    Next("TSelezionaMaschera", [](QDialog& d) {
        Click(d, "Button1");
        Click(d, "Esci");
    });
    Next("TEsegueLista", [](QDialog& d) { Click(d, "Esci"); });
    window->b6->click();
    EXPECT_NE(ReadBytes(root / "tabella.txt").find("Cognome e nome " + Name(5)), std::string::npos);

    // F4: the name to the clipboard.
    ClickAt(kName);
    QTest::keyClick(window->CardArea, Qt::Key_F4);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Name(5));
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

// A print shows the card as its files hold it and leaves the card in hand as typed: F2 stores
// what was typed, "Cerca" searches the form as typed.
TEST_F(WalkthroughAids, PrintingLeavesTheTypedCardInHand) {
    WriteBytes(Archive("mas-dat.txt"), "#1*\r\n");
    const int32_t fresh = CoreState.LastCard + 1;
    const struct {
        const char* what;
        const char* go;  // the card typed in the go-to form ("" stays); none: the search form
        std::string typed;
        int32_t card;  // the card stored by F2, or found by the search
    } cases[] = {{"a new card", "", "Prova Stampa", fresh},
                 {"a stored card", "6", "Prova ", 5},
                 {"the search form", nullptr, Name(7), 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.go) window->Ricercadischede1->trigger();
        if (c.go && *c.go) {
            Next("TNumeroScheda", [&](QDialog& d) {
                Type(d, "Numero", c.go);
                Click(d, "Ok");
            });
            window->b4->click();
        }
        const std::string stored = Name(c.card);
        ClickAt(kName);
        QTest::keyClicks(window->CardArea, QString::fromStdString(c.typed));
        QTest::keyClick(window->CardArea, Qt::Key_Return);
        const std::string typed = NameInHand();
        ASSERT_EQ(typed.substr(0, c.typed.size()), c.typed);
        const int32_t notes = GetNotesHead();
        Next("TSelezionaMaschera", [](QDialog& d) { Click(d, "Esci"); });
        Next("TEsegueLista", [](QDialog& d) { Click(d, "Esci"); });
        (c.go ? window->b6 : window->b7)->click();
        if (c.go) {
            EXPECT_EQ(ReadBytes(root / "tabella.txt").substr(0, stored.size()), stored);
        }
        EXPECT_EQ(NameInHand(), typed);
        EXPECT_EQ(GetNotesHead(), notes);
        if (c.go) {
            QTest::keyClick(window->CardArea, Qt::Key_F2);
            EXPECT_EQ(Name(c.card), typed);
        } else {
            window->b3->click();
            EXPECT_EQ(CoreState.SearchEnded, 0);
            EXPECT_EQ(Name(CoreState.CurrentCard), typed);
        }
    }
}

TEST_F(WalkthroughAids, EntryOptionsMarkingModeAndMouseOff) {
    Next("TConfigura2", [](QDialog& d) { Click(d, "tabulatori"); });
    window->Configura->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 5);
    ClickAt(kSex);
    ASSERT_EQ(CoreState.CurrentField, kSex);
    const int16_t attributes = FieldAttributes[kSex];
    // Enter turns the mark over and moves on.
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    EXPECT_EQ(FieldAttributes[kSex], attributes ^ 1);
    EXPECT_EQ(CoreState.CurrentField, kSex + 1);
    // b2 takes every tab-stop mark away.
    window->b2->click();
    for (int f = 1; f <= CoreState.FieldCount; ++f) EXPECT_EQ(FieldAttributes[size_t(f)] & 1, 0) << f;

    // The mouse switched off: a click no longer moves the cursor.
    Next("TConfigura2", [](QDialog& d) {
        static_cast<TConfigura2&>(d).mouse->setChecked(false);
        Click(d, "Esci");
    });
    window->Configura->trigger();
    EXPECT_EQ(CoreState.MouseEntry, 0);
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), std::string(1, '\0'));
    window->Inserimentomodifica1->trigger();
    const int field = CoreState.CurrentField;
    ASSERT_NE(field, kName);
    ClickAt(kName);
    EXPECT_EQ(CoreState.CurrentField, field);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

TEST_F(WalkthroughAids, DistributionOfAFieldAfterASelection) {
    window->Selezionedelleschede1->trigger();
    ClickAt(kSex);
    QTest::keyClick(window->CardArea, Qt::Key_S);
    EXPECT_TRUE(FieldAttributes[kSex] & 32);
    Next("TEsegueCollettiva", [](QDialog& d) { Click(d, "PrimaRicerca"); });
    window->b3->click();
    int women = 0, men = 0;
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        const int v = GetCardWord(kSex);
        women += v == 2;
        men += v == 1;
    }
    int viewerCode = -99;
    Next("THelp", [&](QDialog&) { viewerCode = CoreState.CommandCode; });
    QTest::keyClick(window->CardArea, Qt::Key_D);
    EXPECT_EQ(viewerCode, 0);
    const std::string report = ReadBytes(root / "tabella.txt");
    auto lineOf = [&](const std::string& label) {
        const size_t at = report.find(label);
        return at == std::string::npos ? std::string() : report.substr(at, report.find('\r', at) - at);
    };
    EXPECT_NE(lineOf("maschio").find(std::to_string(men)), std::string::npos) << report;
    EXPECT_NE(lineOf("femmina").find(std::to_string(women)), std::string::npos) << report;
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
