#include "cardwindow/ui/card_painter.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "cardwindow/card_field_text.h"
#include "cardwindow/tool_buttons.h"
#include "core/archive_definition.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/short_string.h"
#include "platform/ui/qt_text.h"

namespace qv {

const char* const kCardFontFamily = "DejaVu Sans";

namespace {

constexpr int kLayoutTextChars = 200;
constexpr int kLogoX = 1;
constexpr int kLogoY = 21;
// Light cyan, stored as 0x00FFFFD0 in the colour file's blue-green-red order.
constexpr uint32_t kDefaultBoxColour = 0x00FFFFD0;

// Character cell height of the card family at one pixel of em size.
double CellPerPixel() {
    static const double ratio = [] {
        QFont f(QString::fromLatin1(kCardFontFamily));
        f.setPixelSize(1000);
        const double h = QFontMetricsF(f).height();
        return h > 0 ? h / 1000.0 : 1.0;
    }();
    return ratio;
}

QColor FromBgr(uint32_t v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

}  // namespace

CardCanvas::CardCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CardCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, Image);
}

QFont CardFont(const TextStyle& style) {
    QFont f(QString::fromLatin1(kCardFontFamily));
    const int cell = std::clamp<int>(style[1], 1, 2000);
    f.setPixelSize(std::max(1, int(std::lround(cell / CellPerPixel()))));
    f.setBold(style[2] > 2);
    f.setItalic(style[3] > 0);
    f.setUnderline(style[4] > 0);
    return f;
}

QColor CardTextColour(const TextStyle& style) {
    QColor c = Qt::black;
    if (style[6] > 0) c = QColor(255, 0, 0);
    if (style[7] > 0) c = QColor(0, 128, 0);
    if (style[8] > 0) c = QColor(0, 0, 255);
    return c;
}

QColor FieldBoxColour() {
    const auto bytes = TryReadFile(DataFilePath(data_file::kEntryBoxColour));
    if (!bytes || bytes->size() < 4) return FromBgr(kDefaultBoxColour);
    return FromBgr(GetU32(reinterpret_cast<const uint8_t*>(bytes->data())));
}

const TextStyle& FieldStyle(int field) {
    int s = field >= 1 && field <= kMaxFields ? LayoutStyle[size_t(field)] : 1;
    if (s < 1 || s > 9) s = 1;
    return CardTextStyles[size_t(s)];
}

QPolygon FieldBoxPolygon(int field) {
    const int x = LayoutX[size_t(field)], y = LayoutY[size_t(field)], r = LayoutRight[size_t(field)];
    const int h = FieldStyle(field)[1];
    QPolygon box;
    box << QPoint(x - 2, y + 2) << QPoint(r, y + 2) << QPoint(r, y - h) << QPoint(x - 2, y - h);
    return box;
}

CardPainter::CardPainter(QWidget& window, CardCanvas& canvas, const std::array<QToolButton*, 11>& buttons,
                         const QImage& logo)
    : window_(window), canvas_(canvas), buttons_(buttons), logo_(logo) {}

void CardPainter::VisualizzaClick() {
    const int mode = CoreState.CardWindowMode;
    window_.setWindowTitle(Qs(CardWindowTitle(mode)));
    // Typing not committed into the card is dropped; the field is reloaded when drawn.
    CoreState.EntryBuffer.clear();
    CoreState.EntryOriginalText.clear();
    if (ModeShowsFields(mode)) {
        ComandiClick();
        PaginaClick();
        ContenutoCampiClick();
    } else if (mode == kPointerMode) {
        PaginaClick();
    }
    canvas_.update();
}

void CardPainter::EnsurePageImage() {
    const QSize size(std::max(1, CoreState.PageWidth), std::max(1, CoreState.PageHeight));
    if (canvas_.Image.size() != size) canvas_.Image = QImage(size, QImage::Format_RGB32);
}

void CardPainter::ComandiClick() {
    CoreState.CommandCode = 2;
    EnsurePageImage();
    CRClick(0, 0, CoreState.PageWidth, CoreState.PageHeight);
    if (CoreState.LogoPresent == 1) {
        QPainter p(&canvas_.Image);
        p.drawImage(kLogoX, kLogoY, logo_);
    }
    LayOutButtons();
    canvas_.update();
}

void CardPainter::LayOutButtons() {
    const ToolButtonLayout bar = ToolButtonsForMode(CoreState.CardWindowMode);
    for (int k = 1; k <= kToolButtonCount; ++k) {
        QToolButton* b = buttons_[size_t(k)];
        const ToolButtonSpec& s = bar[size_t(k)];
        b->setText(Qs(s.caption));
        b->setToolTip(Qs(s.hint));
        b->setAutoRaise(s.flat);
        b->setEnabled(s.enabled);
        b->setVisible(s.visible);
    }
    PlaceButtons();
}

