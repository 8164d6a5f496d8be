#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

class QToolButton;

namespace qv {

using TextStyle = std::array<int16_t, 9>;

// The card page: shows the backing image the painter drew. Its paint event only copies it, so
// an expose never reads a file and never raises.
class CardCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit CardCanvas(QWidget* parent);
    QImage Image;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// One text waiting to be drawn: style, anchor, alignment (1 left, 2 centred, else right).
struct PendingText {
    TextStyle style{};
    int x = 0;
    int y = 0;
    int alignment = 1;
    std::string text;  // Windows-1252
    bool selected = false;
    QRect clip;  // a field's text stays inside its box; null: no limit
};

// The family every card text is drawn in, whatever the style names: it measures the same on
// every machine.
extern const char* const kCardFontFamily;

// The font of a style: pixel size chosen so the character cell is the style's size.
QFont CardFont(const TextStyle& style);
QColor CardTextColour(const TextStyle& style);
// Outline of the boxes of fields not under the cursor ("inf-colo.dat", else light cyan).
QColor FieldBoxColour();
// The style of a field's box and text (a style outside 1..9 draws as style 1).
const TextStyle& FieldStyle(int field);
// The four corners of a field's box: from 2 pixels left of the field to its right edge, from
// the style's size above the base line to 2 pixels below it.
QPolygon FieldBoxPolygon(int field);

// Draws the card window's page: title, tool buttons, static texts and fields, from the card in
// hand and the archive's files, into the canvas image. Every file error propagates to the
// command that asked for the drawing.
class CardPainter {
  public:
    CardPainter(QWidget& window, CardCanvas& canvas, const std::array<QToolButton*, 11>& buttons,
                const QImage& logo);

    void VisualizzaClick();
    void ComandiClick();
    void CRClick(int x1, int y1, int x2, int y2);
    void PaginaClick();
    void ContenutoCampiClick();
    void ScriveCampoClick();
    void DrawCardText(const TextStyle& style, int alignment, const std::string& text, int y, int x);
    void sxxClick();
    // The text of `field` drawn at once at the field's place and in its style, inside its box;
    // `selected`, in the selection's colours.
    void DrawFieldText(int field, const std::string& text, bool selected = false);

    // A field's box, blank, outlined in `outline`.
    void DrawFieldBox(int field, const QColor& outline);
    const PendingText& Pending() const { return pending_; }

  private:
    void EnsurePageImage();
    void SetCaption(int button, const std::string& text);
    void LayOutButtons();
    // Puts the visible buttons side by side, each wide enough for its caption.
    void PlaceButtons();

    QWidget& window_;
    CardCanvas& canvas_;
    std::array<QToolButton*, 11> buttons_;
    const QImage& logo_;
    PendingText pending_;
};

}  // namespace qv
