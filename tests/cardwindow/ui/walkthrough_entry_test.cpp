// A new card typed as a person types it: the mouse puts the cursor on a field, F3 opens the
// pickers of category and municipality fields, a new category is added to a list from the
// choice form, F2 stores the card and F1 brings it back.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "card_window_walkthrough.h"
#include "cardwindow/comune_lookup.h"
#include "cardwindow/field_commit.h"
#include "cardwindow/ui/category_pickers.h"
#include "core/card_store.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "platform/bytes.h"
#include "platform/cp1252.h"
#include "support/sample_fields.h"
#include "territory/ui/tunita.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughEntry : public CardWindowWalkthrough {
  protected:
    void ClickField(int field) {
        QTest::mouseClick(window->CardArea, Qt::LeftButton, {}, FieldPoint(field));
        ASSERT_EQ(CoreState.CurrentField, field);
    }
    void Key(Qt::Key key) { QTest::keyClick(window->CardArea, key); }
    void TypeAndEnter(const char* text) {
        QTest::keyClicks(window->CardArea, text);
        Key(Qt::Key_Return);
    }
    int16_t Value(int field) const {
        return int16_t(CurrentCardValues[size_t(FieldPositions[size_t(field)])]);
    }
    static void DoubleClickRow(QListWidget* list, int row) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    int16_t Stored(int32_t card, int field, int offset = 0) const {
        return StoredCardWord(card, FieldPositions[size_t(field)] + offset);
    }
    int32_t StoredNotesHead(int32_t card) const {
        const int words = CoreState.CardWordCount;
        return DecodeCardNumber(uint16_t(StoredCardWord(card, words - 1)),
                                uint16_t(StoredCardWord(card, words)));
    }
    std::string Status() const { return Utf8ToCp1252(window->EntryStatus->text().toStdString()); }
    void GoTo(const char* number) {
        Next("TNumeroScheda", [number](QDialog& d) {
            Type(d, "Numero", number);
            Click(d, "Ok");
        });
        window->b4->click();
    }
};

TEST_F(WalkthroughEntry, NewCardWithPickersANewCategoryAndTheCardMoves) {
    const int32_t card = CoreState.LastCard + 1;
    ASSERT_EQ(CoreState.CurrentCard, card);
    ClickField(kName);
    TypeAndEnter("Zanetti Ugo");

    // F3 on a category field: the list, "femmina" chosen by a double click.
    ClickField(kSex);
    Next("TListaModalita", [](QDialog& d) {
        auto& f = static_cast<TListaModalita&>(d);
        ASSERT_EQ(f.modalita->count(), 2);
        DoubleClickRow(f.modalita, 1);
    });
    Key(Qt::Key_F3);
    EXPECT_EQ(Value(kSex), 2);

    ClickField(kBirth);
    TypeAndEnter("7/11/1958");
    EXPECT_EQ(Value(kBirth), 7);

    // A name several municipalities begin with: the choice lists just those, with provinces.
    ClickField(kComune);
    Next("TSceltaComune", [](QDialog& d) {
        auto& f = static_cast<TSceltaComune&>(d);
        ASSERT_EQ(f.Comuni->count(), 2);
        EXPECT_EQ(Utf8ToCp1252(f.Comuni->item(0)->text().toStdString()), "Mondov\xEC (Cuneo)");
        EXPECT_EQ(Utf8ToCp1252(f.Comuni->item(1)->text().toStdString()), "Mondolfo (Pesaro e Urbino)");
        DoubleClickRow(f.Comuni, 0);
    });
    TypeAndEnter("mondo");
    EXPECT_EQ(Value(kComune), 609);
    // A name two municipalities share, the choice left with Esc: the field keeps what it held.
    ClickField(kComune);
    Next("TSceltaComune", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    TypeAndEnter("Samone");
    EXPECT_EQ(Value(kComune), 609);
    EXPECT_EQ(Status(), "");

    // F3 on the municipality field: the picker of municipalities, one chosen by a double click.
    ClickField(kComune);
    int chosen = 0;
    Next("TUnita", [&](QDialog& d) {
        auto& f = static_cast<TUnita&>(d);
        ASSERT_GT(f.Comuni->count(), 3);
        chosen = f.CodeOfItem(3);
        DoubleClickRow(f.Comuni, 3);
    });
    Key(Qt::Key_F3);
    ASSERT_GT(chosen, 0);
    EXPECT_EQ(Value(kComune), chosen);

    // A category typed by the start of its name.
    ClickField(kMarital);
    TypeAndEnter("divor");
    EXPECT_EQ(Value(kMarital), 4);

    // A name the list does not have: the choice form adds it (lists may be changed here).
    WriteBytes(Archive("ok-lista.dat"), std::string(1, '\1'));
    const int before = FieldLastLabel[kStudy] - FieldFirstLabel[kStudy] + 1;
    ClickField(kStudy);
    Next("TSceltaModalita", [](QDialog& d) {
        auto& f = static_cast<TSceltaModalita&>(d);
        EXPECT_EQ(f.Stringa->text().toStdString(), "dottorato");
        Click(d, "Aggiungere");
    });
    TypeAndEnter("dottorato");
    ASSERT_EQ(FieldLastLabel[kStudy] - FieldFirstLabel[kStudy] + 1, before + 1);
    EXPECT_EQ(Value(kStudy), before + 1);
    EXPECT_EQ(Label(kStudy, before + 1), "dottorato");
    // The spouse's study shares the list.
    EXPECT_EQ(Label(kSpouseStudy, before + 1), "dottorato");

    // F2 stores the card and shows the next, empty one; F1 brings the card back from its files.
    Key(Qt::Key_F2);
    EXPECT_EQ(CoreState.LastCard, card);
    EXPECT_EQ(CoreState.CurrentCard, card + 1);
    EXPECT_FALSE(CardHasData());
    Key(Qt::Key_F1);
    EXPECT_EQ(CoreState.CurrentCard, card);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&CurrentCardText[1])), "Zanetti Ugo");
    EXPECT_EQ(Value(kSex), 2);
    EXPECT_EQ(Value(kComune), chosen);
    EXPECT_EQ(Value(kMarital), 4);
    EXPECT_EQ(Value(kStudy), before + 1);
    EXPECT_EQ(window->b4->text().toStdString(), std::to_string(card + 1));
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

