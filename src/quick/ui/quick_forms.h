#pragma once
#include <functional>

#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"

class QProgressBar;
class QWidget;

namespace qv {

// Forms of other parts that the quick dialogs open. Their owners install them at start-up; a
// form not installed is not opened.
struct QuickFormHooks {
    std::function<void(QWidget* owner, int selector)> TextViewer;  // THelp, file chosen by selector
    std::function<void(QWidget* owner, int page)> HelpPage;        // THelpRTF
    std::function<void(QWidget* owner)> AdditionalVariables;       // TElabVelociAggiungi
};
QuickFormHooks& QuickForms();

// Stores the selector in CoreState.CommandCode and opens the text viewer on it.
void OpenQuickViewer(QWidget* owner, int selector);
// Stores the page in CoreState.CommandCode and opens the help viewer on it.
void OpenQuickHelp(QWidget* owner, int page);

// A form's progress bar as the engine's progress.
class BarProgress : public Progress {
  public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;

  private:
    QProgressBar* bar_;
};

// Runs a handler's work; an input/output error abandons it with the standard message.
template <typename Work>
void GuardedIo(Work&& work) {
    try {
        work();
    } catch (const IoError& e) {
        HourglassOff();
        ShowIoError(e);
    }
}

// The quick hub's openers: each dialog is created with `owner`, shown modally and destroyed.
void OpenQuickGridSet(QWidget* owner);      // TElabVelociGriglia
void OpenQuickPreparation(QWidget* owner);  // TElabVelociPrepara

}  // namespace qv
