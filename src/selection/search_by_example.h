#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/progress.h"

// Search by example from the card window. In search mode (CardWindowMode 2) the card typed on
// the empty form is the mask; a new search copies it into SavedCardText / SavedCardValues, and
// every step that ends without a match puts it back into the current card buffers. A step
// looks, by CoreState.SearchKind, for the next card that matches every filled field of the
// mask (1), the next card in the alphabetical order index ("ALFA." and the field number) of the
// mask's first text field whose text begins with the mask's (2), or the next card whose text
// part holds the mask's first text anywhere (3).
//
// State kept in CoreState: SearchEnded (1 no search in progress), SearchFromFirst, SearchAsList,
// SearchFormSaved, FoundIndexPosition (alphabetical kind), ProceedFlag, CurrentCard.
// Failures to read the card files or the index raise IoError; the search is abandoned.

namespace qv {

enum SearchKindCode : int { kSequentialSearch = 1, kAlphabeticalSearch = 2, kAnyFieldSearch = 3 };

// ---- Operations of the card window (search mode) ----

// Entering search mode: the mask of the last search comes back when SearchFormSaved is set,
// otherwise every field of the card in hand is cleared. The caller sets SearchEnded := 1.
void RestoreSearchMask();

// One step (EsegueRicercaClick without the tool bars; the caller hides ToolBar1 and shows
// ToolBar2 around it when SearchAsList is 0). Sets the progress maximum to LastCard when
// SearchAsList is 0 and advances it to the card reached.
void SearchStep(Progress& progress);

// ContinuaSchClick without the repaint: creates "ric-sch.imp" with "1,2,3," when it does not
// open, then SearchStep. The caller repaints (VisualizzaClick) when SearchAsList is 0.
void ContinuaSch(Progress& progress);

// Button b3 with SearchAsList 0: ProceedFlag := 0, SearchEnded := 1, ContinuaSch. The caller
// then enables b4.
void StartSearch(Progress& progress);

// Button b4: only while SearchEnded is 0: ProceedFlag := 0, ContinuaSch; answers whether a
// step ran. The caller then repaints the field contents (ContenutoCampiClick).
bool ContinueSearch(Progress& progress);

// Button b3 with SearchAsList 1, steps 1 to 4: clears CardSelectionMask, ListRow := 0,
// ListReady := 0, then repeats ContinuaSch from a new search, setting the bit of every card
// found and ListReady := 1, until a step finds nothing; the mask comes back into the current
// card buffers. Answers ListReady. The caller shows ToolBar2 with its progress bar meanwhile,
// then, when a card was found, runs the list dialog with CommandCode 4 (and the clickable list
// when it answers 3), and enables Lista1 as ListReady. `step` is the search step; the card window
// passes the one registered for it.
bool SearchAllIntoSelection(Progress& progress, const std::function<void(Progress&)>& step = ContinuaSch);

// ---- Routines of one step (exposed for the tests of the matching rules) ----

// The filled fields of the mask (SavedCardText / SavedCardValues) and the multi-answer groups.
struct SearchMask {
    std::vector<int16_t> MaskTextFields;   // text fields filled in the mask, ascending
    std::vector<int16_t> MaskValueFields;  // other fields filled in the mask, ascending
    std::vector<std::string> MaskTexts;    // text of each MaskTextFields entry, up to its zero
    // Per field 1..FieldCount (entry 0 unused): the group's first field and its number of
    // further answers, 0 outside a group.
    std::vector<int16_t> AnswerGroupHead;
    std::vector<int16_t> AnswerGroupSize;
    bool HasText() const { return !MaskTextFields.empty(); }
    bool HasValue() const { return !MaskValueFields.empty(); }
};

// Reads the mask from SavedCardText / SavedCardValues.
SearchMask PrepareSearchMask();

// Whether the card in the current card buffers matches the mask: every filled text field is
// the start of the card's text (letters a-z folded), every filled value field equal (a coded
// answer of a multi-answer group found among the card's answers of the group, a date compared
// on its filled words only). An empty mask matches every card.
bool CardMatchesMask(const SearchMask& mask);
// The same test on a card held elsewhere (text[0] is card byte 1, words[0] card word 1).
bool CardMatches(const SearchMask& mask, const uint8_t* text, const uint16_t* words);

}  // namespace qv
