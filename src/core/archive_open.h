#pragma once

namespace qv {

// Opens the archive of CoreState.ArchiveDir with this station's settings.
void OpenArchive();
// Saves this station's settings of the open archive.
void SaveArchiveSettings();

}  // namespace qv
