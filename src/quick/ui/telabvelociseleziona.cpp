#include "quick/ui/telabvelociseleziona.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/tnogriglia.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/preparation.h"
#include "quick/quick_selection.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kHelpPage = 45;
constexpr int kAllSelectedText = 774;
constexpr int kVariableDoneText = 779;  // 779 AND, 780 OR, 781 NOT
// Outcome texts of the value steps: done, then missing file, for AND, OR and NOT in turn.
constexpr int kTerritoryOutcomeText = 783, kDateOutcomeText = 789, kQuantityOutcomeText = 795;

int OutcomeText(int first, SelectionOperation op, ValueStepOutcome outcome) {
    return first + 2 * (int(op) - 1) + (outcome == ValueStepOutcome::ValueFileMissing ? 1 : 0);
}

// The label of the prepared variable `item` of a list, or the "no variable" text.
std::string PreparedLabel(int listId, int item, int noneText) {
    const std::optional<std::vector<QuickVariable>> list = ReadQuickVariableList(listId);
    if (!list || item < 1 || size_t(item) > list->size()) return LoadText(noneText);
    return (*list)[size_t(item) - 1].Label;
}

}  // namespace

TElabVelociSeleziona::TElabVelociSeleziona(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociSeleziona");
    auto edit = [this](QLineEdit*& e, const char* name, bool readOnly) {
        e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(readOnly);
    };
    auto label = [this](QLabel*& l, const char* name) {
        l = new QLabel(this);
        l->setObjectName(name);
    };
    Attiva = NamedButton(this, "Attiva");
    edit(Status1, "Status1", true);
    Modalita = new QListWidget(this);
    Modalita->setObjectName("Modalita");
    Variabile = NamedCombo(this, "Variabile");
    EffettuaAnd = NamedButton(this, "EffettuaAnd");
    EffettuaOr = NamedButton(this, "EffettuaOr");
    EffettuaNot = NamedButton(this, "EffettuaNot");
    edit(status2, "status2", true);

    edit(SiglaTerr, "SiglaTerr", false);
    Territorio = NamedButton(this, "Territorio");
    AndTerr = NamedButton(this, "AndTerr");
    OrTerr = NamedButton(this, "OrTerr");
    NoTerr = NamedButton(this, "NoTerr");
    edit(StatusTerr, "StatusTerr", true);
    Cartina = NamedButton(this, "Cartina");

    edit(SiglaData, "SiglaData", false);
    label(DataL1, "DataL1");
    edit(Inizio, "Inizio", false);
    label(DataL2, "DataL2");
    edit(fine, "fine", false);
    AndD = NamedButton(this, "AndD");
    OrD = NamedButton(this, "OrD");
    NotD = NamedButton(this, "NotD");
    edit(StatusD, "StatusD", true);

    edit(siglaQuant, "siglaQuant", false);
    label(QuantIni, "QuantIni");
    edit(InizioQ, "InizioQ", false);
    label(quantFine, "quantFine");
    edit(FineQ, "FineQ", false);
    AndQ = NamedButton(this, "AndQ");
    OrQ = NamedButton(this, "OrQ");
    NotQ = NamedButton(this, "NotQ");
    edit(StatusQ, "StatusQ", true);

    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");

    auto* g = new QGridLayout(this);
    g->addWidget(Attiva, 0, 0);
    g->addWidget(Status1, 0, 1, 1, 4);
    g->addWidget(Variabile, 1, 0, 1, 5);
    g->addWidget(Modalita, 2, 0, 1, 5);
    g->addWidget(EffettuaAnd, 3, 0);
    g->addWidget(EffettuaOr, 3, 1);
    g->addWidget(EffettuaNot, 3, 2);
    g->addWidget(status2, 3, 3, 1, 2);
    g->addWidget(SiglaTerr, 4, 0, 1, 2);
    g->addWidget(Territorio, 4, 2);
    g->addWidget(Cartina, 4, 3);
    g->addWidget(AndTerr, 5, 0);
    g->addWidget(OrTerr, 5, 1);
    g->addWidget(NoTerr, 5, 2);
    g->addWidget(StatusTerr, 5, 3, 1, 2);
    g->addWidget(SiglaData, 6, 0, 1, 5);
    g->addWidget(DataL1, 7, 0);
    g->addWidget(Inizio, 7, 1);
    g->addWidget(DataL2, 7, 2);
    g->addWidget(fine, 7, 3);
    g->addWidget(AndD, 8, 0);
    g->addWidget(OrD, 8, 1);
    g->addWidget(NotD, 8, 2);
    g->addWidget(StatusD, 8, 3, 1, 2);
    g->addWidget(siglaQuant, 9, 0, 1, 5);
    g->addWidget(QuantIni, 10, 0);
    g->addWidget(InizioQ, 10, 1);
    g->addWidget(quantFine, 10, 2);
    g->addWidget(FineQ, 10, 3);
    g->addWidget(AndQ, 11, 0);
    g->addWidget(OrQ, 11, 1);
    g->addWidget(NotQ, 11, 2);
    g->addWidget(StatusQ, 11, 3, 1, 2);
    g->addWidget(Esci, 12, 0);
    g->addWidget(Help2, 12, 1);

    connect(Attiva, &QPushButton::clicked, this, &TElabVelociSeleziona::AttivaClick);
    connect(Variabile, &QComboBox::activated, this, &TElabVelociSeleziona::VariabileChange);
    connect(EffettuaAnd, &QPushButton::clicked, this, &TElabVelociSeleziona::EffettuaAndClick);
    connect(EffettuaOr, &QPushButton::clicked, this, &TElabVelociSeleziona::EffettuaOrClick);
    connect(EffettuaNot, &QPushButton::clicked, this, &TElabVelociSeleziona::EffettuaNotClick);
    connect(Territorio, &QPushButton::clicked, this, &TElabVelociSeleziona::TerritorioClick);
    connect(AndTerr, &QPushButton::clicked, this, &TElabVelociSeleziona::AndTerrClick);
    connect(OrTerr, &QPushButton::clicked, this, &TElabVelociSeleziona::OrTerrClick);
    connect(NoTerr, &QPushButton::clicked, this, &TElabVelociSeleziona::NoTerrClick);
    connect(AndD, &QPushButton::clicked, this, &TElabVelociSeleziona::AndDClick);
    connect(OrD, &QPushButton::clicked, this, &TElabVelociSeleziona::OrDClick);
    connect(NotD, &QPushButton::clicked, this, &TElabVelociSeleziona::NotDClick);
    connect(AndQ, &QPushButton::clicked, this, &TElabVelociSeleziona::AndQClick);
    connect(OrQ, &QPushButton::clicked, this, &TElabVelociSeleziona::OrQClick);
    connect(NotQ, &QPushButton::clicked, this, &TElabVelociSeleziona::NotQClick);
    connect(Cartina, &QPushButton::clicked, this, &TElabVelociSeleziona::CartinaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociSeleziona::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociSeleziona::Help2Click);
    FormCreate();
}

