#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "quick/card_bitmap.h"
#include "territory/prepared_values.h"

// The files the quick elaborations count from, prepared once from the cards of the open archive
// (all in the archive directory):
// - "dli-dat.dat": the last card index at the time of the matrix (one signed 32-bit record);
// - "dat-dat.dat": the dichotomous bit matrix, one area of B records of 1000 bytes for every
//   line of "grl-dat.txt", card c at bit 0x80 >> (c % 8) of byte c / 8 of the area;
// - "num-dat.dat", "ddd-dat.dat" (signed 32-bit) and "ter-dat.dat" (16-bit): one value per card,
//   in records of 10240 values;
// - "lnk-dat.<k>" (16-bit key per card, records of 10240) and "ll-dat.<k>" (one text line per
//   card of the linked archive) for the k-th active block of "lnk-dat.imp".

namespace qv {

constexpr int kMatrixRecordBytes = 1000;
// Links a preparation builds: one digit names their files ("lnk-dat.1".."lnk-dat.9").
constexpr int kMaxLinks = 9;

// B, the records of one variable's area for the last card index `lastCard` (-1 = no card).
int64_t MatrixAreaRecords(int32_t lastCard);

// The last prepared card index, for a job that reads the matrix areas by the quick lines as they
// are now: raises the input/output error, in words, without a matrix or with one prepared from
// another grid (RequirePreparedGrid).
int32_t ReadMatrixCardCount(bool withAdditional = true);

// Variable v's area (B x 1000 bytes) of "dat-dat.dat"; raises the input/output error when the
// file cannot be read or ends before the area.
CardBitmap ReadMatrixArea(int variable, int32_t lastCard);

enum class MatrixOutcome {
    Done,
    GridTooLong,  // "grl-dat.txt" holds more than 4000 lines: nothing is written
};

// Builds "dat-dat.dat" from the cards 0..L that both card files hold, up to the last-card index
// "dli-sch.dat", and writes L to "dli-dat.dat". A grid line is a variable: the same category
// test as the counting passes, every line evaluated. CountByQuantUnit is cleared when
// "grq-dat.txt" does not open; the prepared value choices (PreparedQuantVar,
// PreparedTerritoryVar, PreparedDateVar) go back to 0. A failure raises the input/output error
// and leaves the previous files as they were.
MatrixOutcome BuildDichotomousMatrix(Progress& progress);

// A line of a quick variable list ("grq-dat.txt", "grt-dat.txt", "grd-dat.txt"): the field
// between the first and second '*', and the label after the second.
struct QuickVariable {
    int32_t Field = 0;
    std::string Label;
};
// nullopt when the list does not open.
std::optional<std::vector<QuickVariable>> ReadQuickVariableList(int listId);

enum class PerCardValueKind { Quantity, Territory, Date };

// Prepares the value file of `item` (1-based line of the kind's list; 0 prepares nothing) over
// cards 0..CoreState.LastCard and stores the item as the prepared choice. Answers false, doing
// nothing, when the list does not open.
// - Quantity, "num-dat.dat": the field's first word (signed), or its 32-bit number for type 7;
//   -9999999 and -32000 become 0; text fields give 0.
// - Territory, "ter-dat.dat": the field's first word as stored.
// - Date, "ddd-dat.dat": (year word + 1900) x 10000 + month x 100 + day.
bool PreparePerCardValues(PerCardValueKind kind, int item, Progress& progress);

// One block of "lnk-dat.imp": the values of its seven lines (column 38 on, at most 50
// characters).
struct LinkBlock {
    std::string Values[7];
    bool Complete = false;  // its eighth line is present
};
// nullopt when "lnk-dat.imp" does not open.
std::optional<std::vector<LinkBlock>> ReadLinkDefinitions();
// A block is active, and a name is listed, when its value compares greater than one blank.
bool LinkValueSet(const std::string& value);

// Builds the key and name files of every active block, numbered 1, 2, ... in file order, and
// sets CoreState.LinkChoice1 / LinkChoice2 (1 / 2 when that many were built, else 0) and
// CoreState.OtherArchiveDir (the last linked archive). Answers the number of links built,
// nullopt when "lnk-dat.imp" does not open (nothing happens).
std::optional<int> BuildLinkFiles(Progress& progress);

}  // namespace qv
