#include "elaborations/ui/viewer_calls.h"

#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"

namespace qv {

void OpenHelpPage(QWidget* owner, int page) {
    ShowHelpPage(owner, page);
}

void OpenReportViewer(QWidget* owner) {
    ShowTextViewer(owner, 0);
}

}  // namespace qv
