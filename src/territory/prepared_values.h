#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The files of the quick preparation that the map reads as well: the card count it covered and
// the per-card values. The preparation (quick/) writes them; every reader comes here.

namespace qv {

// Per-card value files ("ter-dat.dat" territory codes of 2 bytes, "ddd-dat.dat" and
// "num-dat.dat" values of 4): card c's value at byte c x width, the file padded with zeros to
// whole records of this many values.
constexpr int kPreparedValuesPerRecord = 10240;

// The last prepared card, from "dli-dat.dat": its first 32-bit word, -1 for no card. It gives
// the prepared files their geometry (the cards themselves are counted by CardFiles::CountCards).
// Raises the input/output error when it cannot be read, and an invalid number below -1.
int32_t ReadPreparedCardCount();

// The values of cards 0..cards - 1 from per-card value file `fileId`, `valueBytes` (2 or 4)
// each, signed: fewer when the file was prepared for fewer cards; nullopt when it cannot be read.
std::optional<std::vector<int32_t>> ReadPerCardValues(int fileId, int valueBytes, int64_t cards);

}  // namespace qv
