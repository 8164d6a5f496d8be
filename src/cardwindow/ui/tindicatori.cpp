#include "cardwindow/ui/tindicatori.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/tesegue.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 52;

}  // namespace

Tindicatori::Tindicatori(QWidget* owner) : QDialog(owner) {
    setObjectName("Tindicatori");
    FormCreate();
}

void Tindicatori::FormCreate() {
    setWindowTitle(Qs(LoadText(972)));
    Lista = TextButton(this, "Lista", 973, 974);
    Aggiorna = TextButton(this, "Aggiorna", 975, 976);
    Esci = TextButton(this, "Esci", 977, 978);
    Help2 = TextButton(this, "Help2", 979, 980);
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Lista, 0, 0);
    layout->addWidget(Aggiorna, 0, 1);
    layout->addWidget(Status, 1, 0, 1, 2);
    layout->addWidget(Esci, 2, 0);
    layout->addWidget(Help2, 2, 1);

    connect(Lista, &QPushButton::clicked, this, &Tindicatori::ListaClick);
    connect(Aggiorna, &QPushButton::clicked, this, &Tindicatori::AggiornaClick);
    connect(Esci, &QPushButton::clicked, this, &Tindicatori::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &Tindicatori::Help2Click);
}

void Tindicatori::ListaClick() {
    ShowTextViewer(this, ViewerFile::Indicators);
}

void Tindicatori::AggiornaClick() {
    OpenBatchRunner(this, kIndicatorsJob);
}

void Tindicatori::EsciClick() {
    accept();
}

void Tindicatori::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenIndicatorsDialog(QWidget* owner) {
    Tindicatori dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
