#include "quick/ui/telabvelocigriglia.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/quick_grids.h"
#include "quick/ui/quick_forms.h"

namespace qv {

namespace {

constexpr int kHelpPage = 40;

}  // namespace

TElabVelociGriglia::TElabVelociGriglia(QWidget* owner) : QDialog(owner) {
    setObjectName("TElabVelociGriglia");
    setWindowTitle(Qs(LoadText(591)));
    auto label = [this](QLabel*& l, const char* name, int caption, int hint) {
        l = new QLabel(Qs(LoadText(caption)), this);
        l->setObjectName(name);
        l->setToolTip(Qs(LoadText(hint)));
    };
    auto button = [this](QPushButton*& b, const char* name, int caption, int hint) {
        b = new QPushButton(Qs(LoadText(caption)), this);
        b->setObjectName(name);
        if (hint) b->setToolTip(Qs(LoadText(hint)));
        b->setAutoDefault(false);
    };
    auto box = [this](QLineEdit*& e, const char* name) {
        e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(true);
    };
    label(Label1, "Label1", 592, 593);
    button(Copia, "Copia", 594, 595);
    box(status, "status");
    button(Modifica, "Modifica", 596, 597);
    button(Diagnostica, "Diagnostica", 598, 599);
    button(righe, "righe", 600, 0);
    button(Intesta, "Intesta", 601, 602);
    button(Controlla, "Controlla", 603, 604);
    label(Label2, "Label2", 605, 606);
    button(ModificaGrigliaQuantitativa, "ModificaGrigliaQuantitativa", 607, 608);
    label(Label3, "Label3", 609, 610);
    button(CreaTerritorio, "CreaTerritorio", 611, 612);
    box(StatusT, "StatusT");
    button(Territorio, "Territorio", 613, 614);
    label(Label4, "Label4", 615, 616);
    button(CreaData, "CreaData", 617, 618);
    box(StatusD, "StatusD");
    button(ModificaData, "ModificaData", 619, 620);
    label(Label5, "Label5", 621, 622);
    button(CreaLink, "CreaLink", 623, 624);
    box(StatusK, "StatusK");
    button(ModificaK, "ModificaK", 625, 626);
    button(Esci, "Esci", 627, 628);
    button(Help2, "Help2", 629, 630);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(Copia, 1, 0);
    grid->addWidget(status, 1, 1, 1, 3);
    grid->addWidget(Modifica, 2, 0);
    grid->addWidget(Diagnostica, 2, 1);
    grid->addWidget(righe, 2, 2);
    grid->addWidget(Intesta, 3, 0);
    grid->addWidget(Controlla, 3, 1);
    grid->addWidget(Label2, 4, 0, 1, 4);
    grid->addWidget(ModificaGrigliaQuantitativa, 5, 0);
    grid->addWidget(Label3, 6, 0, 1, 4);
    grid->addWidget(CreaTerritorio, 7, 0);
    grid->addWidget(StatusT, 7, 1);
    grid->addWidget(Territorio, 7, 2);
    grid->addWidget(Label4, 8, 0, 1, 4);
    grid->addWidget(CreaData, 9, 0);
    grid->addWidget(StatusD, 9, 1);
    grid->addWidget(ModificaData, 9, 2);
    grid->addWidget(Label5, 10, 0, 1, 4);
    grid->addWidget(CreaLink, 11, 0);
    grid->addWidget(StatusK, 11, 1);
    grid->addWidget(ModificaK, 11, 2);
    grid->addWidget(Esci, 12, 0);
    grid->addWidget(Help2, 12, 3);

    connect(Copia, &QPushButton::clicked, this, &TElabVelociGriglia::CopiaClick);
    connect(Modifica, &QPushButton::clicked, this, &TElabVelociGriglia::ModificaClick);
    connect(Diagnostica, &QPushButton::clicked, this, &TElabVelociGriglia::DiagnosticaClick);
    connect(righe, &QPushButton::clicked, this, &TElabVelociGriglia::righeClick);
    connect(Intesta, &QPushButton::clicked, this, &TElabVelociGriglia::IntestaClick);
    connect(Controlla, &QPushButton::clicked, this, &TElabVelociGriglia::ControllaClick);
    connect(ModificaGrigliaQuantitativa, &QPushButton::clicked, this,
            &TElabVelociGriglia::ModificaGrigliaQuantitativaClick);
    connect(CreaTerritorio, &QPushButton::clicked, this, &TElabVelociGriglia::CreaTerritorioClick);
    connect(Territorio, &QPushButton::clicked, this, &TElabVelociGriglia::TerritorioClick);
    connect(CreaData, &QPushButton::clicked, this, &TElabVelociGriglia::CreaDataClick);
    connect(ModificaData, &QPushButton::clicked, this, &TElabVelociGriglia::ModificaDataClick);
    connect(CreaLink, &QPushButton::clicked, this, &TElabVelociGriglia::CreaLinkClick);
    connect(ModificaK, &QPushButton::clicked, this, &TElabVelociGriglia::ModificaKClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociGriglia::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociGriglia::Help2Click);
}

void TElabVelociGriglia::CopiaClick() {
    GuardedIo([this] {
        const QuickGridCopy copy =
            CopyGridsToQuickSet([this] { return ConfirmGridReplacement(this, kQuickGridPass); });
        if (copy.Done) status->setText(Qs(QuickGridCopyStatus(copy)));
    });
}

void TElabVelociGriglia::ModificaClick() {
    ShowTextViewer(this, ViewerFile::QuickGrid);
}

void TElabVelociGriglia::DiagnosticaClick() {
    GuardedIo([this] {
        {
            WaitCursor wait;
            WriteGridDiagnostics();
        }
        ShowTextViewer(this, ViewerFile::GridCheck);
    });
}

void TElabVelociGriglia::righeClick() {
    GuardedIo([this] {
        WriteNumberedGrid();
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TElabVelociGriglia::IntestaClick() {
    ShowTextViewer(this, ViewerFile::QuickHeadings);
}

void TElabVelociGriglia::ControllaClick() {
    GuardedIo([this] {
        WriteGridWithHeadings();
        ShowTextViewer(this, ViewerFile::QuickGridWithHeadings);
    });
}

void TElabVelociGriglia::ModificaGrigliaQuantitativaClick() {
    ShowTextViewer(this, ViewerFile::QuickQuantGrid);
}

void TElabVelociGriglia::CreaTerritorioClick() {
    GuardedIo([this] {
        WriteTerritorialVariableList();
        StatusT->setText("Ok");
    });
}

void TElabVelociGriglia::TerritorioClick() {
    ShowTextViewer(this, ViewerFile::QuickTerritoryList);
}

void TElabVelociGriglia::CreaDataClick() {
    GuardedIo([this] {
        WriteDateVariableList();
        StatusD->setText("Ok");
    });
}

void TElabVelociGriglia::ModificaDataClick() {
    ShowTextViewer(this, ViewerFile::QuickDateList);
}

void TElabVelociGriglia::CreaLinkClick() {
    GuardedIo([this] {
        constexpr int kReplaceLinksText = 1693;
        if (WriteLinkTemplate([] { return AskYesNo(LoadText(kReplaceLinksText)); })) StatusK->setText("Ok");
    });
}

void TElabVelociGriglia::ModificaKClick() {
    ShowTextViewer(this, ViewerFile::LinkDefinitions);
}

void TElabVelociGriglia::EsciClick() {
    accept();
}

void TElabVelociGriglia::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

}  // namespace qv
