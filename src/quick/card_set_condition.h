#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "quick/card_bitmap.h"

// Sets of cards named by the categories of the quick grid, as the report tables and the saved
// conditions write them: items "NAME," + operator + category + ";", where NAME is a variable of
// "grl-dat.txt" and the category counts its lines from 1. "-" keeps only the cards of the
// category, "+" adds them, "#" removes them; another operator leaves the set as it is.

namespace qv {

struct ConditionItem {
    std::string Text;  // the item as written, without its ";"
    std::string Name;
    char Operator = 0;
    std::optional<int> Category;  // nullopt: no "," or no whole number after the operator
};

// The items of a condition: only text closed by a ";" is an item; blank pieces are no items.
std::vector<ConditionItem> ParseCardSetCondition(const std::string& text);

// The variables of the quick grid: a line's name is its text before the first blank, cut to 10
// characters, and a line whose name differs from the line before starts a new variable. At
// most 4000 variables; a name that starts two variables names the later one.
class ReportVariables {
  public:
    struct Variable {
        int FirstLine = 0;  // 1-based line of the grid
        int Lines = 0;
    };
    // Raises the input/output error when "grl-dat.txt" does not open.
    static ReportVariables Read();
    static ReportVariables FromLines(const std::vector<std::string>& gridLines);

    // The 0-based variable of the bit matrix for category `category` of `name`; nullopt when
    // the name is no variable or the category lies outside its lines.
    std::optional<int> MatrixVariable(const std::string& name, int category) const;

  private:
    std::unordered_map<std::string, Variable> byName_;
};

// Combines the items into `set` by their operators, each category's area of "dat-dat.dat" (prepared for cards
// 0..lastPrepared) first ANDed with CardSelectionMask when `withinSelection`. Items that name no category of
// the grid change nothing and are added to `skipped` as written. Raises the input/output error when the
// matrix cannot be read.
void CombineConditionItems(const std::vector<ConditionItem>& items, const ReportVariables& variables,
                           int32_t lastPrepared, bool withinSelection, CardBitmap& set,
                           std::vector<std::string>& skipped);

// The saved conditions "cnd-dat.dat": the titles of its "*" lines, without the star (empty when
// the file does not open).
std::vector<std::string> ReadSavedConditionTitles();

// Applies saved condition k (line 2k + 2 of "cnd-dat.dat") to all cards and makes the result the
// selection, the selection log then holding only `title`; with no "cnd-dat.dat" the selection
// stays as it was. CoreState.ReportCondition becomes k. Answers the items that were skipped.
// Raises the input/output error, the selection and log unchanged, when "grl-dat.txt",
// "dli-dat.dat" or "dat-dat.dat" cannot be read.
std::vector<std::string> ApplySavedCondition(int k, const std::string& title);

}  // namespace qv
