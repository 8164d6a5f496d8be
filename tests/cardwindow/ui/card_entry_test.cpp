// The card window driven by synthetic keys and mouse clicks, checked on the card files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/startup.h"
#include "cardwindow/card_field_text.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/card_window.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using namespace test;

// The sample archive: 150 text bytes and 100 words a card, cards 0 to 419. Fields: 1 name
// (text 40 at byte 1), 2 telephone (text 15 at byte 41), 3 sex (2 categories, word 1), 4 birth
// date (words 2-4), 5 municipality (word 5), 6-8 categories, 9 a 16-bit number (word 9), 10 a
// 32-bit number (words 10-11) on page 1; fields 11 to 18 on page 2, 18 with 5 categories (word 19).
constexpr int kTextBytes = 150;
constexpr int kWords = 100;
constexpr int kNewCard = 420;

const QPoint kField5(300, 160);
const QPoint kField6(100, 200);
const QPoint kField9(330, 300);

class CardEntryTest : public test::SampleCardWindow {
  protected:
    void SetUp() override {
        SampleCardWindow::SetUp();
        canvas = window->CardArea;
        textBefore = ReadBytes(ArchiveFile("alf-sch.dat"));
        valuesBefore = ReadBytes(ArchiveFile("num-sch.dat"));
    }
    void Key(Qt::Key k, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(canvas, k);
    }
    void Type(const char* text) { QTest::keyClicks(canvas, QString::fromLatin1(text)); }
    void Click(QPoint p) { QTest::mouseClick(canvas, Qt::LeftButton, {}, p); }
    // As a person does it: the first click, then the second press that makes it double.
    void DoubleClick(QPoint p) {
        Click(p);
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, p);
    }
    std::string StoredText(int card, int offset, int length) const {
        const std::string t = ReadBytes(ArchiveFile("alf-sch.dat"));
        return t.substr(size_t(card) * kTextBytes + size_t(offset) - 1, size_t(length));
    }
    int32_t StoredLastCard() const {
        const std::string d = ReadBytes(ArchiveFile("dli-sch.dat"));
        return GetI32(reinterpret_cast<const uint8_t*>(d.data()));
    }

    QWidget* canvas = nullptr;
    std::string textBefore, valuesBefore;
};

TEST_F(CardEntryTest, NumberTypedThenNextCardStoresIt) {
    CoreState.WriteAccess = 1;
    GoToCard(5);
    CurrentCardValues[9] = 5;
    window->VisualizzaClick();
    Key(Qt::Key_Down, 8);
    ASSERT_EQ(CoreState.CurrentField, 9);
    EXPECT_EQ(CoreState.EntryBuffer, ">5");
    // The first key replaces the value shown; the next go in front of the mark.
    Type("12");
    EXPECT_EQ(CoreState.EntryBuffer, "12>");
    Key(Qt::Key_F2);
    EXPECT_EQ(CoreState.CurrentCard, 6);
    EXPECT_EQ(CoreState.CurrentField, 9);
    // Only the typed word changed: passing through the other fields rewrote nothing.
    std::string expected = valuesBefore;
    PutU16(reinterpret_cast<uint8_t*>(expected.data()) + (5 * kWords + 8) * 2, 12);
    EXPECT_EQ(ReadBytes(ArchiveFile("num-sch.dat")), expected);
    EXPECT_EQ(ReadBytes(ArchiveFile("alf-sch.dat")), textBefore);
    EXPECT_EQ(StoredLastCard(), 419);
    // The next card is shown with the same field under the cursor.
    EXPECT_EQ(CoreState.EntryBuffer, ">" + CardFieldText(9, 1));
}

