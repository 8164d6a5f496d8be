#pragma once
#include <array>
#include <string>

// The card window's tool bar b1..b10 as each card-window mode lays it out, and the texts the
// painting puts on it.

namespace qv {

constexpr int kToolButtonHeight = 15;
constexpr int kToolButtonCount = 10;

struct ToolButtonSpec {
    int width = 23;
    std::string caption;  // Windows-1252
    std::string hint;
    bool flat = false;
    bool enabled = true;
    bool visible = true;
};

// Entry k for button bk (k = 1..10); entry 0 unused. Captions that the painting fills in later
// (card number, page caption, notes indicator) start empty or with their placeholder text.
using ToolButtonLayout = std::array<ToolButtonSpec, kToolButtonCount + 1>;
ToolButtonLayout ToolButtonsForMode(int mode);

// The flat button that shows the page caption, the card number and the notes indicator in
// `mode`; 0 when the mode has none.
int PageCaptionButton(int mode);
int CardNumberButton(int mode);
int NotesButton(int mode);

// Texts put on the bar and in the title.
std::string CardWindowTitle(int mode);
std::string PageCaption();
std::string WriteStateCaption();
std::string NotesCaption();

}  // namespace qv
