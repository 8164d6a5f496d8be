#include "elaborations/ui/tgrigliapresente.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "platform/ui/qt_text.h"

namespace qv {

TGrigliaPresente::TGrigliaPresente(QWidget* owner) : QDialog(owner) {
    setObjectName("TGrigliaPresente");
    setWindowTitle(Qs(LoadText(891)));
    Label1 = new QLabel(Qs(LoadText(892)), this);
    Label2 = new QLabel(Qs(LoadText(893)), this);
    Label3 = new QLabel(Qs(LoadText(894)), this);
    Si = new QPushButton(Qs(LoadText(895)), this);
    Si->setObjectName("Si");
    Esci = new QPushButton(Qs(LoadText(896)), this);
    Esci->setObjectName("Esci");
    pass_ = CoreState.CommandCode;
    switch (pass_) {
        case kCategoryGridPass:
            Label1->setText(Qs(LoadText(897)));
            break;
        case kQuantGridPass:
            Label1->setText(Qs(LoadText(898)));
            break;
        case kQuickGridPass:
            Label1->setText(Qs(LoadText(899)));
            break;
        default:
            break;
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Si);
    buttons->addWidget(Esci);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addLayout(buttons);

    connect(Si, &QPushButton::clicked, this, &TGrigliaPresente::SiClick);
    connect(Esci, &QPushButton::clicked, this, &TGrigliaPresente::EsciClick);
}

void TGrigliaPresente::SiClick() {
    replace_ = true;
    accept();
}

void TGrigliaPresente::EsciClick() {
    reject();
}

bool ConfirmGridReplacement(QWidget* owner, int pass) {
    const bool replace = ExchangeDialog<TGrigliaPresente>(owner, pass) == TGrigliaPresente::kReplaceAnswer;
    // The answer is not left behind: what runs next expects 0.
    CoreState.CommandCode = 0;
    return replace;
}

}  // namespace qv