TEST_F(CardEntryTest, QuickEntryFieldsStoreOneKeyAndMoveOn) {
    CoreState.WriteAccess = 1;
    FieldAttributes[3] |= 2;
    FieldAttributes[18] |= 2;
    std::vector<int> listed;
    RegisterCardDialog(CardDialog::CategoryList, [&](QWidget*) {
        listed.push_back(CoreState.CommandCode);
        CoreState.CommandCode = 4;
    });
    Type("Verdi");
    Key(Qt::Key_Down, 2);
    ASSERT_EQ(CoreState.CurrentField, 3);
    Type("2");
    EXPECT_EQ(CoreState.CurrentField, 4);
    EXPECT_EQ(CurrentCardValues[1], 2);
    // "B" is code 11, beyond the 5 categories of field 18: the list of categories is offered.
    Key(Qt::Key_End);
    ASSERT_EQ(CoreState.CurrentField, 18);
    Type("3");
    EXPECT_EQ(CurrentCardValues[19], 3);
    EXPECT_TRUE(listed.empty());
    Type("B");
    EXPECT_EQ(listed, std::vector<int>{18});
    EXPECT_EQ(CurrentCardValues[19], 4);
    EXPECT_EQ(CoreState.CurrentField, 18);
    Key(Qt::Key_F2);
    EXPECT_EQ(StoredLastCard(), kNewCard);
    EXPECT_EQ(StoredCardWord(kNewCard, 1), 2);
    EXPECT_EQ(StoredCardWord(kNewCard, 19), 4);
    EXPECT_EQ(StoredText(kNewCard, 1, 6), std::string("Verdi\0", 6));
}