// What a person types is what the card files hold: a shown value is replaced by the first key,
// values that do not fit keep the old one and the status line says why, the mouse commits,
// clearing a card keeps its notes, and a new card never takes the notes of the card before.
// A value the field does not take: the cursor stays with the typed text selected, whatever key
// would move it (Enter, Tab, the page key, the mouse), the card keeps its old value, and the
// status line shows the whole message, limits included, at 640 x 480. F2 leaves the field
// another way: the card goes on with the old value.
TEST_F(WalkthroughEntry, ARefusedValueKeepsTheCursorAndTheOldValue) {
    const int32_t card = 5;
    GoTo("6");
    ASSERT_EQ(CoreState.CurrentCard, card);
    const int16_t household = Value(kHousehold);
    const int page = CoreState.CurrentPage;
    window->resize(640, 480);
    ClickField(kHousehold);
    QTest::keyClicks(window->CardArea, "15.000");
    const std::string message = RefusalMessage(EntryRefusal::NotANumber, kHousehold);
    ASSERT_NE(message.find("-29999"), std::string::npos) << message;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_PageDown, Qt::Key_Down}) {
        SCOPED_TRACE(key);
        Key(key);
        EXPECT_EQ(CoreState.CurrentField, kHousehold);
        EXPECT_EQ(CoreState.CurrentPage, page);
        EXPECT_EQ(CoreState.EntryBuffer, ">15.000");
        EXPECT_EQ(CoreState.EntryReplaces, 1);
        EXPECT_EQ(Value(kHousehold), household);
        EXPECT_EQ(Status(), message);
    }
    QTest::mouseClick(window->CardArea, Qt::LeftButton, {}, FieldPoint(kComune));
    EXPECT_EQ(CoreState.CurrentField, kHousehold);
    // The whole message is read in the status line of the 640-pixel window.
    QApplication::processEvents();
    const QLabel* status = window->EntryStatus;
    EXPECT_LE(window->width(), 640);
    EXPECT_TRUE(status->isVisible());
    EXPECT_LE(status->geometry().right(), window->width());
    EXPECT_LE(status->heightForWidth(status->width()), status->height()) << status->width();

    // A value that fits replaces the selected text and is taken.
    TypeAndEnter("12");
    EXPECT_EQ(Value(kHousehold), 12);
    EXPECT_EQ(Status(), "");

    // Refused, then F2: the stored card has the value before the refusal.
    ClickField(kHousehold);
    QTest::keyClicks(window->CardArea, "abc");
    Key(Qt::Key_Return);
    ASSERT_EQ(CoreState.CurrentField, kHousehold);
    Key(Qt::Key_F2);
    EXPECT_EQ(CoreState.CurrentCard, card + 1);
    EXPECT_EQ(Stored(card, kHousehold), 12);
}

