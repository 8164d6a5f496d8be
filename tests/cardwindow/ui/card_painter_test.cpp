#include "cardwindow/ui/card_painter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QToolButton>
#include <cstring>
#include <vector>

#include "app/startup.h"
#include "cardwindow/tool_buttons.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/short_string.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kLightCyan = qRgb(208, 255, 255);

struct LayoutItem {
    int page, style, x, y, alignment;
    std::string text;
};

// The sample archive's layout items, straight from "trd-tres.dat".
std::vector<LayoutItem> ReadLayoutItems(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<LayoutItem> items;
    for (size_t at = 0; at + 212 <= bytes.size(); at += 212) {
        const auto* r = reinterpret_cast<const uint8_t*>(bytes.data() + at);
        items.push_back({GetI16(r), GetI16(r + 2), GetI16(r + 4), GetI16(r + 6), GetI16(r + 8),
                         DecodeShortString(r + 10, 200)});
    }
    return items;
}

bool Dark(QRgb c) {
    return qGray(c) < 160;
}

// Whether any dark pixel lies where a text of `len` characters in a style of size `s` anchored at
// (x, y) with the given alignment must have ink: the rows above y, from the anchor towards the
// text's side. A glyph of this family is at least a third of the size wide.
bool InkNear(const QImage& img, int x, int y, int s, int alignment, int len) {
    const int w = std::max(2, s * len / 3);
    const int left = alignment == 1 ? x : alignment == 2 ? x - w / 2 : x - w;
    for (int py = y - s; py < y; ++py)
        for (int px = left; px < left + w; ++px)
            if (img.rect().contains(px, py) && Dark(img.pixel(px, py))) return true;
    return false;
}

int LastFieldOnPage(int page) {
    int last = 0;
    for (int f = 1; f <= CoreState.FieldCount; ++f)
        if (LayoutPage[f] == page) last = f;
    return last;
}

class CardPainterTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        WriteBytes(root / "pxx-dat.imp", "chiave\r\n");
        StartedProgram::SetUp();
        InstallIoErrorReporter();
    }
    void TearDown() override {
        SetIoErrorReporter(nullptr);
        StartedProgram::TearDown();
    }
    // A created window showing the blank new card, as after start-up.
    std::unique_ptr<TPrincipale> Window() {
        auto w = std::make_unique<TPrincipale>();
        w->FormCreate();
        return w;
    }
    const QImage& Image(TPrincipale& w) { return w.CardArea->Image; }
    void Paint(TPrincipale& w, int mode, int page = 1) {
        CoreState.CardWindowMode = mode;
        CoreState.CurrentPage = page;
        w.VisualizzaClick();
    }
    std::string Archive(const std::string& name) { return root / ("Pianalto/" + name); }
};

TEST_F(CardPainterTest, TitlePerMode) {
    auto w = Window();
    EXPECT_EQ(w->windowTitle(), "Testo 59 Testo 60 Testo 34Testo 61");
    for (int mode : {2, 3, 4, 5, 9, 12, 13, 14, 15, 16}) {
        Paint(*w, mode);
        EXPECT_EQ(w->windowTitle(), QString("Testo 59 Testo 60 Testo %1Testo 61").arg(33 + mode));
    }
    Paint(*w, 17);
    EXPECT_EQ(w->windowTitle(), "Testo 59 Testo 60 Testo 61");
}

