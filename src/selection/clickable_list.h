#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The list text "lista.txt" as the clickable list shows it: a staging copy in "tabella.txt"
// holding the rows shown, and the row file "dli-list.dat" that names the card of each row.

namespace qv {

constexpr int32_t kClickableListRows = 29999;
constexpr size_t kClickableLineChars = 1020;
constexpr size_t kPrintedListLineChars = 255;

struct StagedList {
    std::vector<std::string> rows;  // the rows shown, each at most 1020 characters
    int64_t lineCount = 0;          // every line of the list, shown or not
    bool Truncated() const { return lineCount > kClickableListRows; }
};

// Copies lines 1..29999 of "lista.txt" into "tabella.txt" (each cut to 1020 characters, ended
// with CR LF) and answers them with the list's line count; nullopt, writing nothing, when the
// list does not open.
std::optional<StagedList> StageClickableList();

// The card that wrote row `row` (0-based): record `row` of "dli-list.dat". Raises IoError when
// the file does not open or has no such record.
int32_t ListRowCard(int32_t row);

// Every record of "dli-list.dat": the card of each line of the list, -1 for a line of no card.
// Raises IoError when the file does not open.
std::vector<int32_t> ListRowCards();

// Every line of "lista.txt" cut to 255 characters, as it is printed. Raises IoError when the
// list does not open.
std::vector<std::string> ListPrintLines();

}  // namespace qv
