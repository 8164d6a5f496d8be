#include "cardwindow/ui/exit_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/ui/qt_text.h"

namespace qv {

TEsciMorvidex::TEsciMorvidex(QWidget* owner) : QDialog(owner) {
    setObjectName("TEsciMorvidex");
    CoreState.CommandCode = 0;
    setWindowTitle(Qs(LoadText(825)));
    Si = new QPushButton(Qs(LoadText(826)), this);
    Si->setObjectName("Si");
    Si->setToolTip(Qs(LoadText(827)));
    No = new QPushButton(Qs(LoadText(828)), this);
    No->setObjectName("No");
    No->setToolTip(Qs(LoadText(829)));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Si);
    layout->addWidget(No);
    Si->setDefault(true);
    connect(Si, &QPushButton::clicked, this, &TEsciMorvidex::SiClick);
    connect(No, &QPushButton::clicked, this, &TEsciMorvidex::NoClick);
}

void TEsciMorvidex::SiClick() {
    CoreState.CommandCode = 0;
    reject();
}

void TEsciMorvidex::NoClick() {
    // The copy to a shared archive joins here with the card entry work.
    CoreState.CommandCode = 1;
    accept();
}

}  // namespace qv
