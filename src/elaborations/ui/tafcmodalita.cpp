#include "elaborations/ui/tafcmodalita.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/factor_categories.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 19;

FactorRoad Road() {
    return CoreState.ElaborationMode == 2 ? FactorRoad::Quick : FactorRoad::Standard;
}

}  // namespace

TAfcModalita::TAfcModalita(QWidget* owner) : GridPicker(owner, "TAfcModalita") {
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Esci = NamedButton(this, "Esci");
    Disattiva = NamedButton(this, "Disattiva");
    Attiva = NamedButton(this, "Attiva");
    Correla = NamedButton(this, "Correla");
    Salva = NamedButton(this, "Salva");
    Recupera = NamedButton(this, "Recupera");
    Help2 = NamedButton(this, "Help2");

    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 7, 1);
    layout->addWidget(Variabile, 0, 1);
    layout->addWidget(Label1, 1, 1);
    layout->addWidget(nRighe, 2, 1);
    layout->addWidget(Attiva, 3, 1);
    layout->addWidget(Disattiva, 4, 1);
    layout->addWidget(Correla, 5, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {Salva, Recupera, Esci, Help2}) row->addWidget(b);
    layout->addLayout(row, 7, 0, 1, 2);

    connect(Variabile, qOverload<int>(&QComboBox::activated), this, &TAfcModalita::VariabileClick);
    connect(Esci, &QPushButton::clicked, this, &TAfcModalita::EsciClick);
    connect(Disattiva, &QPushButton::clicked, this, &TAfcModalita::DisattivaClick);
    connect(Attiva, &QPushButton::clicked, this, &TAfcModalita::AttivaClick);
    connect(Correla, &QPushButton::clicked, this, &TAfcModalita::CorrelaClick);
    connect(Salva, &QPushButton::clicked, this, &TAfcModalita::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TAfcModalita::RecuperaClick);
    connect(Help2, &QPushButton::clicked, this, &TAfcModalita::Help2Click);
    FormCreate();
}

void TAfcModalita::FormCreate() {
    setWindowTitle(Qs(LoadText(167)));
    Label1->setText(Qs(LoadText(149)));
    nRighe->setToolTip(Qs(LoadText(157)));
    Variabile->setToolTip(Qs(LoadText(158)));
    modalita->setToolTip(Qs(LoadText(159)));
    struct Texts {
        QPushButton* button;
        int caption;
    };
    for (const Texts& t : {Texts{Esci, 150}, Texts{Disattiva, 151}, Texts{Attiva, 152}, Texts{Correla, 153},
                           Texts{Salva, 154}, Texts{Recupera, 155}, Texts{Help2, 156}}) {
        t.button->setText(Qs(LoadText(t.caption)));
        t.button->setToolTip(Qs(LoadText(t.caption + 10)));
    }
    helpPage_ = kHelpPage;
    const bool quick = Road() == FactorRoad::Quick;
    Fill(AfcFlags(Road()), DataFilePath(quick ? data_file::kQuickGrid : data_file::kGrid),
         quick ? DataFilePath(data_file::kAdditionalVariables) : std::string(),
         DataFilePath(quick ? data_file::kQuickHeadings : data_file::kHeadings));
    lastLine_ = modalita->count() - 1;
    if (Variabile->count() > 0) Variabile->setCurrentIndex(0);
}

void TAfcModalita::VariabileClick() {
    ScrollToVariable();
}

void TAfcModalita::AttivaClick() {
    ChooseAllAfc(Flags(), lastLine_);
    ShowFlags();
}

std::string TAfcModalita::AskPath(bool save, const char* filter) const {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::Save : FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.filter = filter;
    return AskFileName(request);
}

void TAfcModalita::SalvaClick() {
    const std::string path = AskPath(true, "*.raf");
    if (path.empty()) return;
    try {
        SaveAfcRunList(path, Flags(), lastLine_);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TAfcModalita::RecuperaClick() {
    const std::string path = AskPath(false, "*.raf");
    if (path.empty()) return;
    try {
        LoadAfcRunList(path, Flags(), lastLine_);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    // The list was cleared before the file was read: show what is left.
    ShowFlags();
}

void TAfcModalita::CorrelaClick() {
    const std::string path = AskPath(false, "*.TXT");
    if (path.empty()) return;
    ReadConnectionsFile(path, Flags(), lastLine_);
    ShowFlags();
}

void OpenAfcCategoryPicker(QWidget* owner) {
    TAfcModalita picker(owner);
    ShowModal(picker);
}

}  // namespace qv