void CardPainter::PlaceButtons() {
    const ToolButtonLayout bar = ToolButtonsForMode(CoreState.CardWindowMode);
    int left = 0;
    for (int k = 1; k <= kToolButtonCount; ++k) {
        QToolButton* b = buttons_[size_t(k)];
        if (b->isHidden()) continue;
        // The mode's width, or more when the caption would not fit in it with two pixels to spare
        // on either side inside the frame (closer, a font that rounds up cuts it).
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        const int width =
            std::max(bar[size_t(k)].width, b->fontMetrics().horizontalAdvance(b->text()) + 2 * frame + 4);
        b->setGeometry(left, 0, width, kToolButtonHeight);
        left += width;
    }
}

void CardPainter::CRClick(int x1, int y1, int x2, int y2) {
    // The corners bound the rectangle; the second one lies just outside it.
    QPainter p(&canvas_.Image);
    p.fillRect(
        QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)),
        Qt::white);
    canvas_.update();
}

void CardPainter::SetCaption(int button, const std::string& text) {
    if (button < 1 || button > kToolButtonCount) return;
    buttons_[size_t(button)]->setText(Qs(text));
    PlaceButtons();
}

void CardPainter::PaginaClick() {
    ComandiClick();
    RecordFile items(DataFilePath(data_file::kLayoutItem), kLayoutItemBytes, RecordFile::Mode::Read);
    const int count = std::min(CoreState.LayoutItemCount, kMaxFields);
    uint8_t record[kLayoutItemBytes];
    for (int k = 1; k <= count; ++k) {
        if (StaticTextPage[size_t(k)] != CoreState.CurrentPage) continue;
        items.Read(k - 1, record);
        int style = GetI16(record + 2);
        if (style < 1 || style > 9) style = 1;
        DrawCardText(CardTextStyles[size_t(style)], GetI16(record + 8),
                     DecodeShortString(record + 10, kLayoutTextChars), GetI16(record + 6),
                     GetI16(record + 4));
        sxxClick();
    }
    items.Close();
    CoreState.CommandCode = 1;
    SetCaption(PageCaptionButton(CoreState.CardWindowMode), PageCaption());
    canvas_.update();
}

void CardPainter::ContenutoCampiClick() {
    const int mode = CoreState.CardWindowMode;
    SetCaption(CardNumberButton(mode), std::to_string(CoreState.CurrentCard + 1));
    const int count = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= count; ++f) {
        if (LayoutPage[size_t(f)] != CoreState.CurrentPage) continue;
        CoreState.CommandCode = f;
        ScriveCampoClick();
    }
    SetCaption(NotesButton(mode), NotesCaption());
    canvas_.update();
}

void CardPainter::ScriveCampoClick() {
    const int f = CoreState.CommandCode;
    if (f < 1 || f > kMaxFields) return;
    std::string text = CardFieldText(f, CoreState.CardWindowMode);
    const bool current = f == CoreState.CurrentField;
    if (current) {
        // The buffer holds the field's whole text, however long, so that passing through the
        // field never rewrites it shortened.
        CoreState.EntryOriginalText = text;
        CoreState.EntryCursor = 0;
        CoreState.EntryBuffer = ">" + text;
        CoreState.EntryReplaces = 1;
        text = CoreState.EntryBuffer;
        CoreState.CurrentFieldText = text.substr(1);
    }
    DrawFieldBox(f, current ? QColor(Qt::black) : FieldBoxColour());
    DrawFieldText(f, text);
    canvas_.update();
}

void CardPainter::DrawFieldBox(int field, const QColor& outline) {
    EnsurePageImage();
    QPainter p(&canvas_.Image);
    p.setPen(QPen(outline, 0));
    p.setBrush(Qt::white);
    p.drawPolygon(FieldBoxPolygon(field));
}

void CardPainter::DrawCardText(const TextStyle& style, int alignment, const std::string& text, int y, int x) {
    pending_ = PendingText{style, x, y, alignment, text, false, QRect()};
}

void CardPainter::sxxClick() {
    const PendingText& t = pending_;
    if (t.style[0] == -1) return;
    EnsurePageImage();
    const QFont font = CardFont(t.style);
    const QFontMetrics fm(font);
    const QString s = Qs(t.text);
    const int w = fm.horizontalAdvance(s);
    const int h = fm.height();
    const int d = t.alignment == 1 ? 0 : t.alignment == 2 ? w / 2 : w;
    QPainter p(&canvas_.Image);
    if (!t.clip.isNull()) p.setClipRect(t.clip);
    // Text is drawn opaque on the white brush, as the card has always been drawn.
    const QPalette palette = QGuiApplication::palette();
    p.fillRect(QRect(t.x - d, t.y - h, w, h),
               t.selected ? palette.color(QPalette::Highlight) : QColor(Qt::white));
    p.setFont(font);
    p.setPen(t.selected ? palette.color(QPalette::HighlightedText) : CardTextColour(t.style));
    p.drawText(t.x - d, t.y - h + fm.ascent(), s);
    canvas_.update();
}

void CardPainter::DrawFieldText(int field, const std::string& text, bool selected) {
    pending_ = PendingText{FieldStyle(field),
                           LayoutX[size_t(field)],
                           LayoutY[size_t(field)],
                           1,
                           text,
                           selected,
                           FieldBoxPolygon(field).boundingRect()};
    sxxClick();
}

}  // namespace qv
