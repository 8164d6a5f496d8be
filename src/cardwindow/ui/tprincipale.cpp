#include "cardwindow/ui/tprincipale.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include "cardwindow/tool_buttons.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tpassword.h"
#include "core/archive_open.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

TPrincipale::TPrincipale(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TPrincipale");
    SetMainWindowWidget(this);
    BuildMenu();
    CardArea = new CardCanvas(this);
    CardArea->setObjectName("CardArea");
    CardArea->setFocusPolicy(Qt::StrongFocus);
    CardArea->installEventFilter(this);
    setCentralWidget(CardArea);
    setFocusProxy(CardArea);
    CardArea->setFocus();
    BuildToolBar();
    EntryStatus = new QLabel(this);
    EntryStatus->setObjectName("EntryStatus");
    // Two lines, so that a refusal naming the field's values is read whole on a narrow card.
    EntryStatus->setWordWrap(true);
    EntryStatus->setMinimumHeight(2 * EntryStatus->fontMetrics().lineSpacing() + 2);
    EntryStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusBar()->addWidget(EntryStatus, 1);
    painter_ = std::make_unique<CardPainter>(
        *this, *CardArea, std::array<QToolButton*, 11>{nullptr, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10},
        CardLogo);
    ConnectCommands();
}

void TPrincipale::BuildToolBar() {
    ToolBar1 = new QWidget(CardArea);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setAutoFillBackground(true);
    ToolBar1->setBackgroundRole(QPalette::Button);
    QFont small(QString::fromLatin1(kCardFontFamily));
    small.setPixelSize(10);
    ToolBar1->setFont(small);
    QToolButton** buttons[] = {&b1, &b2, &b3, &b4, &b5, &b6, &b7, &b8, &b9, &b10};
    for (int k = 0; k < kToolButtonCount; ++k) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QStringLiteral("b%1").arg(k + 1));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(0, 0, 23, kToolButtonHeight);
        *buttons[k] = b;
    }
    ToolBar2 = new QWidget(CardArea);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setAutoFillBackground(true);
    ToolBar2->setBackgroundRole(QPalette::Button);
    Barra = new QProgressBar(ToolBar2);
    Barra->setObjectName("Barra");
    Barra->setTextVisible(false);
    ToolBar2->hide();
}

TPrincipale::~TPrincipale() {
    if (MainWindowWidget() == this) SetMainWindowWidget(nullptr);
}

void TPrincipale::BuildMenu() {
    auto item = [this](QMenu* menu, QAction*& action, const char* name) {
        action = menu ? menu->addAction(QString()) : menuBar()->addAction(QString());
        action->setObjectName(name);
    };
    QMenuBar* bar = menuBar();
    Schede1 = bar->addMenu(QString());
    Schede1->setObjectName("Schede1");
    item(Schede1, ApriArchivio, "ApriArchivio");
    item(Schede1, Archivio1, "Archivio1");
    Schede1->addSeparator();
    item(Schede1, Inserimentomodifica1, "Inserimentomodifica1");
    Inserimentomodifica1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    item(Schede1, Ricercadischede1, "Ricercadischede1");
    Ricercadischede1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    item(Schede1, AttribuzioneAutomatica, "AttribuzioneAutomatica");
    Schede1->addSeparator();
    item(Schede1, Range, "Range");
    item(Schede1, Indicatori, "Indicatori");
    item(Schede1, RiordinaListe, "RiordinaListe");
    Schede1->addSeparator();
    item(Schede1, Merge, "Merge");
    item(Schede1, Input, "Input");
    item(Schede1, Output, "Output");
    Schede1->addSeparator();
    item(Schede1, Edit, "Edit");
    item(Schede1, Configura, "Configura");

    Elaborazioni1 = bar->addMenu(QString());
    Elaborazioni1->setObjectName("Elaborazioni1");
    item(Elaborazioni1, Selezionedelleschede1, "Selezionedelleschede1");
    item(Elaborazioni1, Listaleschedeselezionate1, "Listaleschedeselezionate1");
    item(Elaborazioni1, InvioEmail, "InvioEmail");
    Elaborazioni1->addSeparator();
    item(Elaborazioni1, Elab1, "Elab1");
    item(Elaborazioni1, ElaborazioniVeloci1, "ElaborazioniVeloci1");

    item(nullptr, Lista1, "Lista1");

    Informazioni1 = bar->addMenu(QString());
    Informazioni1->setObjectName("Informazioni1");
    item(Informazioni1, AboutItem, "AboutItem");

    Esci1 = bar->addMenu(QString());
    Esci1->setObjectName("Esci1");
    item(Esci1, Esci2, "Esci2");
    Esci2->setShortcut(QKeySequence(Qt::Key_Escape));
    Esci2->setShortcutContext(Qt::WindowShortcut);
    connect(Esci2, &QAction::triggered, this, &TPrincipale::Esci2Click);

    item(nullptr, Help1, "Help1");
}

