#include "quick/ui/quick_forms.h"

#include <QComboBox>
#include <QPushButton>
#include <utility>

#include "core/text_tables.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelociprepara.h"

namespace qv {

namespace {
QuickFormOpener& AdditionalVariablesOpener() {
    static QuickFormOpener open;
    return open;
}
}  // namespace

void RegisterAdditionalVariablesDialog(QuickFormOpener open) {
    AdditionalVariablesOpener() = std::move(open);
}

void OpenAdditionalVariablesDialog(QWidget* owner) {
    if (AdditionalVariablesOpener()) AdditionalVariablesOpener()(owner);
}

QComboBox* NamedCombo(QWidget* owner, const char* name) {
    auto* c = new QComboBox(owner);
    c->setObjectName(name);
    return c;
}

void SetButtonTexts(std::initializer_list<ButtonTexts> texts) {
    for (const ButtonTexts& t : texts) {
        t.button->setText(Qs(LoadText(t.caption)));
        if (t.hint) t.button->setToolTip(Qs(LoadText(t.hint)));
    }
}

void OpenQuickGridSet(QWidget* owner) {
    TElabVelociGriglia dialog(owner);
    ShowModal(dialog);
}

void OpenQuickPreparation(QWidget* owner) {
    TElabVelociPrepara dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
