#include "quick/ui/report_table_view.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "quick/report_drawing.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/report_canvas.h"

namespace qv {

namespace {

constexpr int kHelpPage = 92, kOptionsHelpPage = 63;
constexpr int kPrinterDotsPerInch = 300;
constexpr int kPrinterFailedText = 1961, kLeftOutText = 1962;

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

// A save dialog in the program directory proposing `pattern`; empty when cancelled.
std::string AskSaveName(const char* pattern) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ProgramDir;
    request.filter = pattern;
    request.fileName = pattern;
    return AskFileName(request);
}

std::optional<int> WholeNumber(const std::string& text) {
    return PaddedDigits(text, 6);
}

}  // namespace

std::string ReportPicturePath() {
    return CoreState.ArchiveDir + "prova2.bmp";
}

TVedeTabella::TVedeTabella(QWidget* owner) : QDialog(owner) {
    setObjectName("TVedeTabella");
    MainMenu = new QMenuBar(this);
    auto item = [this](QAction*& a, const char* name) {
        a = MainMenu->addAction(QString());
        a->setObjectName(name);
    };
    item(Stampa1, "Stampa1");
    item(Opzionidistampa1, "Opzionidistampa1");
    Opzionidistampa1->setVisible(false);
    item(Salvainhtm1, "Salvainhtm1");
    item(SalvainBitMap1, "SalvainBitMap1");
    item(Help1, "Help1");
    item(Esci1, "Esci1");
    Esci1->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(Esci1);

    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Scroller = new QScrollArea(this);
    Scroller->setWidget(Image1);
    Scroller->setStyleSheet("background: white");
    VisualizzaTabella = new QPushButton(this);
    VisualizzaTabella->setObjectName("VisualizzaTabella");
    VisualizzaTabella->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(Scroller);
    setWindowState(Qt::WindowMaximized);

    connect(Stampa1, &QAction::triggered, this, [this] { Stampa1Click(); });
    connect(Salvainhtm1, &QAction::triggered, this, [this] { Salvainhtm1Click(); });
    connect(SalvainBitMap1, &QAction::triggered, this, [this] { SalvainBitMap1Click(); });
    connect(Help1, &QAction::triggered, this, [this] { Help1Click(); });
    connect(Esci1, &QAction::triggered, this, [this] { Esci1Click(); });
    connect(VisualizzaTabella, &QPushButton::clicked, this, [this] { VisualizzaTabellaClick(); });
    FormCreate();
}

void TVedeTabella::FormCreate() {
    setWindowTitle(Qs(LoadText(1426)));
    Stampa1->setText(Qs(LoadText(1427)));
    Opzionidistampa1->setText(Qs(LoadText(1428)));
    Salvainhtm1->setText(Qs(LoadText(1429)));
    SalvainBitMap1->setText(Qs(LoadText(1430)));
    Help1->setText(Qs(LoadText(1431)));
    Esci1->setText(Qs(LoadText(1432)));
    columns_ = CoreState.CommandCode;
    answer_ = columns_;
    if (CoreState.ProceedFlag != 1 || columns_ <= 0 || CoreState.ElaborationMode <= 0) return;
    VisualizzaTabellaClick();
    // What is shown is the picture as saved.
    QImage saved;
    if (const auto bytes = TryReadFile(ReportPicturePath()))
        saved.loadFromData(reinterpret_cast<const uchar*>(bytes->data()), int(bytes->size()), "BMP");
    if (saved.isNull()) return;
    picture_ = saved.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
    Image1->setPixmap(QPixmap::fromImage(picture_));
    Image1->resize(table_.PageWidth, table_.PageHeight);
}

