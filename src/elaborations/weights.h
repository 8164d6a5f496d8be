#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/progress.h"

namespace qv {

// Stratified weights: the selected cards are divided into strata by up to four grid variables,
// the population of each stratum is typed into "universo.txt", and every selected card gets
// the population of its stratum over the number of selected cards in it, written into a
// quantitative field so that the counts can be weighted by it.

constexpr int kMaxStrataVariables = 4;
constexpr int kMaxStrataCategories = 10;
constexpr int kStrataCells = 11 * 11 * 11 * 11;

struct StratumCategory {
    int32_t Low = 0, High = 0;
    std::string Label;  // the grid line's text before its first '*'
};

struct StrataVariable {
    int32_t Field = 0;
    std::vector<StratumCategory> Categories;  // at most 10
};

// The strata chosen in `rows` (index = 0-based grid line) over the grid at `gridPath`: a set
// line that names a field opens the next variable and is its first category; the set lines
// after it that name no field are its further categories. Variables past the fourth and
// categories past the tenth are left out. Raises the input/output error when the grid does not
// open.
std::vector<StrataVariable> LoadStrata(const std::string& gridPath, const FlagList& rows);

// Category (1-based, 0 = none) of `value` in `variable`: the last category whose bounds hold it.
int StratumOf(const StrataVariable& variable, int32_t value);

// Cell of a combination of categories (0 for an absent variable or for no category).
constexpr int CellIndex(int a, int b, int c, int d) {
    return a * 1331 + b * 121 + c * 11 + d;
}

// Cells of variables with these category counts, the first variable outermost; each cell with
// its categories (1-based, 0 past the last variable).
struct StrataCell {
    int Index = 0;
    std::array<int, kMaxStrataVariables> Categories{};
};
std::vector<StrataCell> CellsInOrder(const std::vector<int>& categoryCounts);

// "universo.txt" and "pesi.txt" as the readers take them: the number of variables, each
// variable's field and count, and one value per cell (cells the file does not list are 0).
struct StrataFile {
    std::vector<int32_t> Fields;
    std::vector<int> Counts;
    std::vector<int32_t> Values = std::vector<int32_t>(kStrataCells, 0);
};
// nullopt when the file does not open.
std::optional<StrataFile> ReadStrataFile(const std::string& path);

// "Crea i file": "pesi.txt" for the strata chosen in StandardRowFlags with 1 in every cell,
// copied to "universo.txt".
void CreateWeightFiles();

// "Calcolo": counts the selected cards per cell and writes weight = universe / cards (rounded
// to the nearest, a half to the even neighbour; the universe itself for an empty cell) into the
// control report "controll.txt" and over "pesi.txt". False, with nothing written, when
// "universo.txt" does not open.
bool ComputeWeights(Progress& progress);

enum class AttributionOutcome {
    Done,
    BadField,        // the destination line names no field that holds a number
    WeightTooLarge,  // a weight does not fit the destination's 16-bit word; no card written
    NoWeights,       // "pesi.txt" does not open
};

// "Attribuisce": stores the weight of each selected card's cell into the field of line
// CoreState.QuantUnitVar of "grq-sch.txt", for every selected card with at least one category,
// and writes back every selected card. Writes the control report (attribution form) first.
AttributionOutcome AttributeWeights(Progress& progress);

}  // namespace qv
