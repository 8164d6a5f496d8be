#pragma once
#include <string>
#include <vector>

// What the map options dialog lists and converts, apart from the option storage itself.

namespace qv {

// Each line of "lst-sigl.txt" (territorial directory) up to its first ";"; none when missing.
std::vector<std::string> ReadSigleSetNames();
// The unit headings of "sig-zor2.txt" (territorial directory): after the first line, the rest of
// each line from its sixth character when its first character is above the blank.
std::vector<std::string> ReadAggregationUnits();
// "Non Selezionato" and the names of the first 21 records of "mod-zor.dat" (territorial
// directory, short strings of 100 characters in 101-byte records); the first alone when the file
// does not open.
std::vector<std::string> ReadBorderVariables();

// A class limit as its box shows it: `decimals` decimals, no blanks; empty when unset.
std::string FormatClassLimit(double limit, int decimals);
// The limit a box stands for: its first 20 characters as a number, unset when they are not one.
double ParseClassLimit(const std::string& text);

// MapWidth and MapHeight in "dm1-glar.dat" (program directory), kept beside the base options.
void SaveBaseMapSize();
// When the base options were ever saved ("tg1-glar.dat" opens): loads them (kind 1) with the
// map size of "dm1-glar.dat", which is then required (input/output error, nothing changed, when
// it cannot be read whole). False, with nothing changed, when there are no base options.
bool RestoreBaseOptions();

// Activates map entries 0..ValueCount.
void ActivateWholeMap();

}  // namespace qv
