#include "selection/ui/tricercaschede.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/search_by_example.h"

namespace qv {

namespace {

constexpr int kHelpPage = 77;

QRadioButton* Radio(QWidget* owner, QButtonGroup* group, const char* name, int caption) {
    auto* r = new QRadioButton(Qs(LoadText(caption)), owner);
    r->setObjectName(name);
    group->addButton(r);
    return r;
}

QLabel* Label(QWidget* owner, const char* name, int caption) {
    auto* l = new QLabel(Qs(LoadText(caption)), owner);
    l->setObjectName(name);
    return l;
}

}  // namespace

TRicercaSchede::TRicercaSchede(QWidget* owner) : QDialog(owner) {
    setObjectName("TRicercaSchede");
    FormCreate();
}

void TRicercaSchede::FormCreate() {
    setWindowTitle(Qs(LoadText(1259)));
    auto* kinds = new QButtonGroup(this);
    auto* starts = new QButtonGroup(this);
    auto* shows = new QButtonGroup(this);
    Label1 = Label(this, "Label1", 1260);
    sequenziale = Radio(this, kinds, "sequenziale", 1261);
    Alfabetica = Radio(this, kinds, "Alfabetica", 1262);
    qualsiasi = Radio(this, kinds, "qualsiasi", 1263);
    Label2 = Label(this, "Label2", 1264);
    sch1 = Radio(this, starts, "sch1", 1265);
    schAttuale = Radio(this, starts, "schAttuale", 1266);
    Label3 = Label(this, "Label3", 1267);
    singole = Radio(this, shows, "singole", 1268);
    comelista = Radio(this, shows, "comelista", 1269);
    Esci = TextButton(this, "Esci", 1270, 1271);
    Help2 = TextButton(this, "Help2", 1272, 1273);

    auto* layout = new QGridLayout(this);
    int row = 0;
    for (QWidget* w :
         {static_cast<QWidget*>(Label1), static_cast<QWidget*>(sequenziale),
          static_cast<QWidget*>(Alfabetica), static_cast<QWidget*>(qualsiasi), static_cast<QWidget*>(Label2),
          static_cast<QWidget*>(sch1), static_cast<QWidget*>(schAttuale), static_cast<QWidget*>(Label3),
          static_cast<QWidget*>(singole), static_cast<QWidget*>(comelista)})
        layout->addWidget(w, row++, 0, 1, 2);
    layout->addWidget(Esci, row, 0);
    layout->addWidget(Help2, row, 1);

    switch (CoreState.SearchKind) {
        case kSequentialSearch:
            sequenziale->setChecked(true);
            break;
        case kAlphabeticalSearch:
            Alfabetica->setChecked(true);
            break;
        case kAnyFieldSearch:
            qualsiasi->setChecked(true);
            break;
        default:
            break;
    }
    (CoreState.SearchFromFirst == 1 ? sch1 : schAttuale)->setChecked(true);
    (CoreState.SearchAsList == 1 ? comelista : singole)->setChecked(true);

    connect(Esci, &QPushButton::clicked, this, &TRicercaSchede::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRicercaSchede::Help2Click);
}

void TRicercaSchede::EsciClick() {
    CoreState.SearchKind = 0;
    if (sequenziale->isChecked()) CoreState.SearchKind = kSequentialSearch;
    if (Alfabetica->isChecked()) CoreState.SearchKind = kAlphabeticalSearch;
    if (qualsiasi->isChecked()) CoreState.SearchKind = kAnyFieldSearch;
    CoreState.SearchFromFirst = sch1->isChecked() ? 1 : 0;
    CoreState.SearchAsList = comelista->isChecked() ? 1 : 0;
    accept();
}

void TRicercaSchede::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void TRicercaSchede::keyPressEvent(QKeyEvent* event) {
    // The exit button is the form's cancel button: Esc presses it, and so stores the choices.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Esci->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void OpenSearchOptions(QWidget* owner) {
    TRicercaSchede dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
