#include "core/archive_open.h"

#include "core/core_state.h"

namespace qv {

// Placeholder until opening lands: an empty archive with the default page size.
void OpenArchive() {
    CoreState.PageWidth = 640;
    CoreState.PageHeight = 480;
    CoreState.LastCard = -1;
}

void SaveArchiveSettings() {}

}  // namespace qv
