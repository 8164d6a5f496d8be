#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/text_tables.h"
#include "platform/ui/qt_text.h"

// Controls the selection dialogs build the same way: captions and hints from the text table.

namespace qv::form {

inline QPushButton* Button(QWidget* owner, const char* name, int caption, int hint) {
    auto* b = new QPushButton(Qs(LoadText(caption)), owner);
    b->setObjectName(name);
    b->setToolTip(Qs(LoadText(hint)));
    b->setAutoDefault(false);
    return b;
}

inline QLabel* Label(QWidget* owner, const char* name, int caption) {
    auto* l = new QLabel(Qs(LoadText(caption)), owner);
    l->setObjectName(name);
    return l;
}

inline QLineEdit* Edit(QWidget* owner, const char* name, int hint) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setToolTip(Qs(LoadText(hint)));
    return e;
}

// The small edit beside a button that tells how its action went.
inline QLineEdit* OutcomeEdit(QWidget* owner, const char* name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setMaximumWidth(48);
    return e;
}

}  // namespace qv::form
