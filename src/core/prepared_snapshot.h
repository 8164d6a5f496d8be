#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/text_file.h"

// The quick analyses read the files prepared from the archive as it was then. When the archive
// has changed since, the quick hub, every quick report and the map window say what the files
// were prepared from; nothing is refused.

namespace qv {

struct PreparedSnapshot {
    bool Changed = false;  // another last-card index, or card files written after the preparation
    int32_t Cards = 0;     // the cards prepared
    int64_t PreparedAt = 0;  // the modification time of "dli-dat.dat", in ns since the epoch
};

// nullopt when the archive has no prepared files ("dli-dat.dat" of 4 bytes).
std::optional<PreparedSnapshot> ReadPreparedSnapshot();

// "dd/mm/yyyy" of a modification time, in local time.
std::string LocalDateOf(int64_t nanoseconds);

// The notice of a snapshot the archive has moved on from: the cards and the date the files
// were prepared from; empty when the files are as the archive (or there are none).
std::string PreparedSnapshotNotice();
// A quick report's first lines: the notice and an empty line, when there is a notice.
void StartWithSnapshotNotice(TextBuilder& out);

}  // namespace qv