// The bar b1..b10 of every mode follows the mode's table (ToolButtonsForMode; its text numbers
// are checked by the card window's caption table): the visible buttons stand side by side in
// their widths, a caption wider than its button widens it (and moves the buttons after it), and
// only then; the page caption, card number and notes indicator are the painting's own.
TEST_F(CardPainterTest, ToolButtonsPerMode) {
    auto w = Window();
    CoreState.ClassWidth = 7;
    CoreState.WriteAccess = 1;
    QToolButton* b[] = {nullptr, w->b1, w->b2, w->b3, w->b4, w->b5, w->b6, w->b7, w->b8, w->b9, w->b10};
    // Modes 10, 11 and 17 paint nothing and leave the bar as it was.
    for (int mode : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15, 16}) {
        Paint(*w, mode, mode == 3 ? 2 : 1);
        const ToolButtonLayout bar = ToolButtonsForMode(mode);
        int left = 0;
        for (int k = 1; k <= kToolButtonCount; ++k) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " b" + std::to_string(k));
            const ToolButtonSpec& want = bar[size_t(k)];
            EXPECT_EQ(b[k]->isHidden(), !want.visible);
            if (!want.visible) continue;
            std::string caption = want.caption;
            if (k == PageCaptionButton(mode)) caption = PageCaption();
            if (k == CardNumberButton(mode)) caption = std::to_string(CoreState.CurrentCard + 1);
            if (k == NotesButton(mode)) caption = NotesCaption();
            EXPECT_EQ(b[k]->text(), Qs(caption));
            EXPECT_EQ(b[k]->toolTip(), Qs(want.hint));
            EXPECT_EQ(b[k]->autoRaise(), want.flat);
            EXPECT_EQ(b[k]->isEnabled(), want.enabled);
            const int frame = b[k]->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b[k]);
            const int needs = b[k]->fontMetrics().horizontalAdvance(b[k]->text()) + 2 * frame + 4;
            EXPECT_EQ(b[k]->geometry(), QRect(left, 0, std::max(want.width, needs), kToolButtonHeight));
            left += b[k]->width();
        }
    }
    // What changes the bar within a mode: an ended search, and the display-only marking modes.
    CoreState.SearchEnded = 1;
    Paint(*w, 2);
    EXPECT_FALSE(w->b4->isEnabled());
    CoreState.SearchEnded = 0;
    Paint(*w, 2);
    EXPECT_TRUE(w->b4->isEnabled());
    for (int mode : {5, 6, 7, 8, 9, 13, 15}) {
        Paint(*w, mode);
        EXPECT_EQ(w->b2->isEnabled(), mode != 13 && mode != 15) << mode;
    }
    // An archive of at most one card cannot select nor list.
    CoreState.LastCard = 0;
    Paint(*w, 12);
    EXPECT_FALSE(w->b3->isEnabled());
    EXPECT_EQ(w->b3->toolTip(), "Testo 105");
    Paint(*w, 14);
    EXPECT_FALSE(w->b3->isEnabled());
    EXPECT_EQ(w->b3->toolTip(), "Testo 86");
    // Back in mode 1 everything is reset first.
    Paint(*w, 1);
    EXPECT_FALSE(w->b10->isHidden());
    EXPECT_TRUE(w->b3->isEnabled());
    EXPECT_FALSE(w->b3->autoRaise());
    EXPECT_EQ(w->b6->width(), 50);
}