// A text takes no more characters than its field holds, and a category name is taken only when
// it names one label: a name several labels begin with asks which, and Esc keeps the field.
TEST_F(WalkthroughEntry, TypedTextsAreTakenOnlyAsTheyStand) {
    ClickField(kPhone);  // a text of 15 on a new card
    QTest::keyClicks(window->CardArea, "luca.niccolo@posta.it");
    EXPECT_EQ(CoreState.EntryBuffer, "luca.niccolo@po>");
    EXPECT_EQ(Status(), LoadText(2223) + " 15 " + LoadText(2224));
    Key(Qt::Key_Return);
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(&CurrentCardText[size_t(FieldTextOffsets[kPhone])]), 15),
        "luca.niccolo@po");
    // The widest letters the name holds stay inside its box.
    ClickField(kName);
    const QRect beside(LayoutRight[kName] + 1, LayoutY[kName] - 30, 300, 34);
    const QImage around = window->CardArea->Image.copy(beside);
    QTest::keyClicks(window->CardArea, QString(40, QChar('W')));
    EXPECT_EQ(window->CardArea->Image.copy(beside), around);

    std::string labels = ReadBytes(Archive("mod-sch.dat"));
    for (const auto& [category, label] : {std::pair{1, "automobile"}, std::pair{3, "autobus"}}) {
        std::string record(61, '\0');
        record.replace(0, std::strlen(label), label);
        labels.replace(size_t(FieldFirstLabel[kStudy] + category - 1) * 61, 61, record);
    }
    WriteBytes(Archive("mod-sch.dat"), labels);
    const struct {
        const char* typed;
        bool asked;  // the list of the labels it begins, automobile and autobus
        int row;     // double-clicked there; -1: Esc
        int16_t value;
    } cases[] = {
        {"automobile", false, 0, 1}, {"auto", true, 1, 3}, {"AUTOM", false, 0, 1}, {"auto", true, -1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::vector<std::string> offered;
        const auto lists = std::count(forms.begin(), forms.end(), "TListaModalita");
        if (c.asked) {
            Next("TListaModalita", [&](QDialog& d) {
                auto& f = static_cast<TListaModalita&>(d);
                for (int r = 0; r < f.modalita->count(); ++r)
                    offered.push_back(f.modalita->item(r)->text().toStdString());
                if (c.row >= 0)
                    DoubleClickRow(f.modalita, c.row);
                else
                    QTest::keyClick(&d, Qt::Key_Escape);
            });
        }
        ClickField(kStudy);
        TypeAndEnter(c.typed);
        EXPECT_EQ(Value(kStudy), c.value);
        EXPECT_EQ(std::count(forms.begin(), forms.end(), "TListaModalita") - lists, c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(offered, (std::vector<std::string>{"   1. automobile", "   3. autobus"}));
        }
    }
}

