#pragma once
#include <string>
#include <string_view>
#include <vector>

// The manual territory selection: the provinces of "ini-prov.imp", the comuni of a province from
// "cmn-zor2.dat", the alphabetical search list and the distance radius, all over
// TerritorySelection (code c at c - 1, codes 1..TerritoryCount).

namespace qv {

constexpr int kMaxProvinceLines = 103;

// The province lines as read. ProvinceStartTable holds each line's first code and, after the
// last line, the end mark TerritoryCount + 1, so that the last province runs to the last code.
struct ProvinceTable {
    std::vector<std::string> names;  // per line, the text from its sixth character
    int firstValid = -1;             // lowest line whose start lies in 1..TerritoryCount; -1 none
    std::vector<int> listed;         // the lines shown in the list, in order
};

// Reads "ini-prov.imp" (program directory; required) into ProvinceStartTable; lines past the
// 103rd are ignored. Marks the provinces from TerritorySelection.
ProvinceTable ReadProvinceTable();
// ProvinceMarks from TerritorySelection: a province is marked when one of its codes is selected.
void MarkProvinces(const ProvinceTable& table);
// The list items: "-> " for a marked province, "-  " otherwise, then the name.
std::vector<std::string> ProvinceListItems(const ProvinceTable& table);
// The line whose codes hold `code`, or -1.
int ProvinceContaining(const ProvinceTable& table, int code);
// First and last code of a line (first > last when it holds none).
struct CodeRange {
    int first = 1;
    int last = 0;
};
CodeRange ProvinceCodes(int line);
// The line CoreState.ProvinceIndex names, counted from the first valid one; the first listed
// line when the index names none. -1 when no line is listed.
int ShownProvince(const ProvinceTable& table);
// The position of a line in the list, or -1.
int ListPosition(const ProvinceTable& table, int line);

// Names of codes first..last from "cmn-zor2.dat" (program directory; required).
std::vector<std::string> ComuneNames(CodeRange range);

// The items of the search box with the record of "di-alfac.dat" each one stands for. Taken from
// "zor3.txt" when it opens (item i is record i); otherwise built from "di-alfac.dat" and
// "cmn-zor2.dat", leaving out the codes without a name.
struct ComuneSearchList {
    std::vector<std::string> names;
    std::vector<int> records;
};
ComuneSearchList ReadComuneSearchList();
// The territory code at a record of "di-alfac.dat" (program directory; required).
int AlphabeticalCode(int record);

// Sets or clears codes first..last, limited to 1..TerritoryCount.
void SetTerritoryCodes(CodeRange range, bool on);
int CountSelectedCodes(CodeRange range);

// Selects exactly the codes whose centroid in the program directory's "dli-poli.dat" (required:
// its missing raises the input/output error and changes nothing) lies within `radius` of the chosen code's:
// |x0 - x| + |2 y0 - 2 y| <= radius. The chosen code is always selected for a radius of 0 or more; a code
// without a pair in the file, or whose x is -30000 (not placed on the map), is never selected beside it. A
// chosen code outside 1..TerritoryCount changes nothing.
void ApplyKmRadius(int chosenCode, int radius);

}  // namespace qv