TEST_F(CardPainterTest, FieldBoxesFollowStyleAndPlacement) {
    auto w = Window();
    ASSERT_EQ(CoreState.CurrentField, 1);
    auto expectBox = [&](int f, QRgb outline) {
        SCOPED_TRACE("field " + std::to_string(f));
        const QImage& img = Image(*w);
        const int x = LayoutX[f], y = LayoutY[f], r = LayoutRight[f];
        const int h = CardTextStyles[LayoutStyle[f]][1];
        const int mid = (x + r) / 2;
        for (QPoint p :
             {QPoint(x - 2, y + 2), QPoint(r, y + 2), QPoint(r, y - h), QPoint(x - 2, y - h),
              QPoint(mid, y + 2), QPoint(mid, y - h), QPoint(x - 2, y - h / 2), QPoint(r, y - h / 2)})
            EXPECT_EQ(img.pixel(p), outline) << p.x() << "," << p.y();
        for (QPoint p : {QPoint(x - 3, y), QPoint(r + 1, y), QPoint(mid, y + 3), QPoint(mid, y - h - 1),
                         QPoint(r - 1, y + 1), QPoint(r - 1, y - h + 1)})
            EXPECT_EQ(img.pixel(p), kWhite) << p.x() << "," << p.y();
    };
    // Style 3 of the sample is 15 pixels: the boxes are 17 high.
    ASSERT_EQ(CardTextStyles[LayoutStyle[2]][1], 15);
    expectBox(1, kBlack);
    expectBox(2, kLightCyan);
    expectBox(LastFieldOnPage(1), kLightCyan);

    // The colour file holds blue, green and red from the low byte up.
    WriteBytes(Archive("inf-colo.dat"), std::string("\x10\x80\xF0\x00", 4));
    w->VisualizzaClick();
    expectBox(2, qRgb(0x10, 0x80, 0xF0));
    // A box 27 high for a style of 25.
    CardTextStyles[LayoutStyle[2]][1] = 25;
    w->VisualizzaClick();
    expectBox(2, qRgb(0x10, 0x80, 0xF0));
}

