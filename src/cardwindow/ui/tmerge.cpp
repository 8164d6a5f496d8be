#include "cardwindow/ui/tmerge.h"

#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "cardwindow/archive_merge.h"
#include "cardwindow/ui/card_jobs.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {
namespace {

constexpr int kHelpPage = 59;

}  // namespace

TMerge::TMerge(QWidget* owner) : QDialog(owner) {
    setObjectName("TMerge");
    FormCreate();
}

void TMerge::FormCreate() {
    setWindowTitle(Qs(LoadText(1453)));
    Lista = TextButton(this, "Lista", 1454, 1455);
    Barra = IdleProgressBar(this, "Barra");
    Barra->setToolTip(Qs(LoadText(1456)));
    Esci = TextButton(this, "Esci", 1457, 1458);
    Esegui = TextButton(this, "Esegui", 1459, 1460);
    Help2 = TextButton(this, "Help2", 1461, 1462);

    StackAboveButtons(this, {Barra}, {Lista, Esegui, Esci, Help2});

    connect(Lista, &QPushButton::clicked, this, &TMerge::ListaClick);
    connect(Esegui, &QPushButton::clicked, this, &TMerge::EseguiClick);
    connect(Esci, &QPushButton::clicked, this, &TMerge::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TMerge::Help2Click);
}

void TMerge::ListaClick() {
    ShowTextViewer(this, ViewerFile::MergeList);
}

void TMerge::EseguiClick() {
    if (RefusedWithoutWriteAccess()) return;
    MergeCheck check;
    try {
        check = CheckMergeList();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    if (!check.sound) {
        ShowTextViewer(this, ViewerFile::MergeListErrors);
        return;
    }
    Barra->setRange(0, std::max<int>(1, int(check.directories.size())));
    directories_ = std::move(check.directories);
    FaiClick();
}

void TMerge::FaiClick() {
    BarProgress progress(Barra);
    try {
        WaitCursor wait;
        MergeArchives(directories_, progress);
    } catch (const IoError& e) {
        Barra->setValue(0);
        ShowIoError(e);
    }
}

void TMerge::EsciClick() {
    accept();
}

void TMerge::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenMerge(QWidget* owner) {
    TMerge dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
