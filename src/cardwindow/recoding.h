#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/card_store.h"

// Recoding of a category field: the base text "ricod.txt" lists every category with its number
// twice; the user edits the second number (the same number keeps the category, another
// category's number merges it there, 0 removes it), and the recoding rewrites the category list
// in the field declarations, renumbers the kept categories without gaps in every card, records
// the old and new numbers in "controll.txt" and rebuilds the definition.

namespace qv {

class Progress;

// Old numbers read from the text (1 .. kRecodingMaxOld) and card values handled (0 .. 2000).
constexpr int kRecodingMaxOld = 1999;
constexpr int kRecodingTableSize = 2001;

struct RecodingTables {
    int maxOld = 0;  // highest old number read
    // The new number read for old number i, 0 without a line.
    std::array<int32_t, kRecodingTableSize> table{};
    // The final number of old category i, 0 = the value becomes empty.
    std::array<int32_t, kRecodingTableSize> newOf{};
    // The highest old category that finally carries number n, 0 when none.
    std::array<int32_t, kRecodingTableSize> inv{};
};

// Whether `field` is a category field (first or further answer) that can be recoded.
bool IsRecodableField(int field);
// The number of categories of the field's list.

// The base text of the field: the four instruction lines (texts 1463 to 1466), then per
// category k "%5d%5d = label". Reads the labels from "mod-sch.dat".
std::string RecodingBaseText(int field);
// Writes the base text into "ricod.txt"; false (nothing written) for a field without categories.
bool WriteRecodingText(int field);

// Reads the edited text: the first four lines are skipped; columns 1-5 give the old number and
// 6-10 the new one, a column that is not a clean number reading 0. Old numbers outside
// 1 .. min(categories, kRecodingMaxOld) are ignored, so lines never reach another field's labels.
RecodingTables ReadRecodingTables(std::string_view text, int categories);
// Fills newOf and inv from table: the kept categories take 1, 2, ... in order, then each merged
// category follows its merges to the category that stays and takes its number; a chain that
// reaches 0, a number without a line or one above 2000 removes. False when merges go round in
// a cycle (the tables are then not to be used).
bool ResolveRecoding(RecodingTables& tables);
// Whether the edited text still describes the field's list `labels` (categories 1 ..): every
// line read as an old number names a category the list has, and its text after " = " (trailing
// blanks aside) is that category's label. A text already applied fails this.
bool RecodingTextMatches(std::string_view text, const std::vector<std::string>& labels);

// "controll.txt" in the recoding layout: line k (1 .. maxOld) holds newOf[k] and inv[k], each
// right-aligned in 10 columns.
std::string RecodingPermutationText(const RecodingTables& tables);

// Refused: no write password.
enum class RecodingOutcome { Done, NoText, NotCategoryField, TextOutOfDate, MergeCycle, Refused };

// Runs the recoding of `field` from "ricod.txt": the kept categories replace the list in the
// declaration of the list's first field, and every field sharing the list is renumbered. The
// cards are renumbered into a copy of "num-sch.dat" that replaces it only once whole, with the
// last-card index held locked, so a failure leaves the cards as they were; the declarations are
// written just before the copy takes the file's place, and the definition is rebuilt. The card
// in hand is read again. The cards renumbered are those both card files hold, up to the
// last-card index; `worked` receives that count. A text that no longer matches the list, or
// merges in a cycle, is refused before anything is written. Raises the input/output error.
RecodingOutcome RunRecoding(int field, Progress& progress, CardCount* worked = nullptr);

}  // namespace qv