void TElabVelociSeleziona::FormCreate() {
    setWindowTitle(Qs(LoadText(723)));
    struct Texts {
        QWidget* control;
        int caption, hint;  // 0: none
    };
    const Texts texts[] = {
        {Attiva, 724, 725},      {Status1, 0, 726},      {Modalita, 0, 728},      {Variabile, 0, 727},
        {EffettuaAnd, 729, 730}, {EffettuaOr, 731, 732}, {EffettuaNot, 733, 734}, {SiglaTerr, 0, 735},
        {SiglaData, 0, 736},     {siglaQuant, 0, 737},   {Cartina, 738, 739},     {Territorio, 740, 741},
        {AndTerr, 742, 743},     {OrTerr, 744, 745},     {NoTerr, 746, 747},      {StatusTerr, 0, 748},
        {DataL1, 749, 0},        {Inizio, 0, 750},       {DataL2, 751, 0},        {fine, 0, 752},
        {AndD, 753, 754},        {OrD, 755, 756},        {NotD, 757, 758},        {QuantIni, 759, 0},
        {InizioQ, 0, 760},       {quantFine, 761, 0},    {FineQ, 0, 762},         {AndQ, 763, 764},
        {OrQ, 765, 766},         {NotQ, 767, 768},       {StatusQ, 0, 769},       {Esci, 770, 771},
        {Help2, 772, 773},
    };
    for (const Texts& t : texts) {
        if (t.caption) {
            const QString caption = Qs(LoadText(t.caption));
            if (auto* b = qobject_cast<QPushButton*>(t.control)) b->setText(caption);
            if (auto* l = qobject_cast<QLabel*>(t.control)) l->setText(caption);
        }
        if (t.hint) t.control->setToolTip(Qs(LoadText(t.hint)));
    }

    Modalita->clear();
    for (const std::string& label : QuickSelectionVariables()) Modalita->addItem(Qs(label));
    if (Modalita->count() > 0) Modalita->setCurrentRow(0);
    Variabile->clear();
    groupFirstLines_.clear();
    for (const QuickVariableGroup& group : QuickSelectionGroups()) {
        Variabile->addItem(Qs(group.Title));
        groupFirstLines_.push_back(group.FirstLine);
    }
    if (Variabile->count() > 0) Variabile->setCurrentIndex(0);

    siglaQuant->setText(Qs(PreparedLabel(data_file::kQuickQuantGrid, CoreState.PreparedQuantVar, 776)));
    SiglaData->setText(Qs(PreparedLabel(data_file::kQuickDateList, CoreState.PreparedDateVar, 778)));
    SiglaTerr->setText(
        Qs(PreparedLabel(data_file::kQuickTerritoryList, CoreState.PreparedTerritoryVar, 777)));

    const bool quantity = CoreState.PreparedQuantVar >= 1;
    for (QWidget* w : std::initializer_list<QWidget*>{QuantIni, InizioQ, quantFine, FineQ, AndQ, OrQ, NotQ})
        w->setEnabled(quantity);
    const bool date = CoreState.PreparedDateVar >= 1;
    for (QWidget* w : std::initializer_list<QWidget*>{DataL1, Inizio, DataL2, fine, AndD, OrD, NotD})
        w->setEnabled(date);
    const bool territory = CoreState.PreparedTerritoryVar >= 1;
    for (QWidget* w : std::initializer_list<QWidget*>{Territorio, AndTerr, OrTerr, NoTerr, Cartina})
        w->setEnabled(territory);
    if (!FileOpens(data_file::kTranslation)) Cartina->setEnabled(false);
}

