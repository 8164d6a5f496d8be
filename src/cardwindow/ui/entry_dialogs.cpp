#include "cardwindow/ui/entry_dialogs.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "cardwindow/entry_options.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/numbers.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
constexpr int kClearHelpPage = 24;
constexpr int kCopyHelpPage = 29;
constexpr int kGoToCardHelpPage = 61;
}  // namespace

// --- TCancella ---

TCancella::TCancella(QWidget* owner) : QDialog(owner) {
    setObjectName("TCancella");
    FormCreate();
}

void TCancella::FormCreate() {
    setWindowTitle(Qs(LoadText(220)));
    F8 = TextButton(this, "F8", 221, 222);
    Tutti = TextButton(this, "Tutti", 223, 224);
    Configura = TextButton(this, "Configura", 225, 226);
    Esci = TextButton(this, "Esci", 227, 228);
    Help2 = TextButton(this, "Help2", 229, 230);
    auto* layout = new QVBoxLayout(this);
    for (QPushButton* b : {F8, Tutti, Configura, Esci, Help2}) layout->addWidget(b);
    connect(F8, &QPushButton::clicked, this, &TCancella::F8Click);
    connect(Tutti, &QPushButton::clicked, this, &TCancella::TuttiClick);
    connect(Configura, &QPushButton::clicked, this, &TCancella::ConfiguraClick);
    connect(Esci, &QPushButton::clicked, this, &TCancella::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TCancella::Help2Click);
}

void TCancella::Finish(int answer) {
    answer_ = answer;
    accept();
}

void TCancella::F8Click() {
    Finish(kClearField);
}
void TCancella::TuttiClick() {
    Finish(kClearAll);
}
void TCancella::ConfiguraClick() {
    Finish(kClearMarked);
}
void TCancella::EsciClick() {
    reject();
}

void TCancella::Help2Click() {
    ShowHelpPage(this, kClearHelpPage);
}

void TCancella::reject() {
    answer_ = kClearNothing;
    QDialog::reject();
}

// --- TCopia ---

TCopia::TCopia(QWidget* owner) : QDialog(owner) {
    setObjectName("TCopia");
    FormCreate();
}

void TCopia::FormCreate() {
    setWindowTitle(Qs(LoadText(320)));
    Precedente = TextButton(this, "Precedente", 321, 322);
    num = TextButton(this, "num", 323, 324);
    numero = new QLineEdit(this);
    numero->setObjectName("numero");
    numero->setToolTip(Qs(LoadText(325)));
    Recupera = TextButton(this, "Recupera", 326, 327);
    Esci = TextButton(this, "Esci", 328, 329);
    Help2 = TextButton(this, "Help2", 330, 331);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Precedente, 0, 0, 1, 2);
    layout->addWidget(num, 1, 0);
    layout->addWidget(numero, 1, 1);
    layout->addWidget(Recupera, 2, 0, 1, 2);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);
    connect(Precedente, &QPushButton::clicked, this, &TCopia::PrecedenteClick);
    connect(num, &QPushButton::clicked, this, &TCopia::numClick);
    connect(numero, &QLineEdit::returnPressed, this, &TCopia::numClick);
    connect(Recupera, &QPushButton::clicked, this, &TCopia::RecuperaClick);
    connect(Esci, &QPushButton::clicked, this, &TCopia::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TCopia::Help2Click);
}

void TCopia::Finish() {
    answer_ = CoreState.CommandCode;
    accept();
}

void TCopia::PrecedenteClick() {
    CopyCardIntoHand(CoreState.CurrentCard - 1);
    Finish();
}

void TCopia::numClick() {
    // Cards are shown numbered from 1 and held numbered from 0.
    const int64_t typed = LeadingInteger(Cp(numero->text()));
    CopyCardIntoHand(int32_t(std::max<int64_t>(typed - 1, INT32_MIN)));
    Finish();
}

void TCopia::RecuperaClick() {
    ReloadCardInHand();
    Finish();
}

void TCopia::EsciClick() {
    reject();
}

void TCopia::Help2Click() {
    ShowHelpPage(this, kCopyHelpPage);
}

void TCopia::reject() {
    answer_ = 0;
    QDialog::reject();
}

// --- TNumeroScheda ---

TNumeroScheda::TNumeroScheda(QWidget* owner) : QDialog(owner) {
    setObjectName("TNumeroScheda");
    FormCreate();
}

void TNumeroScheda::FormCreate() {
    setWindowTitle(Qs(LoadText(1052)));
    Numero = new QLineEdit(this);
    Numero->setObjectName("Numero");
    Numero->setToolTip(Qs(LoadText(1053)));
    Ok = TextButton(this, "Ok", 1054, 1055);
    FineArchivio = TextButton(this, "FineArchivio", 1056, 1057);
    Esci = TextButton(this, "Esci", 1058, 1059);
    Help2 = TextButton(this, "Help2", 1060, 1061);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Numero, 0, 0);
    layout->addWidget(Ok, 0, 1);
    layout->addWidget(FineArchivio, 1, 0, 1, 2);
    layout->addWidget(Esci, 2, 0);
    layout->addWidget(Help2, 2, 1);
    connect(Numero, &QLineEdit::returnPressed, this, &TNumeroScheda::OkClick);
    connect(Ok, &QPushButton::clicked, this, &TNumeroScheda::OkClick);
    connect(FineArchivio, &QPushButton::clicked, this, &TNumeroScheda::FineArchivioClick);
    connect(Esci, &QPushButton::clicked, this, &TNumeroScheda::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TNumeroScheda::Help2Click);
}

void TNumeroScheda::OkClick() {
    GoToTypedCard(Cp(Numero->text()));
    accept();
}

void TNumeroScheda::FineArchivioClick() {
    CoreState.CurrentCard = NewCardNumber();
    accept();
}

void TNumeroScheda::EsciClick() {
    reject();
}

void TNumeroScheda::Help2Click() {
    ShowHelpPage(this, kGoToCardHelpPage);
}

// --- openers ---

int OpenClearDialog(QWidget* owner) {
    return AskDialog<TCancella>(owner);
}

int OpenCopyDialog(QWidget* owner) {
    return AskDialog<TCopia>(owner);
}

void OpenGoToCardDialog(QWidget* owner) {
    TNumeroScheda dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
