#include "elaborations/ui/tnogriglia.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
constexpr int kHelpPage = 60;
}  // namespace

bool FileOpens(int fileId) {
    const std::string path = ResolveExisting(DataFilePath(fileId));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

TNoGriglia::TNoGriglia(QWidget* owner) : QDialog(owner) {
    setObjectName("TNoGriglia");
    Dicotomiche = new QCheckBox(this);
    Dicotomiche->setObjectName("Dicotomiche");
    Quantitativa = new QCheckBox(this);
    Quantitativa->setObjectName("Quantitativa");
    for (QCheckBox* box : {Dicotomiche, Quantitativa}) {
        // They tell, they do not ask.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
    }
    Esci = new QPushButton(this);
    Esci->setObjectName("Esci");
    Help2 = new QPushButton(this);
    Help2->setObjectName("Help2");
    Help2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Esci);
    buttons->addWidget(Help2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Dicotomiche);
    layout->addWidget(Quantitativa);
    layout->addLayout(buttons);

    connect(Esci, &QPushButton::clicked, this, &TNoGriglia::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TNoGriglia::Help2Click);
    FormCreate();
}

void TNoGriglia::FormCreate() {
    setWindowTitle(Qs(LoadText(1043)));
    Dicotomiche->setText(Qs(LoadText(1044)));
    Dicotomiche->setToolTip(Qs(LoadText(1045)));
    Quantitativa->setText(Qs(LoadText(1046)));
    Quantitativa->setToolTip(Qs(LoadText(1047)));
    Esci->setText(Qs(LoadText(1048)));
    Esci->setToolTip(Qs(LoadText(1049)));
    Help2->setText(Qs(LoadText(1050)));
    Help2->setToolTip(Qs(LoadText(1051)));
    const bool quick = CoreState.ElaborationMode == 2;
    // The quick hub asks for the standard grid, the quick analyses for its copy: either missing
    // is a missing grid.
    Dicotomiche->setChecked(!FileOpens(data_file::kGrid) || (quick && !FileOpens(data_file::kQuickGrid)));
    Quantitativa->setChecked(!FileOpens(quick ? data_file::kQuickQuantGrid : data_file::kQuantGrid));
}

void TNoGriglia::EsciClick() {
    accept();
}

void TNoGriglia::Help2Click() {
    OpenHelpPage(this, kHelpPage);
}

void ShowMissingGridNotice(QWidget* owner) {
    TNoGriglia notice(owner);
    ShowModal(notice);
}

}  // namespace qv
