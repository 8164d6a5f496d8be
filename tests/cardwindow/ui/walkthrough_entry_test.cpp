// A new card typed as a person types it: the mouse puts the cursor on a field, F3 opens the
// pickers of category and municipality fields, a new category is added to a list from the
// choice form, F2 stores the card and F1 brings it back.
#include <QListWidget>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "cardwindow/comune_lookup.h"
#include "cardwindow/ui/category_pickers.h"
#include "core/card_store.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "territory/ui/tunita.h"

namespace qv::test {
namespace {

constexpr int kName = 1, kSex = 3, kBirth = 4, kComune = 5, kCivil = 6, kStudy = 7, kSpouseStudy = 8;

class WalkthroughEntry : public CardWindowWalkthrough {
  protected:
    void ClickField(int field) {
        QTest::mouseClick(window->CardArea, Qt::LeftButton, {},
                          QPoint(LayoutX[size_t(field)] + 4, LayoutY[size_t(field)] - 4));
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
    std::string Label(int field, int category) const {
        const std::string labels = ReadBytes(Archive("mod-sch.dat"));
        const size_t at = size_t(FieldFirstLabel[size_t(field)] + category - 1) * 61;
        std::string l = labels.substr(at, 61);
        return l.substr(0, l.find('\0'));
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
    Key(Qt::Key_F8);
    TypeAndEnter("7/11/1958");
    EXPECT_EQ(Value(kBirth), 7);

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
    ClickField(kCivil);
    TypeAndEnter("divor");
    EXPECT_EQ(Value(kCivil), 4);

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
    EXPECT_EQ(Value(kCivil), 4);
    EXPECT_EQ(Value(kStudy), before + 1);
    EXPECT_EQ(window->b4->text().toStdString(), std::to_string(card + 1));
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
