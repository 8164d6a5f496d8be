#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The territorial list of a linked archive: for a field of this archive, the lines of another
// archive's cards that lie in the selected territory, read through that archive's territorial
// order files ("lif-sch.dat", "lpn-sch.dat", "lsg-sch.dat", written by its territorial order)
// and restricted to chosen categories of it and to a search text.

namespace qv {

// Characters of the search text that count.
constexpr size_t kMaxSearch = 99;

// A line of "lkt-sch.imp" (archive directory): "field,commune field,directory".
struct TerritorialLink {
    bool Found = false;
    int32_t CommuneField = 0;
    std::string Dir;  // the linked archive's directory, ending with '/'
};
// The last line whose first number is `field`; not found when "lkt-sch.imp" does not open.
TerritorialLink ReadTerritorialLink(int field);

// The category names of the linked archive in CoreState.OtherArchiveDir ("sig-sch.dat" from
// its third line, a 9-character code and the name, up to the line coded "     ///"); none when
// the file does not open.
std::vector<std::string> ReadLinkedCategories();

// The territory code the card in hand holds in `field` (its first word); 0 when the field has
// no word on the card.
int32_t CardTerritoryCode(int field);

// Rewrites "tabella.txt" of the program directory with the lines of the linked archive
// `linkedDir` (stored in CoreState.OtherArchiveDir) for every code marked in
// TerritorySelection, in code order, whose category (1-based) is flagged in `wanted` and which
// hold `search` (compared in capitals; empty: every line). With no linked directory the report
// is empty. Missing or short order files raise the input/output error; the previous report
// stays.
void WriteTerritorialList(const std::string& linkedDir, const std::vector<uint8_t>& wanted,
                          const std::string& search);

// Windows-1252 text in capitals, accented letters included.
std::string UpperCp1252(std::string text);

}  // namespace qv
