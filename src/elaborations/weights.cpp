#include "elaborations/weights.h"

#include <algorithm>
#include <cstring>

#include "core/card_store.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/selected_cards.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kValueWidth = 9;

// A number as the readers of these files take one: blanks around it, an optional sign, digits.
// Anything else gives 0.
int32_t ReadNumber(std::string_view s) {
    const size_t end = s.find_last_not_of(' ');
    return WholeInteger(s.substr(0, end == std::string_view::npos ? 0 : end + 1)).value_or(0);
}

// Header lines of the strata files: the count line, one line per variable, the column line.
void AppendHeader(TextBuilder& out, const std::vector<int32_t>& fields, const std::vector<int>& counts,
                  int countText, int variableText, int categoriesText, int columnsText) {
    out.Line(std::to_string(fields.size()) + LoadText(countText));
    const std::string variable = LoadText(variableText), categories = LoadText(categoriesText);
    for (size_t k = 0; k < fields.size(); ++k)
        out.Line(variable + " " + std::to_string(fields[k]) + categories + " " + std::to_string(counts[k]));
    out.Line(LoadText(columnsText));
}

// A cell line of "pesi.txt" and "universo.txt": the value, '=', the categories, the labels.
std::string CellLine(int32_t value, const StrataCell& cell, size_t variables,
                     const std::vector<StrataVariable>& strata) {
    std::string line = FormatInteger(value, kValueWidth) + "=";
    for (size_t k = 0; k < variables; ++k) line += FormatInteger(cell.Categories[k], 5);
    line += ":";
    for (size_t k = 0; k < variables; ++k) {
        const int c = cell.Categories[k];
        std::string label;
        if (k < strata.size() && c >= 1 && c <= int(strata[k].Categories.size()))
            label = strata[k].Categories[size_t(c) - 1].Label;
        line += " \"" + label + "\"";
    }
    return line;
}

// The strata file's variables with the grid's bounds: variable k keeps the file's field and
// count, and takes the categories the grid gives it (categories past them never match).
std::vector<StrataVariable> MatchStrata(const StrataFile& file, const std::vector<StrataVariable>& grid) {
    std::vector<StrataVariable> out(file.Fields.size());
    for (size_t k = 0; k < out.size(); ++k) {
        out[k].Field = file.Fields[k];
        if (k < grid.size()) {
            out[k].Categories = grid[k].Categories;
            if (int(out[k].Categories.size()) > file.Counts[k])
                out[k].Categories.resize(size_t(file.Counts[k]));
        }
    }
    return out;
}

// The cell of the card in hand.
StrataCell CardCell(const std::vector<StrataVariable>& strata) {
    StrataCell cell;
    for (size_t k = 0; k < strata.size(); ++k) {
        const int field = strata[k].Field;
        if (field < 1 || field > kMaxFields) continue;
        const int32_t value =
            FieldTypes[field] == FieldType::kNumber32 ? GetCardNumber(field) : GetCardWord(field);
        cell.Categories[k] = StratumOf(strata[k], value);
    }
    cell.Index = CellIndex(cell.Categories[0], cell.Categories[1], cell.Categories[2], cell.Categories[3]);
    return cell;
}

// A card that falls in a category of some strata variables but not of all has no cell of the
// table: it is given weight 0, and the control report says how many there are.
bool PartlyMatched(const StrataCell& cell, size_t variables) {
    const auto begin = cell.Categories.begin(), end = begin + std::ptrdiff_t(variables);
    return std::any_of(begin, end, [](int k) { return k > 0; }) &&
           std::any_of(begin, end, [](int k) { return k == 0; });
}

void AppendWeightZeroLine(TextBuilder& out, int64_t cards) {
    constexpr int kWeightZeroText = 1694;
    out.Line().Line(LoadText(kWeightZeroText) + " " + std::to_string(cards));
}

// Restores the card in hand after a pass over the archive.
class KeepCurrentCard {
  public:
    KeepCurrentCard() : card_(CoreState.CurrentCard), values_(CurrentCardValues) {}
    ~KeepCurrentCard() {
        CoreState.CurrentCard = card_;
        CurrentCardValues = values_;
    }

  private:
    int32_t card_;
    std::array<uint16_t, kMaxCardWords + 1> values_;
};

}  // namespace

