#include "cardwindow/write_permission.h"

#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"

namespace qv {

namespace {
constexpr int kRefusalText = 1560;
}

bool CardChangesAllowed() {
    return ArchiveWritable();
}

std::string CardChangesRefusal() {
    if (const std::string& reason = ArchiveReadOnlyReason(); !reason.empty()) return reason;
    return LoadText(kRefusalText);
}

}  // namespace qv
