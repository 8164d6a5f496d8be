#include "core/ui/tedits2.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/archive_designer.h"
#include "core/archive_list.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/text_viewer.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/tcreafile.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

QLineEdit* ReadOnlyBox(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

QLabel* Label(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    m->setFont(font);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}

void ShowLines(QPlainTextEdit& memo, const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << Qs(line);
    memo.setPlainText(list.join(QChar('\n')));
}

std::vector<std::string> LinesOf(const QPlainTextEdit& memo) {
    const QString text = memo.toPlainText();
    if (text.isEmpty()) return {};
    std::vector<std::string> lines;
    for (const QString& line : text.split(QChar('\n'))) lines.push_back(Cp(line));
    return lines;
}

void SetText(QLineEdit& box, int textNumber) {
    box.setText(textNumber ? Qs(LoadText(textNumber)) : QString());
}

// The design is not written into its folder: `status` says why, the missing password in text
// `passwordText`, or why the open archive is read-only.
bool RefusedDesignWrite(QLineEdit& status, int passwordText) {
    if (DesignFolderWritable()) return false;
    if (CoreState.WriteAccess)
        status.setText(Qs(ArchiveReadOnlyReason()));
    else
        SetText(status, passwordText);
    return true;
}

}  // namespace

TEditS2::TEditS2(QWidget* owner) : QDialog(owner) {
    setObjectName("TEditS2");
    BuildPages();
    resize(640, 480);
    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::BuildPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    Label1 = Label(TabSheet1, "Label1");
    Label2 = Label(TabSheet1, "Label2");
    Label3 = Label(TabSheet1, "Label3");
    nome = new QLineEdit(TabSheet1);
    nome->setObjectName("nome");
    CreaDir = NamedButton(TabSheet1, "CreaDir");
    Status2 = ReadOnlyBox(TabSheet1, "Status2");
    Label4 = Label(TabSheet1, "Label4");
    Label5 = Label(TabSheet1, "Label5");
    Label6 = Label(TabSheet1, "Label6");
    Label7 = Label(TabSheet1, "Label7");
    Label8 = Label(TabSheet1, "Label8");
    Label9 = Label(TabSheet1, "Label9");
    Help_Creazione = NamedButton(TabSheet1, "Help_Creazione");
    {
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(nome, 1);
        folderRow->addWidget(CreaDir);
        auto* layout = new QVBoxLayout(TabSheet1);
        for (QWidget* w :
             {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3)})
            layout->addWidget(w);
        layout->addLayout(folderRow);
        layout->addWidget(Status2);
        for (QLabel* l : {Label4, Label5, Label6, Label7, Label8, Label9}) layout->addWidget(l);
        layout->addStretch();
        layout->addWidget(Help_Creazione, 0, Qt::AlignRight);
    }

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    Testo = Memo(TabSheet2, "Testo");
    Salva = NamedButton(TabSheet2, "Salva");
    LeggeScheda = NamedButton(TabSheet2, "LeggeScheda");
    Help_Scheda = NamedButton(TabSheet2, "Help_Scheda");
    Status_Scheda = ReadOnlyBox(TabSheet2, "Status_Scheda");
    {
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(Salva);
        buttons->addWidget(LeggeScheda);
        buttons->addWidget(Help_Scheda);
        buttons->addWidget(Status_Scheda, 1);
        auto* layout = new QVBoxLayout(TabSheet2);
        layout->addWidget(Testo, 1);
        layout->addLayout(buttons);
    }

    TabSheet3 = new QWidget;
    TabSheet3->setObjectName("TabSheet3");
    Crea1 = NamedButton(TabSheet3, "Crea1");
    Label10 = Label(TabSheet3, "Label10");
    Label11 = Label(TabSheet3, "Label11");
    Label13 = Label(TabSheet3, "Label13");
    Compila = NamedButton(TabSheet3, "Compila");
    Label12 = Label(TabSheet3, "Label12");
    Azzera_Scheda = NamedButton(TabSheet3, "Azzera_Scheda");
    Label14 = Label(TabSheet3, "Label14");
    Label18 = Label(TabSheet3, "Label18");
    Help_crea = NamedButton(TabSheet3, "Help_crea");
    Status1 = ReadOnlyBox(TabSheet3, "Status1");
    Status2b = ReadOnlyBox(TabSheet3, "Status2b");
    Status3 = ReadOnlyBox(TabSheet3, "Status3");
    CreaCompila = NamedButton(TabSheet3, "CreaCompila");
    CreaCompila->setVisible(false);
    {
        auto* grid = new QGridLayout(TabSheet3);
        grid->addWidget(Label10, 0, 0);
        grid->addWidget(Crea1, 0, 1);
        grid->addWidget(Label11, 1, 0, 1, 2);
        grid->addWidget(Label13, 2, 0);
        grid->addWidget(Compila, 2, 1);
        grid->addWidget(Label12, 3, 0);
        grid->addWidget(Azzera_Scheda, 3, 1);
        grid->addWidget(Label14, 4, 0, 1, 2);
        grid->addWidget(Label18, 5, 0, 1, 2);
        grid->addWidget(Status1, 6, 0, 1, 2);
        grid->addWidget(Status2b, 7, 0, 1, 2);
        grid->addWidget(Status3, 8, 0, 1, 2);
        grid->setRowStretch(9, 1);
        grid->addWidget(Help_crea, 10, 1);
    }

    TabSheet4 = new QWidget;
    TabSheet4->setObjectName("TabSheet4");
    Label19 = Label(TabSheet4, "Label19");
    Kel_LST2 = Memo(TabSheet4, "Kel_LST2");
    Salva_KEL = NamedButton(TabSheet4, "Salva_KEL");
    Help_LST = NamedButton(TabSheet4, "Help_LST");
    Status_KelLST = ReadOnlyBox(TabSheet4, "Status_KelLST");
    {
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(Salva_KEL);
        buttons->addWidget(Help_LST);
        buttons->addWidget(Status_KelLST, 1);
        auto* layout = new QVBoxLayout(TabSheet4);
        layout->addWidget(Label19);
        layout->addWidget(Kel_LST2, 1);
        layout->addLayout(buttons);
    }

    TabSheet5 = new QWidget;
    TabSheet5->setObjectName("TabSheet5");
    Label20 = Label(TabSheet5, "Label20");
    Label21 = Label(TabSheet5, "Label21");
    Label22 = Label(TabSheet5, "Label22");
    x = new QLineEdit(TabSheet5);
    x->setObjectName("x");
    y = new QLineEdit(TabSheet5);
    y->setObjectName("y");
    Help_Dimensione = NamedButton(TabSheet5, "Help_Dimensione");
    {
        auto* grid = new QGridLayout(TabSheet5);
        grid->addWidget(Label20, 0, 0, 1, 2);
        grid->addWidget(Label21, 1, 0);
        grid->addWidget(x, 1, 1);
        grid->addWidget(Label22, 2, 0);
        grid->addWidget(y, 2, 1);
        grid->setRowStretch(3, 1);
        grid->addWidget(Help_Dimensione, 4, 1);
    }

    for (QWidget* page : {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5})
        PageControl1->addTab(page, QString());

    Esci = NamedButton(this, "Esci");
    Help_Generale = NamedButton(this, "Help_Generale");
    xy = NamedButton(this, "xy");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(xy);
    buttons->addStretch();
    buttons->addWidget(Help_Generale);
    buttons->addWidget(Esci);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    connect(CreaDir, &QPushButton::clicked, this, &TEditS2::CreaDirClick);
    connect(LeggeScheda, &QPushButton::clicked, this, &TEditS2::LeggeSchedaClick);
    connect(Salva, &QPushButton::clicked, this, &TEditS2::SalvaClick);
    connect(Testo, &QPlainTextEdit::textChanged, this, &TEditS2::TestoChange);
    connect(Crea1, &QPushButton::clicked, this, &TEditS2::Crea1Click);
    connect(Compila, &QPushButton::clicked, this, &TEditS2::CompilaClick);
    connect(Azzera_Scheda, &QPushButton::clicked, this, &TEditS2::Azzera_SchedaClick);
    connect(CreaCompila, &QPushButton::clicked, this, &TEditS2::CreaCompilaClick);
    connect(Salva_KEL, &QPushButton::clicked, this, &TEditS2::Salva_KELClick);
    connect(xy, &QPushButton::clicked, this, &TEditS2::xyClick);
    connect(Esci, &QPushButton::clicked, this, &TEditS2::EsciClick);
    connect(Help_Generale, &QPushButton::clicked, this, &TEditS2::Help_GeneraleClick);
    connect(Help_Creazione, &QPushButton::clicked, this, &TEditS2::Help_CreazioneClick);
    connect(Help_Scheda, &QPushButton::clicked, this, &TEditS2::Help_SchedaClick);
    connect(Help_crea, &QPushButton::clicked, this, &TEditS2::Help_creaClick);
    connect(Help_LST, &QPushButton::clicked, this, &TEditS2::Help_LSTClick);
    connect(Help_Dimensione, &QPushButton::clicked, this, &TEditS2::Help_DimensioneClick);
}

