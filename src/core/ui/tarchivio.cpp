#include "core/ui/tarchivio.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/archive_list.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 21;
constexpr int kMissingArchiveText = 1561;

QLineEdit* ReadOnlyBox(QWidget* owner, const char* name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

}  // namespace

TArchivio::TArchivio(QWidget* owner) : QDialog(owner) {
    setObjectName("TArchivio");
    Archivi = new QListWidget(this);
    Archivi->setObjectName("Archivi");
    Archivi->setFont(QFont(QStringLiteral("Courier New")));  // names are blank-padded columns
    Archivi->installEventFilter(this);
    indirizzo = ReadOnlyBox(this, "indirizzo");
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Alf = ReadOnlyBox(this, "Alf");
    Num = ReadOnlyBox(this, "Num");
    Esci = NamedButton(this, "Esci");
    Help2 = NamedButton(this, "Help2");

    auto* grid = new QGridLayout;
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(indirizzo, 0, 1, 1, 2);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(Alf, 1, 1);
    grid->addWidget(Num, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Esci);
    buttons->addWidget(Help2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Archivi);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(Archivi, &QListWidget::itemDoubleClicked, this, [this] { ArchiviDblClick(); });
    connect(Esci, &QPushButton::clicked, this, &TArchivio::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TArchivio::Help2Click);

    resize(460, 360);
    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TArchivio::FormCreate() {
    setWindowTitle(Qs(LoadText(179)));
    Archivi->setToolTip(Qs(LoadText(180)));
    indirizzo->setToolTip(Qs(LoadText(181)));
    Label1->setText(Qs(LoadText(182)));
    Label2->setText(Qs(LoadText(183)));
    Label3->setText(Qs(LoadText(184)));
    Alf->setToolTip(Qs(LoadText(185)));
    Num->setToolTip(Qs(LoadText(186)));
    Esci->setText(Qs(LoadText(187)));
    Esci->setToolTip(Qs(LoadText(188)));
    Help2->setText(Qs(LoadText(189)));
    Help2->setToolTip(Qs(LoadText(190)));

    const std::optional<std::vector<std::string>> names = FillArchiveList();
    if (!names) return;
    Archivi->clear();
    for (const std::string& name : *names) Archivi->addItem(Qs(name));
    // The whole directory: the box scrolls rather than hiding its end.
    indirizzo->setText(QPath(CoreState.ArchiveDir));
    Num->setText(QString::number(CoreState.CardWordCount));
    Alf->setText(QString::number(CoreState.CardTextBytes));
}

void TArchivio::ChooseHighlighted() {
    try {
        const ArchiveChoice choice = ChooseArchive(Archivi->currentRow());
        if (choice == ArchiveChoice::Missing) ShowError(LoadText(kMissingArchiveText));
        if (choice == ArchiveChoice::Changed) {
            changed_ = true;
            accept();
        }
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TArchivio::ArchiviDblClick() {
    ChooseHighlighted();
}

void TArchivio::ArchiviKeyDown(int /*key*/) {
    ChooseHighlighted();
}

bool TArchivio::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Archivi && event->type() == QEvent::KeyPress) {
        ArchiviKeyDown(static_cast<QKeyEvent*>(event)->key());
        if (changed_) return true;  // the dialog is closing: the key has done its work
    }
    return QDialog::eventFilter(watched, event);
}

void TArchivio::EsciClick() {
    reject();
}

void TArchivio::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

}  // namespace qv