void TElabVelociSeleziona::AttivaClick() {
    GuardedIo([this] {
        SelectAllCards();
        Status1->setText(Qs(LoadText(kAllSelectedText)));
    });
}

void TElabVelociSeleziona::VariabileChange() {
    const int g = Variabile->currentIndex();
    if (g < 0 || size_t(g) >= groupFirstLines_.size() || Modalita->count() == 0) return;
    const int last = Modalita->count() - 1;
    // Through the last item first, so that the group's first variable comes into view at the top.
    Modalita->setCurrentRow(last);
    Modalita->scrollToItem(Modalita->item(last));
    const std::optional<int> first = groupFirstLines_[size_t(g)];
    const int row = first && *first <= last ? *first : last;
    Modalita->setCurrentRow(row);
    Modalita->scrollToItem(Modalita->item(row), QAbstractItemView::PositionAtTop);
}

void TElabVelociSeleziona::ByVariable(SelectionOperation op) {
    const int v = Modalita->currentRow();
    if (v < 0) return;
    GuardedIo([&] {
        {
            WaitCursor wait;
            SelectByVariable(op, v, Cp(Modalita->item(v)->text()));
        }
        status2->setText(Qs(LoadText(kVariableDoneText + int(op) - 1)));
    });
}

void TElabVelociSeleziona::ByTerritory(SelectionOperation op) {
    GuardedIo([&] {
        const ValueStepOutcome outcome = [&] {
            WaitCursor wait;
            return SelectByTerritory(op, Cp(SiglaTerr->text()));
        }();
        StatusTerr->setText(Qs(LoadText(OutcomeText(kTerritoryOutcomeText, op, outcome))));
    });
}

void TElabVelociSeleziona::ByDate(SelectionOperation op) {
    GuardedIo([&] {
        const ValueStepOutcome outcome = [&] {
            WaitCursor wait;
            return SelectByDateRange(op, Cp(Inizio->text()), Cp(fine->text()), Cp(SiglaData->text()));
        }();
        StatusD->setText(Qs(LoadText(OutcomeText(kDateOutcomeText, op, outcome))));
    });
}

void TElabVelociSeleziona::ByQuantity(SelectionOperation op) {
    GuardedIo([&] {
        const ValueStepOutcome outcome = [&] {
            WaitCursor wait;
            return SelectByQuantityRange(op, Cp(InizioQ->text()), Cp(FineQ->text()), Cp(siglaQuant->text()));
        }();
        StatusQ->setText(Qs(LoadText(OutcomeText(kQuantityOutcomeText, op, outcome))));
    });
}

void TElabVelociSeleziona::EffettuaAndClick() {
    ByVariable(SelectionOperation::And);
}
void TElabVelociSeleziona::EffettuaOrClick() {
    ByVariable(SelectionOperation::Or);
}
void TElabVelociSeleziona::EffettuaNotClick() {
    ByVariable(SelectionOperation::AndNot);
}
void TElabVelociSeleziona::AndTerrClick() {
    ByTerritory(SelectionOperation::And);
}
void TElabVelociSeleziona::OrTerrClick() {
    ByTerritory(SelectionOperation::Or);
}
void TElabVelociSeleziona::NoTerrClick() {
    ByTerritory(SelectionOperation::AndNot);
}
void TElabVelociSeleziona::AndDClick() {
    ByDate(SelectionOperation::And);
}
void TElabVelociSeleziona::OrDClick() {
    ByDate(SelectionOperation::Or);
}
void TElabVelociSeleziona::NotDClick() {
    ByDate(SelectionOperation::AndNot);
}
void TElabVelociSeleziona::AndQClick() {
    ByQuantity(SelectionOperation::And);
}
void TElabVelociSeleziona::OrQClick() {
    ByQuantity(SelectionOperation::Or);
}
void TElabVelociSeleziona::NotQClick() {
    ByQuantity(SelectionOperation::AndNot);
}

void TElabVelociSeleziona::TerritorioClick() {
    // Mode 4: the territory dialog keeps and edits the marks already made.
    CoreState.CommandCode = 0;
    CoreState.CardWindowMode = kPointerMode;
    OpenQuickCommand(QuickCommand::ManualTerritory, this);
}

void TElabVelociSeleziona::CartinaClick() {
    CoreState.ProceedFlag = 1;
    OpenQuickCommand(QuickCommand::Map, this);
    CoreState.ProceedFlag = 0;
}

void TElabVelociSeleziona::EsciClick() {
    accept();
}

void TElabVelociSeleziona::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenQuickSelection(QWidget* owner) {
    TElabVelociSeleziona dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
