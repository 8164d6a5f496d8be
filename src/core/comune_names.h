#pragma once
#include <cstdint>
#include <string>
#include <vector>

// "cmn-zor2.dat", the municipalities' names: record code - 1 holds municipality `code`'s name as
// a short string of at most 37 characters (38 bytes). The program directory holds the list the
// cards are typed against, the territorial base its own copy for the map; both have this form.

namespace qv {

inline constexpr int kComuneRecordBytes = 38;
inline constexpr int kComuneNameChars = kComuneRecordBytes - 1;

// The name in one record; a length byte above 37 reads as 37.
std::string DecodeComuneName(const uint8_t* record);

// Names of codes first..first + count - 1 of the program directory's list, in one open and one
// read. Raises the input/output error when the file cannot be opened or holds fewer records.
std::vector<std::string> ReadComuneNames(int first, int count);
// Name of municipality `code` of that list, read the same way.
std::string ComuneName(int code);
// Every name the program directory's list holds (its whole records), code c at c - 1. Raises
// the input/output error when the file cannot be read.
std::vector<std::string> ReadAllComuneNames();

}  // namespace qv
