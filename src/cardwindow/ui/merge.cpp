#include "cardwindow/ui/merge.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "cardwindow/archive_merge.h"
#include "core/core_state.h"
#include "core/text_tables.h"
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
constexpr int kListSelector = -10;
constexpr int kReportSelector = -11;

class BarProgress : public Progress {
  public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void SetMaximum(int maximum) override { bar_->setRange(0, std::max(1, maximum)); }
    void SetPosition(int position) override { bar_->setValue(position); }

  private:
    QProgressBar* bar_;
};

QPushButton* Button(QWidget* owner, const char* name) {
    auto* b = new QPushButton(owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TMerge::TMerge(QWidget* owner) : QDialog(owner) {
    setObjectName("TMerge");
    Lista = Button(this, "Lista");
    Esegui = Button(this, "Esegui");
    Esci = Button(this, "Esci");
    Help2 = Button(this, "Help2");
    Barra = new QProgressBar(this);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 1);
    Barra->setValue(0);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Lista);
    buttons->addWidget(Esegui);
    buttons->addWidget(Esci);
    buttons->addWidget(Help2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Barra);
    layout->addLayout(buttons);

    connect(Lista, &QPushButton::clicked, this, &TMerge::ListaClick);
    connect(Esegui, &QPushButton::clicked, this, &TMerge::EseguiClick);
    connect(Esci, &QPushButton::clicked, this, &TMerge::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TMerge::Help2Click);
    FormCreate();
}

void TMerge::FormCreate() {
    setWindowTitle(Qs(LoadText(1453)));
    Lista->setText(Qs(LoadText(1454)));
    Lista->setToolTip(Qs(LoadText(1455)));
    Barra->setToolTip(Qs(LoadText(1456)));
    Esci->setText(Qs(LoadText(1457)));
    Esci->setToolTip(Qs(LoadText(1458)));
    Esegui->setText(Qs(LoadText(1459)));
    Esegui->setToolTip(Qs(LoadText(1460)));
    Help2->setText(Qs(LoadText(1461)));
    Help2->setToolTip(Qs(LoadText(1462)));
}

void TMerge::ListaClick() {
    ShowTextViewer(this, kListSelector);
}

void TMerge::EseguiClick() {
    MergeCheck check;
    try {
        check = CheckMergeList();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    if (!check.sound) {
        ShowTextViewer(this, kReportSelector);
        return;
    }
    Barra->setRange(0, std::max<int>(1, int(check.directories.size())));
    directories_ = std::move(check.directories);
    FaiClick();
}

void TMerge::FaiClick() {
    BarProgress progress(Barra);
    HourglassOn();
    try {
        MergeArchives(directories_, progress);
    } catch (const IoError& e) {
        HourglassOff();
        Barra->setValue(0);
        ShowIoError(e);
        return;
    }
    HourglassOff();
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
