#include "cardwindow/ui/distribution_viewer.h"

#include "cardwindow/distribution_view.h"
#include "core/ui/thelp.h"

namespace qv {

void OpenDistributionView(QWidget* owner) {
    WriteFieldDistribution();
    ShowTextViewer(owner, ViewerFile::Report);
}

}  // namespace qv
