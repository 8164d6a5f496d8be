#include "cardwindow/ui/distribution_viewer.h"

#include "cardwindow/distribution_view.h"
#include "core/core_state.h"
#include "core/ui/thelp.h"

namespace qv {

namespace {
constexpr int kReportSelector = 0;
}  // namespace

void OpenDistributionView(QWidget* owner) {
    WriteFieldDistribution();
    CoreState.CommandCode = kReportSelector;
    ShowTextViewer(owner, kReportSelector);
}

}  // namespace qv
