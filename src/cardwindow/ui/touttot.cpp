#include "cardwindow/ui/touttot.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "cardwindow/card_export.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {
namespace {

constexpr int kHelpPage = 67;

}  // namespace

TOutTot::TOutTot(QWidget* owner) : QDialog(owner) {
    setObjectName("TOutTot");
    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    tabulatori = new QCheckBox(this);
    tabulatori->setObjectName("tabulatori");
    Esegui = NamedButton(this, "Esegui");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Barra = IdleProgressBar(this, "Barra");

    StackAboveButtons(this, {Label1, tabulatori, Barra}, {Esegui, Esci, Help2});

    connect(Esegui, &QPushButton::clicked, this, &TOutTot::EseguiClick);
    connect(Esci, &QPushButton::clicked, this, &TOutTot::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TOutTot::Help2Click);
    FormCreate();
}

void TOutTot::FormCreate() {
    setWindowTitle(Qs(LoadText(1085)));
    Label1->setText(Qs(LoadText(1086)));
    tabulatori->setText(Qs(LoadText(1087)));
    tabulatori->setToolTip(Qs(LoadText(1088)));
    Esegui->setText(Qs(LoadText(1089)));
    Esegui->setToolTip(Qs(LoadText(1090)));
    Esci->setText(Qs(LoadText(1091)));
    Esci->setToolTip(Qs(LoadText(1092)));
    Help2->setText(Qs(LoadText(1093)));
    Help2->setToolTip(Qs(LoadText(1094)));
    tabulatori->setChecked(CoreState.ExportTabs != 0);
}

void TOutTot::EseguiClick() {
    CoreState.ExportTabs = tabulatori->isChecked() ? 1 : 0;
    BarProgress progress(Barra);
    CardCount cards;
    try {
        WaitCursor wait;
        cards = RunTotalExport(progress);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    if (const std::string text = ShortPassText(cards); !text.empty()) ShowInfo(text);
}

void TOutTot::EsciClick() {
    CoreState.ExportTabs = tabulatori->isChecked() ? 1 : 0;
    accept();
}

void TOutTot::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenTotalExport(QWidget* owner) {
    TOutTot dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