void TPrincipale::FormCreate() {
    struct Caption {
        int text;
        QAction* action;
        QMenu* menu;
    };
    const Caption captions[] = {
        {1, nullptr, Schede1},
        {2, ApriArchivio, nullptr},
        {3, Archivio1, nullptr},
        {4, Inserimentomodifica1, nullptr},
        {5, Ricercadischede1, nullptr},
        {6, AttribuzioneAutomatica, nullptr},
        {7, Range, nullptr},
        {8, Indicatori, nullptr},
        {9, RiordinaListe, nullptr},
        {10, Merge, nullptr},
        {11, Input, nullptr},
        {12, Output, nullptr},
        {13, Edit, nullptr},
        {14, Configura, nullptr},
        {15, nullptr, Elaborazioni1},
        {16, Selezionedelleschede1, nullptr},
        {17, Listaleschedeselezionate1, nullptr},
        {18, InvioEmail, nullptr},
        {19, Elab1, nullptr},
        {20, ElaborazioniVeloci1, nullptr},
        {21, Lista1, nullptr},
        {22, nullptr, Informazioni1},
        {24, AboutItem, nullptr},
        {25, nullptr, Esci1},
        {26, Esci2, nullptr},
        {27, Help1, nullptr},
    };
    for (const Caption& c : captions) {
        const QString text = Qs(LoadText(c.text));
        if (c.action) c.action->setText(text);
        if (c.menu) c.menu->setTitle(text);
    }
    setWindowTitle(QStringLiteral("Quorvanta-TV"));

    Archivio1->setEnabled(TryReadFile(DataFilePath(data_file::kArchiveList)).has_value());
    ApplyArchiveToWindow();

    TPassWord password(this);
    ShowModal(password);

    // The first paint: mode 1 with the blank new card. A file error is reported here, once.
    try {
        VisualizzaClick();
    } catch (const IoError& e) {
        ReportIoError(e);
    }
    // The release of the key that completed the password, and an Enter a person presses out of
    // habit, belong to the password and not to the card; any other command ends this.
    passwordKeysPending_ = CoreState.WriteAccess != 0;
}

void TPrincipale::ApplyArchiveToWindow() {
    Lista1->setEnabled(CoreState.ListReady != 0);
    CardArea->setFixedSize(CoreState.PageWidth, CoreState.PageHeight);
    ToolBar1->setGeometry(0, 0, CoreState.PageWidth, kToolButtonHeight);
    ToolBar2->setGeometry(ToolBar1->geometry());
    Barra->setGeometry(0, 0, CoreState.PageWidth, kToolButtonHeight);
    adjustSize();
    CardLogo = QImage();
    CoreState.LogoPresent = 0;
    const std::string logo = ResolveExisting(DataFilePath(data_file::kLogo));
    if (FileExists(logo) && CardLogo.load(QString::fromLocal8Bit(logo.c_str()))) CoreState.LogoPresent = 1;
    if (const std::string warning = TakeOpeningWarning(); !warning.empty()) ShowInfo(warning);
}

void TPrincipale::VisualizzaClick() {
    passwordKeysPending_ = false;
    painter_->VisualizzaClick();
}

void TPrincipale::Esci2Click() {
    if (CoreState.CardWindowMode == kEntryMode) CinsClick();
    if (AskToLeave(this)) {
        leaving_ = true;
        close();
    }
}

void TPrincipale::FormClose() {
    if (CoreState.CardWindowMode == kEntryMode) CinsClick();
}

void TPrincipale::closeEvent(QCloseEvent* event) {
    if (!leaving_) FormClose();
    closed_ = true;
    event->accept();
}

}  // namespace qv
