#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/core_state.h"

namespace qv {

// The per-station files of an archive directory, named by a word and the station number:
// the settings file (60 slots of CoreState, each a value word then the end word 33536) and the
// run lists of the nine selection lists of the elaborations.

constexpr int kSettingsSlots = 60;

// Gives every setting of the settings file its default.
void ApplySettingsDefaults();
// Rewrites ArchiveDir + "imposta." + station.
void SaveSettingsWordFile();
// Reads ArchiveDir + "Imposta." + station when it is there; otherwise the settings stay as they
// are. A file that cannot be read, or whose head holds no 60 slots, raises and changes nothing.
void LoadSettingsWordFile();

// Runs of set entries among 0..last as pairs of 16-bit indexes (first, last), ascending.
void SaveSelectionRunList(const std::string& path, const FlagList& flags, int last = kFlagListSize - 1);
// Sets the entries of every run; the caller clears the list first. A missing file leaves the list
// unchanged and one that cannot be read raises; a trailing odd word and indexes past 4000 are ignored.
void LoadSelectionRunList(const std::string& path, FlagList& flags);
// The runs of a run list's bytes set in the list, cut to entries 0..last.
void SetRunListFlags(std::string_view bytes, FlagList& flags, int last = kFlagListSize - 1);

// The nine lists of a station, in the order they are read and written.
struct StationList {
    const char* word;  // file name before the station number, "ScRighe." ...
    FlagList* flags;
};
constexpr int kStationListCount = 9;
const StationList* StationLists();

// ArchiveDir + word + StationNumber.
std::string StationFilePath(const std::string& word);

}  // namespace qv
