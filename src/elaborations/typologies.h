#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/factor_files.h"
#include "platform/progress.h"

// Typologies: weighted profiles of categories (a factor section of the report copied into a
// text file is one), against which every selected card is scored 0..100; the 20 scores go into
// 20 consecutive words of the card from the typology field's first word.

namespace qv {

constexpr int kTypologies = 20;
constexpr int kTypologyTerms = 50;
constexpr int kTypologyScoreWords = kTypologies;
constexpr int kEmptyScore = kEmptyShort;

// A category of the grid (1-based line; after BuildTypologies its slot) with its weight in
// thousandths; a negative category counts when it is absent. Category 0 is an empty term.
struct TypologyTerm {
    int16_t Category = 0;
    int16_t Weight = 0;
};

struct TypologyTable {
    int Opened = 0;  // typologies the profile opened, at most kTypologies
    std::array<std::array<TypologyTerm, kTypologyTerms>, kTypologies> Terms{};
    std::array<int, kTypologies> TermCount{};
};

// Reads a profile text: a line beginning with '-' opens the next typology; every line of an
// open typology whose columns 18..21 hold a whole number 1..4000 is a term, negative when
// column 10 holds '-', weighing Trunc(columns 11..15 x 1000). Typologies past the 20th and terms
// past the 50th of a typology are ignored. Raises the input/output error when the file does
// not open.
TypologyTable ReadTypologyProfile(const std::string& path);

// The text of "tipi.txt": `heading` and the number of typologies, then per typology every term
// with its category (when above 0) and its weight (when above 0), ten characters each.
std::string TypologyListText(const TypologyTable& table, const std::string& heading);

// The profile read, "tipi.txt" written (heading text 147, quick 531), the named lines flagged in
// `working` (cleared first) and every term's category replaced by its slot among those lines,
// sign kept.
TypologyTable BuildTypologies(const std::string& profilePath, FactorRoad road, FlagList& working);

// The score of one typology on a card whose slot k is present when present[k]: the weights of
// the terms that hold (a positive term present, a negative one absent) in hundredths of all the
// weights, truncated; kEmptyScore when the weights sum to 0 or less. Terms whose slot is beyond
// the slots tested (present.size() - 1) cannot be decided and are left out.
int16_t TypologyScore(const std::array<TypologyTerm, kTypologyTerms>& terms,
                      const std::vector<uint8_t>& present);

// The 0-based offset in the card's words of the first score word of `field`, or -1 when the
// field has no position or its 20 words would not end before the card's notes head.
int TypologyScoreOffset(int field);

// StandardAfcCategoryFlags as "maf-sch.dat" lists them; cleared when the file does not open.
void ReloadAfcCategoryFlags();

// The whole attribution: BuildTypologies, the grid of the road ("grl-sch.txt" or "grl-dat.txt")
// over the named lines, then every selected card (SelectedCards) scored and written back.
// CoreState.TypologyField must pass TypologyScoreOffset (nothing is done otherwise; Scored is -1).
// Ends with ReloadAfcCategoryFlags, also when an input/output error abandons it. The card
// buffers and CoreState.CurrentCard are left as they were. Progress: 0..last card by card, at most
// about 250 positions.
// Answers the number of cards scored and the card files' count, for the cards they miss, and the
// lines named by terms that could not be used (past the grid read, so the additional variables
// of the quick road, or past the slots the grid holds), which the scores leave out.
struct TypologyScoring {
    int Scored = -1;
    CardCount Cards;
    std::vector<int> UnusedLines;  // 1-based, ascending
};
TypologyScoring AttributeTypologies(FactorRoad road, const std::string& profilePath, Progress& progress);

}  // namespace qv
