#include "core/ui/form_kit.h"

#include <QBoxLayout>
#include <QProgressBar>
#include <algorithm>

#include "core/text_tables.h"
#include "platform/paths.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
constexpr int kChangedText = 2241;
constexpr int kChangedUnsavableText = 2245;
constexpr int kSaveChoice = 2242;
constexpr int kDiscardChoice = 2243;
constexpr int kGoBackChoice = 2244;
constexpr int kAbandonChoice = 2246;
}  // namespace

LeaveChoice AskLeavingChanges(bool saveAllowed, int changedText, int unsavableText, int goBackText) {
    MessageRequest request;
    request.buttons = MessageButtons::Choices;
    request.icon = MessageIcon::Question;
    if (saveAllowed) {
        request.text = LoadText(changedText);
        request.choices = {LoadText(kSaveChoice), LoadText(kDiscardChoice), LoadText(goBackText)};
        const int answer = ShowMessage(request);
        return answer == 1 ? LeaveChoice::Save : answer == 2 ? LeaveChoice::Discard : LeaveChoice::GoBack;
    }
    request.text = LoadText(unsavableText);
    request.choices = {LoadText(kAbandonChoice), LoadText(goBackText)};
    return ShowMessage(request) == 1 ? LeaveChoice::Discard : LeaveChoice::GoBack;
}

LeaveChoice AskLeavingChangedText(bool saveAllowed) {
    return AskLeavingChanges(saveAllowed, kChangedText, kChangedUnsavableText, kGoBackChoice);
}

bool MayLeaveChangedText(bool changed, bool saveAllowed, const std::function<bool()>& save) {
    if (!changed) return true;
    switch (AskLeavingChangedText(saveAllowed)) {
        case LeaveChoice::Save:
            return save();
        case LeaveChoice::Discard:
            return true;
        case LeaveChoice::GoBack:
            break;
    }
    return false;
}

QPushButton* TextButton(QWidget* owner, const char* name, int caption, int hint) {
    auto* b = new QPushButton(Qs(LoadText(caption)), owner);
    b->setObjectName(name);
    if (hint) b->setToolTip(Qs(LoadText(hint)));
    b->setAutoDefault(false);
    return b;
}

QPushButton* NamedButton(QWidget* owner, const char* name) {
    auto* b = new QPushButton(owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* NamedCheckBox(QWidget* owner, const char* name) {
    auto* c = new QCheckBox(owner);
    c->setObjectName(name);
    return c;
}

QLabel* TextLabel(QWidget* owner, const char* name, int caption) {
    auto* l = new QLabel(Qs(LoadText(caption)), owner);
    l->setObjectName(name);
    return l;
}

QLineEdit* HintEdit(QWidget* owner, const char* name, int hint) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setToolTip(Qs(LoadText(hint)));
    return e;
}

QLineEdit* OutcomeEdit(QWidget* owner, const char* name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setMaximumWidth(48);
    return e;
}

QProgressBar* IdleProgressBar(QWidget* owner, const char* name) {
    auto* bar = new QProgressBar(owner);
    bar->setObjectName(name);
    bar->setRange(0, 1);
    bar->setValue(0);
    return bar;
}

void StackAboveButtons(QWidget* form, std::initializer_list<QWidget*> column,
                       std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    for (QWidget* button : buttons) row->addWidget(button);
    auto* layout = new QVBoxLayout(form);
    for (QWidget* widget : column) layout->addWidget(widget);
    layout->addLayout(row);
}

void BarProgress::SetMaximum(int maximum) {
    bar_->setRange(minimum_, std::max(minimum_ + 1, maximum));
    bar_->repaint();
}

void BarProgress::SetPosition(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

namespace {
constexpr int kUnstorablePathText = 2200;
}

bool StorablePathGiven(const std::string& path) {
    if (PathStorable(path)) return true;
    ShowError(LoadText(kUnstorablePathText) + "\n" + DisplayPath(path));
    return false;
}

}  // namespace qv