std::vector<StrataVariable> LoadStrata(const std::string& gridPath, const FlagList& rows) {
    TextReader reader;
    reader.OpenOrThrow(gridPath);
    std::vector<StrataVariable> strata;
    bool skipping = false;  // inside a variable past the fourth
    for (int line = 0; line < kMaxGridLines && !reader.Eof(); ++line) {
        std::string text = reader.ReadLine(300);
        if (!rows[size_t(line)]) continue;
        GridLine g = ParseGridLine(text, nullptr);
        if (!g.HasStar) continue;
        if (g.Field != 0) {
            skipping = strata.size() == size_t(kMaxStrataVariables);
            if (!skipping) strata.push_back(StrataVariable{g.Field, {}});
        }
        if (skipping || strata.empty()) continue;
        auto& categories = strata.back().Categories;
        if (categories.size() < size_t(kMaxStrataCategories)) categories.push_back({g.Low, g.High, g.Label});
    }
    return strata;
}

int StratumOf(const StrataVariable& variable, int32_t value) {
    int found = 0;
    for (size_t c = 0; c < variable.Categories.size(); ++c)
        if (variable.Categories[c].Low <= value && value <= variable.Categories[c].High) found = int(c) + 1;
    return found;
}

std::vector<StrataCell> CellsInOrder(const std::vector<int>& categoryCounts) {
    std::vector<StrataCell> cells;
    const size_t n = std::min(categoryCounts.size(), size_t(kMaxStrataVariables));
    if (n == 0) return cells;
    std::array<int, kMaxStrataVariables> counts{}, at{};
    for (size_t k = 0; k < n; ++k) {
        counts[k] = std::clamp(categoryCounts[k], 0, kMaxStrataCategories);
        if (counts[k] == 0) return cells;
        at[k] = 1;
    }
    // An odometer with the last variable turning fastest.
    for (;;) {
        StrataCell cell;
        cell.Categories = at;
        cell.Index = CellIndex(at[0], at[1], at[2], at[3]);
        cells.push_back(cell);
        size_t k = n;
        while (k > 0 && at[k - 1] == counts[k - 1]) at[--k] = 1;
        if (k == 0) break;
        ++at[k - 1];
    }
    return cells;
}

std::optional<StrataFile> ReadStrataFile(const std::string& path) {
    TextReader reader;
    if (!reader.Open(path)) return std::nullopt;
    StrataFile file;
    std::string first = reader.Eof() ? std::string() : reader.ReadLine();
    const int n = std::clamp<int>(ReadNumber(first.substr(0, first.find(' '))), 0, kMaxStrataVariables);
    for (int k = 0; k < n; ++k) {
        std::string line = reader.Eof() ? std::string() : reader.ReadLine();
        size_t blank = line.find(' ');
        std::string_view rest =
            blank == std::string::npos ? std::string_view() : std::string_view(line).substr(blank + 1);
        file.Fields.push_back(ReadNumber(rest.substr(0, rest.find(','))));
        size_t colon = line.find(':');
        file.Counts.push_back(std::clamp<int>(
            colon == std::string::npos ? 0 : ReadNumber(std::string_view(line).substr(colon + 1)), 0,
            kMaxStrataCategories));
    }
    if (!reader.Eof()) reader.SkipLine();
    for (const StrataCell& cell : CellsInOrder(file.Counts)) {
        if (reader.Eof()) break;
        file.Values[size_t(cell.Index)] = ReadNumber(reader.ReadChars(kValueWidth));
        reader.SkipLine();
    }
    return file;
}

void CreateWeightFiles() {
    const std::vector<StrataVariable> strata = LoadStrata(DataFilePath(data_file::kGrid), StandardRowFlags);
    std::vector<int32_t> fields;
    std::vector<int> counts;
    for (const StrataVariable& v : strata) {
        fields.push_back(v.Field);
        counts.push_back(int(v.Categories.size()));
    }
    TextBuilder out;
    AppendHeader(out, fields, counts, 1137, 1138, 1139, 1140);
    for (const StrataCell& cell : CellsInOrder(counts)) out.Line(CellLine(1, cell, strata.size(), strata));
    out.Save(DataFilePath(data_file::kWeights));
    out.Save(DataFilePath(data_file::kUniverse));
}

