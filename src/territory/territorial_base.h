#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Readers of the territorial base (directory MapState.TerritoryDir) used by the map window.
// Required files that are missing or too short raise the input/output error.

namespace qv {

class RecordFile;

enum class TerritorialReading {
    Aggregation,  // MapValueIndex of comuni 1..ValueCount from variable AggregationVariable
    Borders,      // MapBorderValues from variable BorderVariable - 1 (nothing when 0)
};
// "ter-zor.dat": variable v holds VariableLength div 50 records of 50 int32 from record
// v x (VariableLength div 50); the value of comune k is the k-th of them. An aggregation value
// above 0 is the unit plus 333; other values, and units beyond 8250, mean no unit (0).
void LoadTerritorialVariable(TerritorialReading reading);
// The values of variable `variable` (0-based) of "ter-zor.dat", as laid out above. The file is
// opened even when VariableLength holds no whole record: a base without it is refused.
std::vector<int32_t> ReadTerritorialVariable(int variable);

// "kel-trad.dat": entry j (1..8250) is the map comune of territory code j, -1 for none (also
// for codes beyond the file); entry 0 is 0.
std::vector<int32_t> ReadComuneTranslation();

// One line of the sigle set in force: the map comune (code - ComuneNumberOffset) and its text.
struct SiglaEntry {
    int32_t Comune = 0;
    std::string Text;
};
// Line SigleSet of "lst-sigl.txt" names the set file (after the first ';', plus ".txt"); its
// lines (at most 1000) hold the code in characters 1-4 and the sigla in characters 6-35.
std::vector<SiglaEntry> LoadSigle();

// Writes the unit names of variable AggregationVariable of "sig-zor2.txt" to "tresca.txt" of
// the program directory, one 101-byte record each (30 characters, blank-padded, then zeros).
constexpr int kUnitRecordSize = 101;
constexpr int kUnitNameWidth = 30;
void BuildUnitNames();

// The comuni's names of "cmn-zor2.dat" (territorial directory), records of core/comune_names.h.
void OpenMapComuneNames(RecordFile& file);
// Record `record` (0-based) up to its last character above the blank, at most 37 characters.
std::string ReadMapComuneName(const RecordFile& file, int record);
// The text up to its last character above the blank.
std::string LastNonBlank(const std::string& text);

}  // namespace qv
