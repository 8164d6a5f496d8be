#include "quick/ui/telabvelociprepara.h"

#include <QComboBox>
#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/preparation.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kHelpPage = 43;
constexpr int kNoVariableText = 700;
constexpr int kGridTooLongText = 2351;

// The "no variable" item, then the labels of the list; false when the list does not open.
bool FillVariableCombo(QComboBox* combo, int listId) {
    combo->clear();
    combo->addItem(Qs(LoadText(kNoVariableText)));
    const std::optional<std::vector<QuickVariable>> list = ReadQuickVariableList(listId);
    if (!list) return false;
    for (const QuickVariable& v : *list) combo->addItem(Qs(v.Label));
    return true;
}

// A prepared value file of `kind` from the combo's chosen item, with the wait cursor.
void PrepareValues(PerCardValueKind kind, QComboBox* combo, QProgressBar* bar) {
    GuardedIo([&] {
        WaitCursor wait;
        BarProgress progress(bar);
        PreparePerCardValues(kind, combo->currentIndex(), progress);
    });
}

}  // namespace

TElabVelociPrepara::TElabVelociPrepara(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociPrepara");
    Matrice = NamedButton(this, "Matrice");
    VariabiliAggiunte = NamedButton(this, "VariabiliAggiunte");
    Quantitativa = NamedButton(this, "Quantitativa");
    vQuant = NamedCombo(this, "vQuant");
    Territorio = NamedButton(this, "Territorio");
    VarTerritoriale = NamedCombo(this, "VarTerritoriale");
    PreparaData = NamedButton(this, "PreparaData");
    VarData = NamedCombo(this, "VarData");
    Link = NamedButton(this, "Link");
    varLink = NamedCombo(this, "varLink");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");
    Barra = IdleProgressBar(this, "Barra");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Matrice, 0, 0);
    grid->addWidget(VariabiliAggiunte, 0, 1);
    grid->addWidget(Quantitativa, 1, 0);
    grid->addWidget(vQuant, 1, 1);
    grid->addWidget(Territorio, 2, 0);
    grid->addWidget(VarTerritoriale, 2, 1);
    grid->addWidget(PreparaData, 3, 0);
    grid->addWidget(VarData, 3, 1);
    grid->addWidget(Link, 4, 0);
    grid->addWidget(varLink, 4, 1);
    grid->addWidget(Barra, 5, 0, 1, 2);
    grid->addWidget(Esci, 6, 0);
    grid->addWidget(Help2, 6, 1);

    connect(Matrice, &QPushButton::clicked, this, &TElabVelociPrepara::MatriceClick);
    connect(VariabiliAggiunte, &QPushButton::clicked, this, &TElabVelociPrepara::VariabiliAggiunteClick);
    connect(Quantitativa, &QPushButton::clicked, this, &TElabVelociPrepara::QuantitativaClick);
    connect(Territorio, &QPushButton::clicked, this, &TElabVelociPrepara::TerritorioClick);
    connect(PreparaData, &QPushButton::clicked, this, &TElabVelociPrepara::PreparaDataClick);
    connect(Link, &QPushButton::clicked, this, &TElabVelociPrepara::LinkClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociPrepara::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociPrepara::Help2Click);
    FormCreate();
}

void TElabVelociPrepara::FormCreate() {
    setWindowTitle(Qs(LoadText(684)));
    SetButtonTexts({{Matrice, 685, 686},
                    {VariabiliAggiunte, 687, 0},
                    {Quantitativa, 688, 689},
                    {Territorio, 690, 691},
                    {PreparaData, 692, 693},
                    {Link, 694, 695},
                    {Esci, 696, 697},
                    {Help2, 698, 699}});

    struct Choice {
        QComboBox* combo;
        QPushButton* button;
        int listId;
        int& stored;
    };
    for (const Choice& c :
         {Choice{vQuant, Quantitativa, data_file::kQuickQuantGrid, CoreState.PreparedQuantVar},
          Choice{VarTerritoriale, Territorio, data_file::kQuickTerritoryList, CoreState.PreparedTerritoryVar},
          Choice{VarData, PreparaData, data_file::kQuickDateList, CoreState.PreparedDateVar}}) {
        if (!FillVariableCombo(c.combo, c.listId)) {
            c.stored = 0;
            c.button->setEnabled(false);
        }
        c.combo->setCurrentIndex(c.stored >= 0 && c.stored < c.combo->count() ? c.stored : 0);
    }

    varLink->clear();
    const std::optional<std::vector<LinkBlock>> blocks = ReadLinkDefinitions();
    if (!blocks) {
        varLink->addItem(Qs(LoadText(kNoVariableText)));
        CoreState.LinkChoice1 = 0;
        CoreState.LinkChoice2 = 0;
        Link->setEnabled(false);
    } else {
        for (const LinkBlock& b : *blocks)
            if (LinkValueSet(b.Values[1])) varLink->addItem(Qs(b.Values[1]));
    }
    varLink->setCurrentIndex(0);
}

void TElabVelociPrepara::MatriceClick() {
    GuardedIo([this] {
        WaitCursor wait;
        BarProgress progress(Barra);
        if (BuildDichotomousMatrix(progress) == MatrixOutcome::Done) {
            vQuant->setCurrentIndex(0);
            VarTerritoriale->setCurrentIndex(0);
            VarData->setCurrentIndex(0);
        } else {
            // The matrix of before stays in use: the user must know it was not replaced.
            HourglassOff();
            ShowError(LoadText(kGridTooLongText));
        }
    });
}

void TElabVelociPrepara::VariabiliAggiunteClick() {
    OpenAdditionalVariablesDialog(this);
}

void TElabVelociPrepara::QuantitativaClick() {
    PrepareValues(PerCardValueKind::Quantity, vQuant, Barra);
}

void TElabVelociPrepara::TerritorioClick() {
    PrepareValues(PerCardValueKind::Territory, VarTerritoriale, Barra);
}

void TElabVelociPrepara::PreparaDataClick() {
    PrepareValues(PerCardValueKind::Date, VarData, Barra);
}

void TElabVelociPrepara::LinkClick() {
    GuardedIo([this] {
        WaitCursor wait;
        BarProgress progress(Barra);
        BuildLinkFiles(progress);
    });
}

void TElabVelociPrepara::EsciClick() {
    accept();
}

void TElabVelociPrepara::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

}  // namespace qv
