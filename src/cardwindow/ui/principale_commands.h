#pragma once
// Codes the card window's commands share: the window's modes, the requests and answers of the
// dialogs the commands open, and the batch runner jobs started from the tool bar.

namespace qv::principale {

constexpr int kEntryMode = 1;
constexpr int kSearchMode = 2;
constexpr int kAttributionMode = 3;
constexpr int kSelectionMode = 12;
constexpr int kListMode = 14;
constexpr int kReorderMode = 16;

constexpr int kRepaint = 1;
constexpr int kNotesSelector = -1;
// Requests of the list run and print mask dialogs, and the list run's answer.
constexpr int kListModeRequest = 1;
constexpr int kPagePrintRequest = 2;
constexpr int kSearchListRequest = 4;
constexpr int kShowListAnswer = 3;
// The clickable list's answer: a row's card became the current card.
constexpr int kRowChosen = 1;

}  // namespace qv::principale