TEST_F(CardEntryTest, TabFollowsTheTabStops) {
    FieldAttributes[5] |= 1;
    FieldAttributes[9] |= 1;
    FieldAttributes[16] |= 1;
    Type("Rossi");
    Key(Qt::Key_Tab);
    EXPECT_EQ(CoreState.CurrentField, 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&CurrentCardText[1]), 6), std::string("Rossi\0", 6));
    Key(Qt::Key_Tab);
    EXPECT_EQ(CoreState.CurrentField, 9);
    Key(Qt::Key_Tab);
    EXPECT_EQ(CoreState.CurrentField, 16);
    EXPECT_EQ(CoreState.CurrentPage, 2);
    // No tab stop after the last one: the cursor goes to the next field.
    Key(Qt::Key_Tab);
    EXPECT_EQ(CoreState.CurrentField, 17);
    // A release of an auto-repeated Tab is not the final one.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, "\t", true);
    QApplication::sendEvent(canvas, &repeat);
    EXPECT_EQ(CoreState.CurrentField, 17);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CardEntryTest, PagesHomeAndEnd) {
    Key(Qt::Key_Down, 8);
    Type("42");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(int16_t(CurrentCardValues[9]), 42);  // committed on the way out
    EXPECT_EQ(CoreState.CurrentPage, 2);
    EXPECT_EQ(CoreState.CurrentField, 11);
    EXPECT_EQ(window->b7->text(), "Testo 121 2");
    EXPECT_EQ(CoreState.EntryBuffer, ">");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(CoreState.CurrentPage, 2);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(CoreState.CurrentPage, 1);
    EXPECT_EQ(CoreState.CurrentField, 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(CoreState.CurrentField, 1);
    Key(Qt::Key_End);
    EXPECT_EQ(CoreState.CurrentPage, 2);
    EXPECT_EQ(CoreState.CurrentField, 18);
    Key(Qt::Key_Down);
    EXPECT_EQ(CoreState.CurrentField, 18);
    Key(Qt::Key_Up);
    EXPECT_EQ(CoreState.CurrentField, 17);
    Key(Qt::Key_Home);
    EXPECT_EQ(CoreState.CurrentPage, 1);
    EXPECT_EQ(CoreState.CurrentField, 1);
    EXPECT_EQ(window->b7->text(), "Testo 121 1");
}

TEST_F(CardEntryTest, NextCardStoresOnlyANewCardWithDataAndWriteAccess) {
    struct Case {
        const char* what;
        bool writeAccess;
        const char* typed;
        int32_t lastCard;
        int32_t cardAfter;
        size_t notices;  // that the card was not stored
    } cases[] = {
        {"an empty new card stays", true, "", 419, kNewCard, 0},
        {"without write access nothing is stored, the move goes on", false, "Neri", 419, kNewCard + 1, 1},
        {"with data and write access the card is added", true, "Neri", kNewCard, kNewCard + 1, 0},
    };
    for (const Case& c : cases) {
        messages.clear();
        GoToCard(CoreState.LastCard + 1);
        CoreState.WriteAccess = c.writeAccess;
        Key(Qt::Key_Home);
        Type(c.typed);
        Key(Qt::Key_F2);
        EXPECT_EQ(StoredLastCard(), c.lastCard) << c.what;
        EXPECT_EQ(CoreState.CurrentCard, c.cardAfter) << c.what;
        EXPECT_EQ(messages.size(), c.notices) << c.what;
        if (c.lastCard == 419) {
            EXPECT_EQ(ReadBytes(ArchiveFile("alf-sch.dat")), textBefore) << c.what;
            EXPECT_EQ(ReadBytes(ArchiveFile("num-sch.dat")), valuesBefore) << c.what;
        }
    }
    EXPECT_EQ(StoredText(kNewCard, 1, 5), std::string("Neri\0", 5));
    EXPECT_EQ(window->b4->text(), QString::number(kNewCard + 2));
    EXPECT_EQ(CoreState.EntryBuffer, ">");
    Key(Qt::Key_F1);
    EXPECT_EQ(CoreState.CurrentCard, kNewCard);
    EXPECT_EQ(CoreState.EntryBuffer, ">Neri");
}

TEST_F(CardEntryTest, MissingRequiredFieldsAreListedAndTheMoveGoesOn) {
    WriteBytes(ArchiveFile("cfs-sch.imp"), "1, Cognome\r\n2, Telefono\r\n");
    CoreState.WriteAccess = 1;
    Type("Gialli");
    Key(Qt::Key_F2);
    EXPECT_EQ(viewed, std::vector<int>{-23});
    EXPECT_EQ(StoredLastCard(), kNewCard);
    EXPECT_EQ(CoreState.CurrentCard, kNewCard + 1);
    // The field being typed counts as filled.
    EXPECT_NE(ReadBytes(root / "Pianalto/cfs-cont.txt").find("Telefono"), std::string::npos);
    EXPECT_EQ(ReadBytes(root / "Pianalto/cfs-cont.txt").find("Cognome"), std::string::npos);
}

TEST_F(CardEntryTest, MouseMovesTheCursorAndCommits) {
    Click(kField9);
    EXPECT_EQ(CoreState.CurrentField, 9);
    EXPECT_EQ(CoreState.ClickInCard, 1);
    Type("77");
    // A press on the field being typed keeps the typing; leaving it commits, as the keys do.
    Click(kField9);
    EXPECT_EQ(CoreState.EntryBuffer, "77>");
    Click(kField6);
    EXPECT_EQ(CoreState.CurrentField, 6);
    EXPECT_EQ(CurrentCardValues[9], 77);
    // Outside every box only the field is drawn again.
    Click(QPoint(150, 400));
    EXPECT_EQ(CoreState.CurrentField, 6);
    CoreState.MouseEntry = 0;
    Click(kField9);
    EXPECT_EQ(CoreState.CurrentField, 6);
}

TEST_F(CardEntryTest, DoubleClickAndF3OpenThePickerOfTheField) {
    std::vector<int> comuni, lists;
    RegisterCardDialog(CardDialog::ComunePicker, [&](QWidget* owner) {
        EXPECT_EQ(owner, window.get());
        comuni.push_back(CoreState.CommandCode);
        CoreState.CommandCode = 3784;
    });
    RegisterCardDialog(CardDialog::CategoryList, [&](QWidget*) {
        lists.push_back(CoreState.CommandCode);
        CoreState.CommandCode = 0;  // left without choosing
    });
    DoubleClick(kField5);
    EXPECT_EQ(CoreState.CurrentField, 5);
    EXPECT_EQ(comuni, std::vector<int>{0});
    EXPECT_EQ(CurrentCardValues[5], 3784);
    EXPECT_EQ(CoreState.EntryBuffer, ">Parma");
    Key(Qt::Key_F3);
    EXPECT_EQ(comuni, (std::vector<int>{0, 3784}));
    // A double click whose press lies in the tool bar area does nothing.
    DoubleClick(QPoint(600, 17));
    EXPECT_EQ(comuni.size(), 2u);
    Click(kField6);
    CurrentCardValues[6] = 3;
    Key(Qt::Key_F3);
    EXPECT_EQ(lists, std::vector<int>{6});
    EXPECT_EQ(CurrentCardValues[6], 3);
}

TEST_F(CardEntryTest, EditingKeysAndFunctionKeys) {
    GoToCard(0);
    Key(Qt::Key_Down, 8);
    Key(Qt::Key_F8);
    EXPECT_EQ(CurrentCardValues[9], kEmptyWord);
    EXPECT_EQ(CoreState.EntryBuffer, ">");
    Type("123");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(CoreState.EntryBuffer, "12>");  // once, though the key also gives a character
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(CoreState.EntryBuffer, "1>");
    Type("234567890");
    EXPECT_EQ(CoreState.EntryBuffer, "1234567");
    // Past the field's range: Home keeps the cursor there with the text selected, and the next
    // key replaces it.
    Key(Qt::Key_Home);
    EXPECT_EQ(CoreState.CurrentField, 9);
    EXPECT_EQ(CoreState.EntryBuffer, ">1234567");
    Type("7");

    // F4: the field's text to the clipboard; F5: the dialer's speed-dial entry.
    Key(Qt::Key_Home);
    Key(Qt::Key_F4);
    const std::string name = CardFieldText(1, 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Qs(name));
    Key(Qt::Key_Down);
    Key(Qt::Key_F5);
    const std::string dialer = ReadBytes(root / "dialer.ini");
    EXPECT_NE(dialer.find("Number1=" + CardFieldText(2, 1) + "\r\n"), std::string::npos) << dialer;
}

TEST_F(CardEntryTest, MarkingModesByKey) {
    struct Case {
        int mode;
        int field;
        const char* key;
        int attributes;  // of the field afterwards
        int fieldAfter;
    } cases[] = {
        {5, 1, "\r", 1, 2},  {6, 3, "\r", 2, 4},   {7, 3, "\r", 4, 4},  {8, 4, "\r", 8, 5},
        {9, 4, "\r", 16, 5}, {16, 3, "\r", 64, 4}, {16, 1, "\r", 0, 2}, {5, 1, "x", 0, 1},
        {13, 2, "x", 0, 3},  {15, 2, "\t", 0, 4},  {12, 9, "s", 32, 9}, {12, 9, "\r", 0, 10},
    };
    for (const Case& c : cases) {
        std::fill(FieldAttributes.begin(), FieldAttributes.end(), 0);
        CoreState.CardWindowMode = c.mode;
        CoreState.CurrentField = c.field;
        window->VisualizzaClick();
        QTest::keyClicks(canvas, c.key);
        EXPECT_EQ(FieldAttributes[c.field], c.attributes) << c.mode << " " << c.key;
        EXPECT_EQ(CoreState.CurrentField, c.fieldAfter) << c.mode << " " << c.key;
    }
    CoreState.CardWindowMode = 12;
    CoreState.CurrentField = 3;
    Type("q");
    EXPECT_EQ(CoreState.StatisticsField, 3);
    CoreState.CardWindowMode = 14;
    Type("oL");
    EXPECT_EQ(CoreState.ListOrderField, 3);
    EXPECT_EQ(CoreState.ListGroupField1, 3);
}

TEST_F(CardEntryTest, PointerPositionInMode4) {
    CoreState.CardWindowMode = 4;
    window->VisualizzaClick();
    Click(QPoint(123, 250));
    const QImage& img = window->CardArea->Image;
    int red = 0;
    for (int y = 21; y < 60; ++y)
        for (int x = 1; x < 80; ++x)
            if (img.pixel(x, y) == qRgb(255, 0, 0)) ++red;
    EXPECT_GT(red, 20);
    EXPECT_EQ(CoreState.CurrentField, 1);
}

// From the start of the program to its next start, through the keyboard.
TEST(CardEntryEndToEnd, TypedCardIsStoredAndShownAfterARestart) {
    ProgramRoot root(/*shipped=*/true);
    WriteBytes(root / "pxx-dat.imp", "PIANALTO\r\n");
    // The municipality typed by name, found here by reading the names file directly.
    const std::string names = ReadBytes(root / "cmn-zor2.dat");
    int fidenza = 0;
    for (size_t r = 0; r * 38 < names.size(); ++r)
        if (names.compare(r * 38, 8,
                          "\x07"
                          "Fidenza") == 0)
            fidenza = int(r) + 1;
    ASSERT_GT(fidenza, 0);

    StartProgram();
    test::DialogScript person;
    person.messageAnswer = 0;
    person.On<TPassWord>([](TPassWord& p) {
        p.show();
        QTest::keyClicks(p.Pass, "PIANALTO");
    });
    person.On<TEsciMorvidex>([](TEsciMorvidex& e) { e.No->click(); });
    person.Install();
    {
        TPrincipale w;
        w.FormCreate();
        ASSERT_EQ(CoreState.WriteAccess, 1);
        w.show();
        QWidget* c = w.CardArea;
        QTest::keyClicks(c, "Bianchi Anna");
        QTest::keyClick(c, Qt::Key_Return);
        QTest::keyClick(c, Qt::Key_Return);
        QTest::keyClicks(c, "fem");
        QTest::keyClick(c, Qt::Key_Return);
        QTest::keyClicks(c, "3/11/1985");
        QTest::keyClick(c, Qt::Key_Return);
        QTest::keyClicks(c, "fidenza");
        QTest::keyClick(c, Qt::Key_Return);
        for (int i = 0; i < 3; ++i) QTest::keyClick(c, Qt::Key_Down);
        QTest::keyClicks(c, "4");
        QTest::keyClick(c, Qt::Key_Down);
        QTest::keyClicks(c, "35000");
        QTest::keyClick(c, Qt::Key_F2);
        EXPECT_EQ(CoreState.CurrentCard, kNewCard + 1);
        w.Esci2->trigger();
        EXPECT_TRUE(w.Closed());
    }
    ResetUiHooks();
    StopProgram();

    const std::string dir = root / "Pianalto/";
    const std::string text = ReadBytes(dir + "alf-sch.dat");
    ASSERT_EQ(text.size(), size_t(kNewCard + 1) * kTextBytes);
    EXPECT_EQ(text.substr(size_t(kNewCard) * kTextBytes, 13), std::string("Bianchi Anna\0", 13));
    const std::string values = ReadBytes(dir + "num-sch.dat");
    ASSERT_EQ(values.size(), size_t(kNewCard + 1) * kWords * 2);
    auto word = [&](int w) {
        return GetU16(reinterpret_cast<const uint8_t*>(values.data()) +
                      (size_t(kNewCard) * kWords + w - 1) * 2);
    };
    EXPECT_EQ(word(1), 2);  // "femmina"
    EXPECT_EQ(word(2), 3);
    EXPECT_EQ(word(3), 11);
    EXPECT_EQ(word(4), 85);
    EXPECT_EQ(word(5), fidenza);
    EXPECT_EQ(word(9), 4);
    // 35000 = 0x000088B8: the high half, then the low half with its bits reversed.
    EXPECT_EQ(word(10), 0x0000);
    EXPECT_EQ(word(11), 0x1D11);
    const std::string last = ReadBytes(dir + "dli-sch.dat");
    EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(last.data())), kNewCard);

    StartProgram();
    test::DialogScript reader;  // leaves the password unanswered
    reader.messageAnswer = 0;
    reader.Install();
    {
        TPrincipale w;
        w.FormCreate();
        w.show();
        QTest::keyClick(w.CardArea, Qt::Key_F1);
        EXPECT_EQ(CoreState.CurrentCard, kNewCard);
        EXPECT_EQ(CoreState.EntryBuffer, ">Bianchi Anna");
        const char* shown[] = {"Bianchi Anna", "",      "femmina", "3/11/1985", "Fidenza",
                               nullptr,        nullptr, nullptr,   "4",         "35000"};
        for (int f = 1; f <= 10; ++f) {
            if (!shown[f - 1]) continue;
            EXPECT_EQ(CardFieldText(f, 1), shown[f - 1]) << f;
        }
    }
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

}  // namespace
}  // namespace qv