void TVedeTabella::VisualizzaTabellaClick() {
    GuardedIo([this] {
        {
            WaitCursor wait;
            table_ = ComputeReportTable(columns_, CoreState.ElaborationMode);
        }
        ReadReportTitles(table_);
        QImage drawn = NewReportPicture(table_);
        {
            QPainter bitmapPainter(&drawn);
            QtReportCanvas bitmap(bitmapPainter);
            if (Printing && printer_) {
                printer_->setPageOrientation(QPageLayout::Landscape);
                // The enlargement counts in the dots of a classic 300 dpi printer, whatever the
                // device: the same percentage gives the same size on paper and in a PDF.
                printer_->setResolution(kPrinterDotsPerInch);
                QPainter printerPainter;
                if (printerPainter.begin(printer_)) {
                    QtReportCanvas page(printerPainter);
                    const ReportPrintMapping mapping =
                        MakeReportPrintMapping(CoreState.PrintEnlargement, table_);
                    DrawReportTable(table_, bitmap, &page, &mapping);
                    printerPainter.end();
                } else {
                    DrawReportTable(table_, bitmap);
                    ShowError(LoadText(kPrinterFailedText));
                }
                printer_->setPageOrientation(QPageLayout::Portrait);
            } else {
                DrawReportTable(table_, bitmap);
            }
        }
        WriteReportHtml(table_);
        SaveReportPicture(MonochromeReportPicture(drawn), ReportPicturePath());
    });
    if (!table_.LeftOut.empty() && !Printing) ShowError(LoadText(kLeftOutText) + Joined(table_.LeftOut));
}

void TVedeTabella::Stampa1Click() {
    {
        TOpzioniStampa options(this);
        ShowModal(options);
    }
    std::unique_ptr<QPrinter> printer = AskPrinter(this);
    if (!printer) return;
    Printing = true;
    printer_ = printer.get();
    VisualizzaTabellaClick();
    printer_ = nullptr;
    Printing = false;
}

void TVedeTabella::Salvainhtm1Click() {
    const std::string path = AskSaveName("*.htm");
    if (path.empty()) return;
    // Copied whole: a line of the page may be longer than any line width.
    GuardedIo([&path] { WriteFileAtomic(path, ReadFileOrThrow(ReportHtmlPath())); });
}

void TVedeTabella::SalvainBitMap1Click() {
    const std::string path = AskSaveName("*.bmp");
    if (path.empty()) return;
    GuardedIo([&path] { WriteFileAtomic(path, ReadFileOrThrow(ReportPicturePath())); });
}

void TVedeTabella::Help1Click() {
    ShowHelpPage(this, kHelpPage);
    answer_ = 0;
}

void TVedeTabella::Esci1Click() {
    accept();
}

TOpzioniStampa::TOpzioniStampa(QWidget* owner) : QDialog(owner) {
    setObjectName("TOpzioniStampa");
    Label1 = TextLabel(this, "Label1", 1063);
    x = HintEdit(this, "x", 1064);
    Esci = TextButton(this, "Esci", 1065, 1066);
    Help2 = TextButton(this, "Help2", 1067, 1068);
    auto* g = new QGridLayout(this);
    g->addWidget(Label1, 0, 0);
    g->addWidget(x, 0, 1);
    g->addWidget(Esci, 1, 0);
    g->addWidget(Help2, 1, 1);
    connect(Esci, &QPushButton::clicked, this, &TOpzioniStampa::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TOpzioniStampa::Help2Click);
    FormCreate();
}

void TOpzioniStampa::FormCreate() {
    setWindowTitle(Qs(LoadText(1062)));
    if (const std::optional<int> saved = ReadPrintEnlargement())
        CoreState.PrintEnlargement = *saved;
    else if (CoreState.PrintEnlargement <= 0)
        CoreState.PrintEnlargement = kDefaultPrintEnlargement;
    x->setText(QString::number(CoreState.PrintEnlargement));
}

void TOpzioniStampa::EsciClick() {
    // A text that is no whole number keeps the enlargement in force.
    if (const std::optional<int> typed = WholeNumber(Cp(x->text()))) CoreState.PrintEnlargement = *typed;
    GuardedIo([] { WritePrintEnlargement(CoreState.PrintEnlargement); });
    accept();
}

void TOpzioniStampa::Help2Click() {
    ShowHelpPage(this, kOptionsHelpPage);
}

int OpenReportTableView(QWidget* owner, int columns) {
    return ExchangeDialog<TVedeTabella>(owner, columns);
}

}  // namespace qv
