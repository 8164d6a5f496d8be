#pragma once

class QProgressBar;
class QWidget;

namespace qv {

// What the factor-analysis dialogs open. Both take the road from CoreState.ElaborationMode
// (1 standard, 2 quick), which the dialogs store when they open.

// The factor plane TVedeAFC, shown modally with `owner`; CoreState.ProceedFlag is 1 while it
// is open and 0 afterwards.
void OpenFactorPlane(QWidget* owner);

// The typology attribution of the dialogs' attribution button, once it has stored
// CoreState.TypologyField (at least 1): asks for the profile text (open dialog in the program
// directory, "*.txt") and scores the selected cards, `bar` (may be null) following the cards.
// Without the write password (text 1007), or when the field cannot hold the 20 scores before
// the card's notes (text 148, quick 532), a message says so and nothing is written.
void OpenTypologies(QWidget* owner, QProgressBar* bar = nullptr);

}  // namespace qv