TEST_F(CardPainterTest, EveryPageOfTheSampleDraws) {
    auto w = Window();
    ASSERT_GE(CoreState.PageCount, 2);
    const std::vector<LayoutItem> items = ReadLayoutItems(Archive("trd-tres.dat"));
    ASSERT_EQ(int(items.size()), CoreState.LayoutItemCount);
    for (int page = 1; page <= CoreState.PageCount; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        int first = 0;
        for (int f = CoreState.FieldCount; f >= 1; --f)
            if (LayoutPage[f] == page) first = f;
        CoreState.CurrentField = first;
        Paint(*w, 1, page);
        const QImage& img = Image(*w);
        int texts = 0;
        for (const LayoutItem& it : items) {
            if (it.page != page || it.text.find_first_not_of(' ') == std::string::npos) continue;
            const int style = it.style < 1 || it.style > 9 ? 1 : it.style;
            EXPECT_TRUE(InkNear(img, it.x, it.y, CardTextStyles[style][1], it.alignment, int(it.text.size())))
                << it.text;
            ++texts;
        }
        EXPECT_GT(texts, 0);
        for (int f = 1; f <= CoreState.FieldCount; ++f) {
            if (LayoutPage[f] == page) {
                EXPECT_EQ(img.pixel(LayoutRight[f], LayoutY[f] + 2), f == first ? kBlack : kLightCyan) << f;
            }
        }
        EXPECT_EQ(CoreState.CommandCode, LastFieldOnPage(page));
        EXPECT_EQ(w->b7->text(), QString("Testo 121 %1").arg(page));
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
    // The canvas shows what was drawn, below the tool bar.
    const QImage shown = w->CardArea->grab().toImage();
    const int f = LastFieldOnPage(CoreState.PageCount);
    EXPECT_EQ(shown.pixel(LayoutRight[f], LayoutY[f] + 2), kLightCyan);
}

TEST_F(CardPainterTest, CommandCodeAfterAPaint) {
    auto w = Window();
    EXPECT_EQ(CoreState.CommandCode, LastFieldOnPage(1));
    Paint(*w, 1, CoreState.PageCount + 1);  // a page without fields
    EXPECT_EQ(CoreState.CommandCode, 1);
    Paint(*w, 4, 1);
    EXPECT_EQ(CoreState.CommandCode, 1);
    // Mode 4 shows the page but no field.
    const int f = LastFieldOnPage(1);
    EXPECT_EQ(Image(*w).pixel(LayoutRight[f], LayoutY[f] + 2), kWhite);
    EXPECT_TRUE(CoreState.EntryBuffer.empty());
    Paint(*w, 13, 2);
    EXPECT_EQ(CoreState.CommandCode, LastFieldOnPage(2));
}

TEST_F(CardPainterTest, FieldUnderTheCursorFillsTheEntryState) {
    auto w = Window();
    EXPECT_EQ(CoreState.EntryBuffer, ">");
    EXPECT_EQ(CoreState.EntryOriginalText, "");
    // The fields of the sample by type, with a value each, as the card window writes them.
    struct Case {
        int field;
        std::function<void()> set;
        const char* empty;
        const char* filled;
    } cases[] = {
        {1, [] { std::memcpy(&CurrentCardText[1], "Bianchi Anna", 12); }, "", "Bianchi Anna"},
        {3, [] { CurrentCardValues[FieldPositions[3]] = 2; }, "", "femmina"},
        {4,
         [] {
             const int p = FieldPositions[4];
             CurrentCardValues[p] = 9;
             CurrentCardValues[p + 1] = 4;
             CurrentCardValues[p + 2] = 61;
         },
         "0/0/0", "9/4/1961"},
        {5, [] { CurrentCardValues[FieldPositions[5]] = 1; }, " ", "Agli\xE8"},
        {9, [] { CurrentCardValues[FieldPositions[9]] = 4; }, "", "4"},
        {10, [] { PutCardNumber(28500, 10); }, "", "28500"},
        {14, [] { CurrentCardValues[FieldPositions[14]] = 6; }, "", "motociclo"},
        {16, [] { CurrentCardValues[FieldPositions[16]] = 745; }, "__:__.", "07:45."},
        {17, [] { CurrentCardValues[FieldPositions[17]] = 3050; }, "___.__%", " 30.50%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("field " + std::to_string(c.field));
        CoreState.CurrentField = c.field;
        for (bool filled : {false, true}) {
            if (filled) c.set();
            CoreState.EntryBuffer = ">typed but not committed";
            CoreState.EntryCursor = 5;
            Paint(*w, 1, LayoutPage[c.field]);
            const std::string want = filled ? c.filled : c.empty;
            EXPECT_EQ(CoreState.EntryOriginalText, want);
            EXPECT_EQ(CoreState.EntryBuffer, ">" + want);
            EXPECT_EQ(CoreState.CurrentFieldText, want);
            EXPECT_EQ(CoreState.EntryCursor, 0);
        }
    }
    // The cursor on another page leaves the buffer empty.
    CoreState.CurrentField = 1;
    Paint(*w, 1, 2);
    EXPECT_TRUE(CoreState.EntryBuffer.empty());
    EXPECT_TRUE(CoreState.EntryOriginalText.empty());
}

TEST_F(CardPainterTest, LongTextFieldIsHeldWhole) {
    auto w = Window();
    CoreState.CardTextBytes = 1500;
    FieldTypes[1] = -999;
    std::string text(999, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = char('a' + i % 26);
    std::memcpy(&CurrentCardText[1], text.data(), text.size());
    CoreState.CurrentField = 1;
    w->VisualizzaClick();
    EXPECT_EQ(CoreState.EntryOriginalText, text);
    EXPECT_EQ(CoreState.EntryBuffer, ">" + text);
    EXPECT_EQ(CoreState.CurrentFieldText, text);
}

TEST_F(CardPainterTest, MarksPerMarkingMode) {
    auto w = Window();
    CoreState.CurrentField = 2;
    FieldAttributes[2] = 1 | 8;
    struct Case {
        int mode;
        const char* want;
    } cases[] = {{5, "TAB"}, {6, " "}, {7, " "}, {8, "Cop"}, {9, " "}, {13, "2"}, {15, "A 41+15"}, {16, " "}};
    for (const Case& c : cases) {
        Paint(*w, c.mode);
        EXPECT_EQ(CoreState.EntryOriginalText, c.want) << c.mode;
    }
    FieldInCondition[2] = 1;
    FieldConditionSense[2] = 0;
    Paint(*w, 12);
    EXPECT_EQ(CoreState.EntryOriginalText, "# ");
    CoreState.ListOrderField = 2;
    Paint(*w, 14);
    EXPECT_EQ(CoreState.EntryOriginalText, " ORD");
}

TEST_F(CardPainterTest, NotesIndicatorAndCardNumber) {
    auto w = Window();
    CoreState.CurrentCard = 41;
    SetNotesHead(3);
    Paint(*w, 1);
    EXPECT_EQ(w->b10->text(), "Testo 122");
    EXPECT_EQ(w->b4->text(), "42");
    Paint(*w, 2);
    EXPECT_EQ(w->b8->text(), "Testo 122");
    EXPECT_EQ(w->b5->text(), "42");
    SetNotesHead(0);
    Paint(*w, 2);
    EXPECT_EQ(w->b8->text(), "Testo 123");
    Paint(*w, 1);
    EXPECT_EQ(w->b10->text(), "Testo 123");
}

TEST_F(CardPainterTest, StyleMinusOneDrawsNoText) {
    auto w = Window();
    const std::vector<LayoutItem> items = ReadLayoutItems(Archive("trd-tres.dat"));
    const LayoutItem& title = items.front();
    ASSERT_EQ(title.page, 1);
    ASSERT_TRUE(InkNear(Image(*w), title.x, title.y, 25, title.alignment, int(title.text.size())));
    for (int k = 1; k <= 9; ++k) CardTextStyles[k][0] = -1;
    w->VisualizzaClick();
    const QImage& img = Image(*w);
    EXPECT_FALSE(InkNear(img, title.x, title.y, 25, title.alignment, int(title.text.size())));
    // The field under the cursor keeps its box but its mark is not written.
    EXPECT_EQ(img.pixel(LayoutRight[1], LayoutY[1] + 2), kBlack);
    for (int x = LayoutX[1]; x < LayoutX[1] + 20; ++x)
        for (int y = LayoutY[1] - 14; y < LayoutY[1] + 2; ++y)
            ASSERT_EQ(img.pixel(x, y), kWhite) << x << "," << y;
}

TEST_F(CardPainterTest, LogoDrawnAtItsPlace) {
    QImage logo(4, 3, QImage::Format_RGB32);
    logo.fill(qRgb(200, 0, 0));
    ASSERT_TRUE(logo.save(QString::fromStdString(Archive("logo.bmp")), "BMP"));
    auto w = Window();
    ASSERT_EQ(CoreState.LogoPresent, 1);
    const QImage& img = Image(*w);
    EXPECT_EQ(img.pixel(1, 21), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(4, 23), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(0, 21), kWhite);
    EXPECT_EQ(img.pixel(5, 21), kWhite);
    EXPECT_EQ(img.pixel(1, 24), kWhite);
}

TEST_F(CardPainterTest, FileErrorIsReportedOnceByTheCommandThatDrew) {
    std::remove(Archive("trd-tres.dat").c_str());
    auto w = Window();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("trd-tres.dat"), std::string::npos);
    w->show();
    w->repaint();
    w->CardArea->grab();
    QApplication::processEvents();
    EXPECT_EQ(messages.size(), 1u) << messages.back();
}

TEST_F(CardPainterTest, MissingMunicipalityNamesStopThePaint) {
    auto w = Window();
    std::remove((root / "cmn-zor2.dat").c_str());
    CurrentCardValues[FieldPositions[5]] = 3;
    EXPECT_THROW(w->VisualizzaClick(), IoError);
    w->show();
    w->repaint();
    w->CardArea->grab();
    QApplication::processEvents();
    EXPECT_TRUE(messages.empty()) << messages.front();
    // The fields before the municipality were drawn; the ones after it were not.
    EXPECT_EQ(Image(*w).pixel(LayoutRight[4], LayoutY[4] + 2), kLightCyan);
    EXPECT_EQ(Image(*w).pixel(LayoutRight[9], LayoutY[9] + 2), kWhite);
}

}  // namespace
}  // namespace qv