void TEditS2::SetCaptions() {
    setWindowTitle(Qs(LoadText(399)));
    const std::pair<QWidget*, int> pages[] = {
        {TabSheet1, 400}, {TabSheet2, 415}, {TabSheet3, 416}, {TabSheet4, 427}, {TabSheet5, 431}};
    for (const auto& [page, text] : pages)
        PageControl1->setTabText(PageControl1->indexOf(page), Qs(LoadText(text)));
    const std::pair<QLabel*, int> labels[] = {{Label1, 401},  {Label2, 402},  {Label3, 403},  {Label4, 405},
                                              {Label5, 406},  {Label6, 407},  {Label7, 408},  {Label8, 409},
                                              {Label9, 410},  {Label10, 418}, {Label11, 419}, {Label13, 420},
                                              {Label12, 422}, {Label14, 424}, {Label18, 425}, {Label19, 428},
                                              {Label20, 432}, {Label21, 433}, {Label22, 434}};
    for (const auto& [label, text] : labels) label->setText(Qs(LoadText(text)));
    const std::pair<QPushButton*, int> buttons[] = {
        {CreaDir, 404},     {Help_Creazione, 411}, {Salva, 412},    {LeggeScheda, 413},
        {Help_Scheda, 414}, {Crea1, 417},          {Compila, 421},  {Azzera_Scheda, 423},
        {Help_crea, 426},   {Salva_KEL, 429},      {Help_LST, 430}, {Help_Dimensione, 435},
        {Esci, 436},        {Help_Generale, 437},  {xy, 438}};
    for (const auto& [button, text] : buttons) button->setText(Qs(LoadText(text)));
}

