#pragma once
#include <QPushButton>

#include "core/text_tables.h"
#include "platform/ui/qt_text.h"

namespace qv {

// A push button with the program's caption and hint texts. Enter in a form's edit box or list
// must not press a button of its own accord, so none is a default button.
inline QPushButton* TextButton(QWidget* owner, const char* name, int caption, int hint = 0) {
    auto* b = new QPushButton(Qs(LoadText(caption)), owner);
    b->setObjectName(name);
    if (hint) b->setToolTip(Qs(LoadText(hint)));
    b->setAutoDefault(false);
    return b;
}

}  // namespace qv
