#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/card_store.h"
#include "platform/progress.h"

// The range check of the archive: category values outside their field's list are reported in
// "tabella.txt" and reset to 0, and, with a municipality field and a province field named in
// CoreState.CommuneField and CoreState.ProvinceField, municipalities missing or outside the
// range of codes of their province. The ranges come from "province.txt" in the archive
// directory, built from the province starts "ini-prov.imp" of the program directory.

namespace qv {

constexpr int kMaxProvinces = 1000;

// A commune code or field number of the range check: the common leading number, but a sign is
// not part of it ("-5" reads 0), since codes and field numbers are never negative.
int32_t LeadingCode(std::string_view text);

// Writes "province.txt" from "ini-prov.imp": line n holds province n's first code and the
// first code of province n + 1 minus 1 (the last province ends at TerritoryCount), each
// right-aligned in five columns, then the province's line from column 5 on. Raises IoError
// when "ini-prov.imp" does not open or "province.txt" cannot be written.
void BuildProvinceRangeList();

// Lowest and highest code of provinces 1..1000 from the first 1000 lines of "province.txt"
// (0 where no line); nullopt when the file does not open.
struct ProvinceRanges {
    std::array<int32_t, kMaxProvinces + 1> low{};
    std::array<int32_t, kMaxProvinces + 1> high{};
};
std::optional<ProvinceRanges> LoadProvinceRanges();

// The check over every card UpdateEveryCardValues visits (answered), with its report in "tabella.txt" of the
// program directory; every card's numeric part is written back. The municipality check runs
// only when "province.txt" opens and both fields name fields of the archive with a word on the
// card. CoreState.CurrentCard is left on the last card. Raises IoError on a failed read or
// write; the cards already written stay written.
CardCount RunRangeCheck(Progress& progress);

}  // namespace qv
