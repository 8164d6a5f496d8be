#pragma once
// Codes the card window's commands share: the requests and answers of the dialogs the commands
// open. The window's modes are named in core/card_window_mode.h.

#include "core/card_window_mode.h"

namespace qv::principale {

// Requests of the list run and print mask dialogs, and the list run's answer.
constexpr int kListModeRequest = 1;
constexpr int kPagePrintRequest = 2;
constexpr int kSearchListRequest = 4;
constexpr int kShowListAnswer = 3;
// The clickable list's answer: a row's card became the current card.
constexpr int kRowChosen = 1;

}  // namespace qv::principale