bool ComputeWeights(Progress& progress) {
    std::optional<StrataFile> universe = ReadStrataFile(DataFilePath(data_file::kUniverse));
    if (!universe) return false;
    const std::vector<StrataVariable> grid = LoadStrata(DataFilePath(data_file::kGrid), StandardRowFlags);
    const std::vector<StrataVariable> strata = MatchStrata(*universe, grid);

    std::vector<int32_t> cards(kStrataCells, 0);
    int64_t weightZero = 0;
    {
        KeepCurrentCard keep;
        SelectedCards(progress).ForEachInHand([&](int32_t) {
            const StrataCell cell = CardCell(strata);
            ++cards[size_t(cell.Index)];
            weightZero += PartlyMatched(cell, strata.size());
        });
    }

    TextBuilder out;
    AppendHeader(out, universe->Fields, universe->Counts, 1141, 1142, 1143, 1144);
    for (const StrataCell& cell : CellsInOrder(universe->Counts)) {
        const int64_t u = universe->Values[size_t(cell.Index)];
        const int64_t n = cards[size_t(cell.Index)];
        int64_t weight = u;
        if (n > 0) {
            // Nearest integer, a half to the even neighbour.
            int64_t q = u / n, r = u % n;
            if (r < 0) {
                r += n;
                --q;
            }
            if (2 * r > n || (2 * r == n && q % 2 != 0)) ++q;
            weight = q;
        }
        out.Line(FormatInteger(weight, kValueWidth) +
                 CellLine(0, cell, strata.size(), grid).substr(kValueWidth));
    }
    out.Save(DataFilePath(data_file::kWeights));
    AppendWeightZeroLine(out, weightZero);
    out.Save(DataFilePath(data_file::kPermutation));
    return true;
}

AttributionOutcome AttributeWeights(Progress& progress) {
    std::optional<StrataFile> weights = ReadStrataFile(DataFilePath(data_file::kWeights));
    if (!weights) return AttributionOutcome::NoWeights;
    const std::vector<StrataVariable> grid = LoadStrata(DataFilePath(data_file::kGrid), StandardRowFlags);
    const std::vector<StrataVariable> strata = MatchStrata(*weights, grid);
    const std::vector<int32_t> quantFields = LoadQuantitativeGrid(DataFilePath(data_file::kQuantGrid));
    const int line = CoreState.QuantUnitVar;
    const int32_t field = line >= 0 && line < int(quantFields.size()) ? quantFields[size_t(line)] : 0;

    // The destination must hold a number; a weight that its word cannot hold is refused before
    // any card is touched.
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields) || TypeOfField(field).IsText() ||
        !TypeOfField(field).IsKnown())
        return AttributionOutcome::BadField;
    const bool wide = FieldTypes[field] == FieldType::kNumber32;
    const int position = FieldPositions[field];
    if (position < 1 || position + (wide ? 1 : 0) > CoreState.CardWordCount)
        return AttributionOutcome::BadField;
    const std::vector<StrataCell> cells = CellsInOrder(weights->Counts);
    for (const StrataCell& cell : cells) {
        const int32_t w = weights->Values[size_t(cell.Index)];
        if (wide ? w <= kEmptyNumber : (w <= kEmptyShort || w > INT16_MAX))
            return AttributionOutcome::WeightTooLarge;
    }

    TextBuilder out;
    AppendHeader(out, weights->Fields, weights->Counts, 1145, 1146, 1147, 1148);
    for (const StrataCell& cell : cells) {
        std::string l = FormatInteger(weights->Values[size_t(cell.Index)], kValueWidth) + "=";
        for (size_t k = 0; k < weights->Fields.size(); ++k) l += FormatInteger(cell.Categories[k], 5);
        out.Line(l);
    }
    out.Line();
    out.Line(LoadText(1149));
    for (const StrataVariable& v : strata)
        for (size_t c = 0; c < v.Categories.size(); ++c)
            out.Line(FormatInteger(v.Field, 4) + FormatInteger(int64_t(c) + 1, 4) +
                     FormatInteger(v.Categories[c].Low, 15) + FormatInteger(v.Categories[c].High, 15));
    out.Line();
    out.Line(LoadText(1150) + " " + std::to_string(field));
    out.Save(DataFilePath(data_file::kPermutation));

    int64_t weightZero = 0;
    {
        KeepCurrentCard keep;
        SelectedCards(progress).ForEachInHand([&](int32_t) {
            StrataCell cell = CardCell(strata);
            weightZero += PartlyMatched(cell, strata.size());
            if (std::any_of(cell.Categories.begin(), cell.Categories.end(), [](int k) { return k > 0; })) {
                const int32_t w = weights->Values[size_t(cell.Index)];
                if (wide)
                    PutCardNumber(w, field);
                else
                    CurrentCardValues[size_t(position)] = uint16_t(int16_t(w));
            }
            WriteCardValues();
        });
    }
    AppendWeightZeroLine(out, weightZero);
    out.Save(DataFilePath(data_file::kPermutation));
    progress.SetPosition(0);
    return AttributionOutcome::Done;
}

}  // namespace qv
