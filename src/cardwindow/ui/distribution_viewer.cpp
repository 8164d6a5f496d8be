#include "cardwindow/ui/distribution_viewer.h"

#include "cardwindow/distribution_view.h"
#include "core/ui/thelp.h"

namespace qv {

namespace {
constexpr int kReportSelector = 0;
}  // namespace

void OpenDistributionView(QWidget* owner) {
    WriteFieldDistribution();
    ShowTextViewer(owner, kReportSelector);
}

}  // namespace qv
