#include "elaborations/ui/viewer_calls.h"

#include "core/core_state.h"

namespace qv {

void OpenHelpPage(QWidget* owner, int page) {
    CoreState.CommandCode = page;
    // The help viewer is shown here once it is part of the program: ShowHelpPage(owner, page).
    (void)owner;
}

void OpenReportViewer(QWidget* owner) {
    CoreState.CommandCode = 0;
    // The text viewer is shown here once it is part of the program: ShowTextViewer(owner, 0).
    (void)owner;
}

}  // namespace qv
