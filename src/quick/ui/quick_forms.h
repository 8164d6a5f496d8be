#pragma once
#include <functional>
#include <initializer_list>

#include "core/ui/form_kit.h"
#include "core/ui/widgets_fwd.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"

namespace qv {

// TElabVelociAggiungi, the additional variables, belongs to its own form; it registers its
// opener here. Not registered, the button opens nothing.
using QuickFormOpener = std::function<void(QWidget* owner)>;
void RegisterAdditionalVariablesDialog(QuickFormOpener open);
void OpenAdditionalVariablesDialog(QWidget* owner);

// The quick hub's openers: each dialog is created with `owner`, shown modally and destroyed.
void OpenQuickGridSet(QWidget* owner);      // TElabVelociGriglia
void OpenQuickPreparation(QWidget* owner);  // TElabVelociPrepara

// A combo box with the form's name for it.
QComboBox* NamedCombo(QWidget* owner, const char* name);

// A button's caption and hint (0: none) by text number, set when the form is created.
struct ButtonTexts {
    QPushButton* button;
    int caption, hint;
};
void SetButtonTexts(std::initializer_list<ButtonTexts> texts);

}  // namespace qv
