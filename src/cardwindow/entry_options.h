#pragma once
#include <cstdint>
#include <string>

#include "core/card_window_mode.h"

// What the card-entry option dialogs compute and keep: the two entry switches, the colour of the
// entry box, the clearing and copying of the card in hand, the go-to-card number and the marks
// of the marking modes.

namespace qv {

// "ok-lista.dat" (archive): the category choice may add to and change a field's list. A missing
// file, or any byte but 1, says no.
bool ReadCategoryListSwitch();
// "ok-mouse.dat" (program): the mouse may move between fields. A missing file says yes.
bool ReadMouseSwitch();
// Rewrites both switch files (byte 1 or 0) and sets CoreState.MouseEntry. Raises IoError when a
// file cannot be written.
void StoreEntrySwitches(bool categoryLists, bool mouse);

// The box around the field being entered, 0x00BBGGRR as "inf-colo.dat" keeps it.
constexpr uint32_t kDefaultEntryBoxColour = 0x00FFFFD0;
uint32_t ReadEntryBoxColour();
void WriteEntryBoxColour(uint32_t colour);
// Between the file's order and the colour dialog's 0xRRGGBB.
uint32_t BgrToRgb(uint32_t bgr);
uint32_t RgbToBgr(uint32_t rgb);

// The answers of the clear dialog.
enum ClearAnswer : int { kClearNothing = 0, kClearField = 1, kClearAll = 2, kClearMarked = 3 };
// Clears the card in hand by the answer of the clear dialog: the field under the cursor, every
// field (the card window's card keeps its notes) or the fields marked for clearing; anything
// else nothing.
void ClearByAnswer(int answer);

// Loads card `source`'s fields into the card in hand, which keeps its number and its notes: a
// card past the last gives an empty card, a negative number leaves the card as it was.
// CommandCode := 1. Raises IoError when the card files cannot be read.
void CopyCardIntoHand(int32_t source);
// Reads the card in hand again from the card files, dropping what was not stored.
// CommandCode := 2.
void ReloadCardInHand();

// The go-to-card dialog's answer: a number typed n goes to card n - 1, kept between 0 and the
// new card after the last; text that is not a whole number keeps the card in hand.
void GoToTypedCard(const std::string& text);

// Takes the mode's mark (MarkBitOfMode) off every field: the clear button of the marking modes
// but that of the copy marks. Answers false for a mode without a mark to clear.
bool ClearModeMarks(int mode);

}  // namespace qv
