#pragma once
#include <string>
#include <string_view>

namespace qv {

// Opens the archive of CoreState.ArchiveDir with this station's settings. A directory without
// a descriptor is replaced by the sample archive below the program directory; when that has
// none either, the input/output error is raised. Callers then set CoreState.CurrentCard.
void OpenArchive();
// What the last opening found wrong without refusing the archive (an index past the end of the
// card files), once: the answer is emptied by the call. Empty when all was well.
std::string TakeOpeningWarning();

// Records the archive directory for the next start and writes this station's settings, the
// field marks, the search criteria, the statistics with the card selection and the nine lists.
// A step that fails is reported once through ReportIoError and the later steps still run;
// the answer is false when any step failed. After an opening that failed midway only the archive
// directory is recorded: the tables in memory are not this archive's settings. A station file
// the opening could not read is left as it is.
bool SaveArchiveSettings();

// The first two steps of opening: card geometry and split field from the descriptor, and the
// mouse-entry switch of the program directory. Answers whether the descriptor gives both card
// sizes. A directory without a descriptor opens the sample archive, which the opening tells.
bool LoadArchiveDescriptor();
void LoadMouseOption();

// The sample archive opened when the chosen directory holds no descriptor.
std::string SampleArchiveDir();

// A descriptor line's value: the number at the start of the text from column 20 up to its
// first blank; 0 when no blank follows or there are no digits.
int DescriptorValue(std::string_view line);

}  // namespace qv
