#include "elaborations/ui/viewer_calls.h"

#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/simple_distribution_report.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {
constexpr int kNoCountsText = 1950, kTooManyGridLinesText = 1951;
}  // namespace

void OpenHelpPage(QWidget* owner, int page) {
    ShowHelpPage(owner, page);
}

void OpenReportViewer(QWidget* owner) {
    ShowTextViewer(owner, ViewerFile::Report);
}

void OpenCountReport(QWidget* owner, CountTableState state) {
    // Without counts of this grid there is no report, and an older one must not pass for it.
    if (state == CountTableState::Missing)
        ShowInfo(LoadText(kNoCountsText));
    else if (state == CountTableState::Stale)
        ShowInfo(LoadText(kStaleCountsText));
    else if (state == CountTableState::Uncounted)
        ShowInfo(LoadText(kUncountedRowsText));
    else
        OpenReportViewer(owner);
}

void ShowGridTooLong() {
    ShowError(LoadText(kTooManyGridLinesText));
}

bool RefuseGridTooLong() {
    if (CountGridLines() <= kMaxUsableGridLines) return false;
    ShowGridTooLong();
    return true;
}

}  // namespace qv
