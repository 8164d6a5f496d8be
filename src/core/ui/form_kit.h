#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/progress.h"
#include "platform/ui/cursor.h"

class QProgressBar;

// The pieces every form builds the same way: controls with captions and hints from the text
// table, the progress bar of a long job, the wait cursor around it.

namespace qv {

// A push button with the program's caption and hint texts (hint 0: none). Enter in a form's
// edit box or list must not press a button of its own accord, so none is a default button.
QPushButton* TextButton(QWidget* owner, const char* name, int caption, int hint = 0);
// The same without texts yet (the form sets them when it is created).
QPushButton* NamedButton(QWidget* owner, const char* name);
QCheckBox* NamedCheckBox(QWidget* owner, const char* name);
QLabel* TextLabel(QWidget* owner, const char* name, int caption);
// An edit box with the hint text `hint`.
QLineEdit* HintEdit(QWidget* owner, const char* name, int hint);
// A job's progress bar, empty until the job sets its range.
QProgressBar* IdleProgressBar(QWidget* owner, const char* name);
// The small read-only edit beside a button that tells how its action went.
QLineEdit* OutcomeEdit(QWidget* owner, const char* name);

// Leaving an editor whose text the user changed: save, discard, or go back to the text. With
// `saveAllowed` false (no write access, a text shown cut, notes outside card entry) only
// discard or go back is offered. A closed question goes back.
enum class LeaveChoice { Save, Discard, GoBack };
LeaveChoice AskLeavingChangedText(bool saveAllowed);
// The same question about other work (the card in hand), in the texts numbered here: whether
// to save the changes, whether to let them go when they cannot be saved, and going back.
LeaveChoice AskLeavingChanges(bool saveAllowed, int changedText, int unsavableText, int goBackText);
// Whether such an editor may close: true at once when nothing `changed`, otherwise as the person
// answers; on save, `save` stores the text and answers whether it is stored now, so a save
// cancelled or failed keeps the editor open with the text.
bool MayLeaveChangedText(bool changed, bool saveAllowed, const std::function<bool()>& save);

// A path the person gave (a path box, a file dialog) that is to be written into one of the
// program's Windows-1252 files: true when it can be, otherwise false with the refusal shown.
bool StorablePathGiven(const std::string& path);

// The plain layout of a job form: `column` one above the other, the row of `buttons` below.
void StackAboveButtons(QWidget* form, std::initializer_list<QWidget*> column,
                       std::initializer_list<QWidget*> buttons);

// A form's progress bar as the engine's progress: the range runs from `minimum` to the job's
// maximum (never empty, which Qt would show as a busy bar), and the bar repaints at once, since
// the job holds the one GUI thread until it ends.
class BarProgress : public Progress {
  public:
    explicit BarProgress(QProgressBar* bar, int minimum = 0) : bar_(bar), minimum_(minimum) {}
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;

  private:
    QProgressBar* bar_;
    int minimum_;
};

}  // namespace qv
