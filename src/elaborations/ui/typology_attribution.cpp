#include <QProgressBar>
#include <algorithm>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/typologies.h"
#include "elaborations/ui/factor_openers.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr int kNeedsPassword = 1007;

class BarFollower : public Progress {
  public:
    explicit BarFollower(QProgressBar* bar) : bar_(bar) {}
    void SetMaximum(int maximum) override {
        if (bar_) bar_->setRange(0, std::max(maximum, 0));
    }
    void SetPosition(int position) override {
        if (bar_) bar_->setValue(position);
    }

  private:
    QProgressBar* bar_;
};

}  // namespace

// The messages and the file dialog take the main window as parent, as every common dialog.
void OpenTypologies([[maybe_unused]] QWidget* owner, QProgressBar* bar) {
    const bool quick = CoreState.ElaborationMode == 2;
    if (CoreState.TypologyField < 1) return;
    // Scores are card changes: like every other write to the cards they need the password.
    if (!CoreState.WriteAccess) {
        ShowInfo(LoadText(kNeedsPassword));
        return;
    }
    if (TypologyScoreOffset(CoreState.TypologyField) < 0) {
        ShowInfo(LoadText(quick ? 532 : 148));
        return;
    }
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.filter = "*.txt";
    request.fileName = "*.txt";
    const std::string typologyFileName = AskFileName(request);
    if (typologyFileName.empty()) return;
    HourglassOn();
    try {
        BarFollower progress(bar);
        AttributeTypologies(quick ? FactorRoad::Quick : FactorRoad::Standard, typologyFileName, progress);
    } catch (const IoError& e) {
        HourglassOff();
        ShowIoError(e);
        return;
    }
    HourglassOff();
}

}  // namespace qv