void TEditS2::FormCreate() {
    SetCaptions();
    LoadEditFolder();
    nome->setText(QPath(CoreState.DesignerDir));
    LeggeSchedaClick();
    if (const std::optional<std::vector<std::string>> list = ReadArchiveList()) {
        ShowLines(*Kel_LST2, *list);
    } else {
        Salva_KEL->setEnabled(false);
    }
    x->setText(QString::number(CoreState.PageWidth));
    y->setText(QString::number(CoreState.PageHeight));
}

void TEditS2::TakeFolder() {
    CoreState.DesignerDir = DesignerFolderFromText(FsPath(nome->text()));
}

bool TEditS2::FolderStorable() const {
    return StorablePathGiven(DesignerFolderFromText(FsPath(nome->text())));
}

bool TEditS2::StoreFolder() {
    if (!FolderStorable()) return false;
    SaveEditFolder(FsPath(nome->text()));
    nome->setText(QPath(CoreState.DesignerDir));
    return true;
}

std::string TEditS2::SourcePathShown() const {
    return DisplayPath(DataFilePath(data_file::kDesignerSource));
}

void TEditS2::CreaDirClick() {
    try {
        if (!StoreFolder()) return;
        if (!CreateDesignFolder()) {
            SetText(*Status2, 441);
            return;
        }
        SetText(*Status2, 440);
        LeggeSchedaClick();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::LeggeSchedaClick() {
    try {
        TakeFolder();
        switch (StageSourceForEditor()) {
            case SourceStage::TooLarge:
                // The memo shows why; it must never be saved over the source.
                Salva->setEnabled(false);
                ShowLines(*Testo, TextReader::ReadLines(DataFilePath(data_file::kReport))
                                      .value_or(std::vector<std::string>()));
                SetText(*Status_Scheda, 442);
                break;
            case SourceStage::Missing:
                Salva->setEnabled(true);
                Status_Scheda->setText(Qs(LoadText(446) + " " + SourcePathShown() + LoadText(447)));
                break;
            case SourceStage::Loaded:
                Salva->setEnabled(true);
                ShowLines(*Testo, ReadViewerStaging());
                Status_Scheda->clear();
                break;
        }
        sourceShown_ = Testo->toPlainText();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::SalvaClick() {
    if (!Salva->isEnabled()) return;
    try {
        TakeFolder();
        SaveSourceLines(LinesOf(*Testo));
        sourceShown_ = Testo->toPlainText();
        Status_Scheda->setText(Qs(LoadText(448) + " " + SourcePathShown() + LoadText(449)));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::TestoChange() {
    Status_Scheda->clear();
}

void TEditS2::Crea1Click() {
    TakeFolder();
    if (RefusedDesignWrite(*Status1, 451)) return;
    createFlag_ = true;
    CreaCompilaClick();
    if (!lastRun_.ran || lastRun_.errors) return;
    SetText(*Status1, 450);
    try {
        // The new archive becomes the current one, with a blank new card.
        SwitchToArchive(CoreState.DesignerDir);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::CompilaClick() {
    TakeFolder();
    if (RefusedDesignWrite(*Status2b, 470)) return;
    createFlag_ = false;
    CreaCompilaClick();
    if (lastRun_.ran && !lastRun_.errors) SetText(*Status2b, 469);
}

void TEditS2::Azzera_SchedaClick() {
    TakeFolder();
    if (RefusedDesignWrite(*Status1, 471)) return;
    createFlag_ = true;
    CreaCompilaClick();
}

void TEditS2::CreaCompilaClick() {
    lastRun_ = CompileRunResult();
    if (!FolderStorable()) return;
    try {
        lastRun_ = RunCompile(FsPath(nome->text()), createFlag_, *this);
    } catch (const IoError& e) {
        lastRun_ = CompileRunResult();
        ShowIoError(e);
    }
    nome->setText(QPath(CoreState.DesignerDir));
}

bool TEditS2::ConfirmEraseCards() {
    // Closing the question any other way than by its buttons keeps the cards.
    return ExchangeDialog<TCreaFile>(this, 0) == kEraseAnswer;
}

void TEditS2::ShowErrorList() {
    ShowTextViewer(this, ViewerFile::CompileErrors);
}

void TEditS2::ShowStatus(StatusBox box, int textNumber) {
    switch (box) {
        case StatusBox::Create:
            SetText(*Status1, textNumber);
            break;
        case StatusBox::Compile:
            SetText(*Status2b, textNumber);
            break;
        case StatusBox::Erase:
            SetText(*Status3, textNumber);
            break;
    }
}

void TEditS2::Salva_KELClick() {
    if (!Salva_KEL->isEnabled()) return;
    try {
        TakeFolder();
        SaveArchiveListLines(LinesOf(*Kel_LST2));
        SetText(*Status_KelLST, 472);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TEditS2::xyClick() {
    try {
        if (!StoreFolder()) return;
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    CoreState.CardWindowMode = kPointerMode;
    accept();
}

bool TEditS2::MayLeave() {
    return MayLeaveChangedText(Testo->toPlainText() != sourceShown_, Salva->isEnabled(), [this] {
        SalvaClick();
        return Testo->toPlainText() == sourceShown_;
    });
}

void TEditS2::reject() {
    if (MayLeave()) QDialog::reject();
}

void TEditS2::EsciClick() {
    if (!MayLeave()) return;
    try {
        if (!StoreFolder()) return;
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    if (const std::optional<int> w = PageDimensionFromText(Cp(x->text()))) CoreState.PageWidth = *w;
    if (const std::optional<int> h = PageDimensionFromText(Cp(y->text()))) CoreState.PageHeight = *h;
    accept();
}

void TEditS2::Help_GeneraleClick() {
    ShowHelpPage(this, 97);
}
void TEditS2::Help_CreazioneClick() {
    ShowHelpPage(this, 98);
}
void TEditS2::Help_SchedaClick() {
    ShowHelpPage(this, 99);
}
void TEditS2::Help_creaClick() {
    ShowHelpPage(this, 100);
}
void TEditS2::Help_LSTClick() {
    ShowHelpPage(this, 101);
}
void TEditS2::Help_DimensioneClick() {
    ShowHelpPage(this, 32);
}

}  // namespace qv