TEST_F(WalkthroughEntry, TypedValuesAreStoredAsMeant) {
    SetEntryClockForTests(EntryClock{7, 4, 2026});
    // An Enter right after the password stays with the password.
    ASSERT_EQ(CoreState.CurrentField, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(CoreState.CurrentField, 1);

    // A stored card: its date, category and household typed over.
    const int32_t card = 5;
    GoTo("6");
    ASSERT_EQ(CoreState.CurrentCard, card);
    const int16_t household = Value(kHousehold);
    ClickField(kBirth);
    TypeAndEnter("3/11/85");
    EXPECT_EQ(Value(kBirth), 3);
    EXPECT_EQ(CurrentCardValues[size_t(FieldPositions[kBirth]) + 2], 85);  // 1985, not 2085
    ClickField(kBirth);
    ASSERT_EQ(CoreState.EntryBuffer, ">3/11/1985");
    TypeAndEnter("5/5/1970");
    ClickField(kStudy);
    TypeAndEnter("laurea");
    ClickField(kStudy);
    ASSERT_EQ(CoreState.EntryBuffer, ">laurea");
    TypeAndEnter("2");  // the category number, not a search for a label
    ClickField(kHousehold);
    TypeAndEnter("30000");
    EXPECT_EQ(Value(kHousehold), household);
    EXPECT_EQ(Status(), RefusalMessage(EntryRefusal::OutOfRange, kHousehold));
    // Typed over the refused text, then the mouse moves on: the typing counts.
    ASSERT_EQ(CoreState.CurrentField, kHousehold);
    QTest::keyClicks(window->CardArea, "7");
    ClickField(kComune);
    EXPECT_EQ(Value(kHousehold), 7);
    EXPECT_EQ(Status(), "");
    // Thirteen digits in the 32-bit field: the cut keeps ten and the status line says so.
    ClickField(kIncome);
    QTest::keyClicks(window->CardArea, "1234567890123");
    EXPECT_EQ(Status(), LoadText(2223) + " 10 " + LoadText(2224));
    ClickField(kComune);
    EXPECT_EQ(GetCardNumber(kIncome), 1234567890);

    // Notes written on the card; F2 stores it.
    WriteNotes("Richiamare in primavera");
    const int32_t notes = GetNotesHead();
    ASSERT_GT(notes, 0);
    Key(Qt::Key_F2);
    EXPECT_EQ(Stored(card, kBirth), 5);
    EXPECT_EQ(Stored(card, kBirth, 1), 5);
    EXPECT_EQ(Stored(card, kBirth, 2), 70);
    EXPECT_EQ(Stored(card, kStudy), 2);
    EXPECT_EQ(Stored(card, kHousehold), 7);
    EXPECT_EQ(StoredNotesHead(card), notes);

    // Cleared whole, the card stays linked to its notes.
    Key(Qt::Key_F1);
    ASSERT_EQ(CoreState.CurrentCard, card);
    Next("TCancella", [](QDialog& d) { Click(d, "Tutti"); });
    window->b8->click();
    EXPECT_EQ(Value(kStudy), 0);
    Key(Qt::Key_F2);
    EXPECT_EQ(Stored(card, kStudy), 0);
    EXPECT_EQ(Stored(card, kHousehold), -32000);
    EXPECT_EQ(StoredNotesHead(card), notes);

    // Back on the card with notes, then a new card: typed on a blank form, stored with no notes.
    Key(Qt::Key_F1);
    ASSERT_EQ(GetNotesHead(), notes);
    GoTo("100000");
    const int32_t fresh = CoreState.LastCard + 1;
    ASSERT_EQ(CoreState.CurrentCard, fresh);
    EXPECT_EQ(GetNotesHead(), 0);
    ClickField(kName);
    TypeAndEnter("Verdi Carla");
    ClickField(kBirth);
    ASSERT_EQ(CoreState.EntryBuffer, ">0/0/0");
    TypeAndEnter("3/11/1985");
    Key(Qt::Key_PageDown);
    while (CoreState.CurrentField < kTime) Key(Qt::Key_Down);
    TypeAndEnter("0745");
    ASSERT_EQ(CoreState.CurrentField, kPercentage);
    TypeAndEnter("12.5");
    Key(Qt::Key_F2);
    EXPECT_EQ(CoreState.LastCard, fresh);
    EXPECT_EQ(Stored(fresh, kBirth), 3);
    EXPECT_EQ(Stored(fresh, kBirth, 1), 11);
    EXPECT_EQ(Stored(fresh, kBirth, 2), 85);
    EXPECT_EQ(Stored(fresh, kTime), 745);
    EXPECT_EQ(Stored(fresh, kPercentage), 1250);
    EXPECT_EQ(Stored(fresh, kHousehold), -32000);
    EXPECT_EQ(StoredNotesHead(fresh), 0);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
    SetEntryClockForTests(std::nullopt);
}

}  // namespace
}  // namespace qv::test
