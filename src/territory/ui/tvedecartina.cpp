#include "territory/ui/tvedecartina.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "core/core_state.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "territory/comune_report.h"
#include "territory/map_geometry.h"
#include "territory/map_interaction.h"
#include "territory/map_tables.h"
#include "territory/map_values.h"
#include "territory/territory_transfer.h"
#include "territory/ui/map_picture.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/territory_captions.h"
#include "territory/ui/topzioni2.h"

namespace qv {

namespace {

constexpr int kHelpPage = 91;
// "The map does not fit the page: ... reduced to" the scale it is printed at, "of its size on
// the screen", and, when the two directions differ, "(horizontal x vertical)".
constexpr int kMapReducedText = 1501;
constexpr int kOfScreenSizeText = 2271;
constexpr int kHorizontalByVerticalText = 2272;

// Releases the map tables however the window ends.
struct MapTablesHeld {
    MapTablesHeld() { AllocateMapTables(); }
    ~MapTablesHeld() { ReleaseMapTables(); }
    MapTablesHeld(const MapTablesHeld&) = delete;
    MapTablesHeld& operator=(const MapTablesHeld&) = delete;
};

// The map counts the prepared quick files: when the archive has moved on, the caption says
// what they hold.
QString SnapshotCaption() {
    const std::string notice = PreparedSnapshotNotice();
    return notice.empty() ? QString() : " - " + Qs(notice);
}

}  // namespace

MapImage::MapImage(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
}

void MapImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    setFixedSize(picture_.size());
    update();
}

void MapImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void MapImage::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(at.x(), at.y());
}

TVedeCartina::TVedeCartina(QWidget* owner) : QDialog(owner) {
    setObjectName("TVedeCartina");
    setWindowTitle(Caption(kMapTitle) + SnapshotCaption());
    MainMenu = new QMenuBar(this);
    auto item = [this](QMenu* menu, QAction*& a, const char* name, int caption) {
        a = menu ? menu->addAction(Caption(caption)) : MainMenu->addAction(Caption(caption));
        a->setObjectName(name);
    };
    Opzioni1 = MainMenu->addMenu(Caption(kOptionsCaption));
    Opzioni1->setObjectName("Opzioni1");
    item(Opzioni1, Opzioni2, "Opzioni2", kOptionsCaption);
    item(Opzioni1, Spostalalegendasulpuntoselezionato1, "Spostalalegendasulpuntoselezionato1",
         kMoveLegendCaption);
    Opzioni1->addSeparator();
    item(Opzioni1, Selezionaleschedeappartenentialterritorioselezionato1,
         "Selezionaleschedeappartenentialterritorioselezionato1", kExitWithSelectionCaption);
    StampaSalva1 = MainMenu->addMenu(Caption(kPrintSaveMenuCaption));
    StampaSalva1->setObjectName("StampaSalva1");
    item(StampaSalva1, Stampa1, "Stampa1", kPrintMenuCaption);
    item(StampaSalva1, SalvacomeBitMap1, "SalvacomeBitMap1", kSaveBitmapMenuCaption);
    StampaSalva1->addSeparator();
    item(StampaSalva1, Lista1, "Lista1", kListMenuCaption);
    item(StampaSalva1, Graduatoria1, "Graduatoria1", kRankingMenuCaption);
    item(nullptr, Help1, "Help1", kHelpCaption);
    item(nullptr, Esci1, "Esci1", kExitCaption);
    Esci1->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(Esci1);

    Image1 = new MapImage(nullptr);
    Image1->setObjectName("Image1");
    Image1->OnMouseDown = [this](int x, int y) { Image1MouseDown(x, y); };
    Scroller = new QScrollArea(this);
    Scroller->setWidget(Image1);
    Scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    EsegueCartina = new QPushButton(this);
    EsegueCartina->setObjectName("EsegueCartina");
    EsegueCartina->setVisible(false);
    VisualizzaCartina = new QPushButton(this);
    VisualizzaCartina->setObjectName("VisualizzaCartina");
    VisualizzaCartina->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(Scroller);

    connect(Opzioni2, &QAction::triggered, this, [this] { Opzioni2Click(); });
    connect(Spostalalegendasulpuntoselezionato1, &QAction::triggered, this,
            [this] { Spostalalegendasulpuntoselezionato1Click(); });
    connect(Selezionaleschedeappartenentialterritorioselezionato1, &QAction::triggered, this,
            [this] { Selezionaleschedeappartenentialterritorioselezionato1Click(); });
    connect(Stampa1, &QAction::triggered, this, [this] { Stampa1Click(); });
    connect(SalvacomeBitMap1, &QAction::triggered, this, [this] { SalvacomeBitMap1Click(); });
    connect(Lista1, &QAction::triggered, this, [this] { Lista1Click(); });
    connect(Graduatoria1, &QAction::triggered, this, [this] { Graduatoria1Click(); });
    connect(Help1, &QAction::triggered, this, [this] { Help1Click(); });
    connect(Esci1, &QAction::triggered, this, [this] { Esci1Click(); });
    connect(EsegueCartina, &QPushButton::clicked, this, [this] { EsegueCartinaClick(); });
    connect(VisualizzaCartina, &QPushButton::clicked, this, [this] { VisualizzaCartinaClick(); });
    FormCreate();
}

void TVedeCartina::FitImage() {
    NormalizeMapSize();
    const QSize size(std::max(1, MapState.MapWidth), std::max(1, MapState.MapHeight));
    if (Image1->Picture().size() == size) return;
    QImage blank(size, QImage::Format_RGB32);
    blank.fill(Qt::white);
    Image1->SetPicture(blank);
    Scroller->setMinimumSize(std::min(size.width() + 4, 1200), std::min(size.height() + 4, 900));
}

void TVedeCartina::FormCreate() {
    // The counts' errors leave the constructor: the opener shows them and opens nothing.
    WaitCursor wait;
    Printing = false;
    FitImage();
    if (CoreState.ProceedFlag != 1) return;
    CountCardsPerComune();
    AggregateByTranslation();
    EsegueCartinaClick();
}

void TVedeCartina::EsegueCartinaClick() {
    GuardedIo([this] {
        {
            WaitCursor wait;
            drawn_ = DrawMapPicture(Printing ? printer_ : nullptr);
        }
        FitImage();
        VisualizzaCartinaClick();
    });
    Printing = false;
}

void TVedeCartina::VisualizzaCartinaClick() {
    // Before a drawing of its own the window shows the picture last saved; without one the
    // image keeps what it shows.
    QImage saved = drawn_;
    if (saved.isNull() && !saved.load(QString::fromStdString(ResolveExisting(MapPicturePath())), "BMP"))
        return;
    QPainter painter(&Image1->Picture());
    painter.drawImage(1, 1, saved);
    painter.end();
    Image1->update();
}

void TVedeCartina::WriteChosenName() {
    const std::string caption = ChosenComuneCaption(MapState.ChosenComune);
    QPainter painter(&Image1->Picture());
    PainterMapCanvas canvas(painter);
    canvas.SetFontHeight(MapFontHeights[kNamesFont]);
    canvas.SetPenColour(0);
    canvas.SetBrushColour(MapColours[0]);
    canvas.TextOut(1, 1, caption);
    painter.end();
    Image1->update();
}

void TVedeCartina::Image1MouseDown(int x, int y) {
    VisualizzaCartinaClick();
    MapState.PickX = x;
    MapState.PickY = y;
    {
        QPainter painter(&Image1->Picture());
        PainterMapCanvas canvas(painter);
        canvas.SetPenColour(0);
        canvas.MoveTo(x - 3, y);
        canvas.LineTo(x + 3, y);
        canvas.MoveTo(x, y - 3);
        canvas.LineTo(x, y + 4);
    }
    Image1->update();
    GuardedIo([this, x, y] {
        MapState.ChosenComune = FindNearestComune(x, y);
        picked_ = true;
        // With no comune on the bitmap the cross alone answers the click.
        if (MapState.ChosenComune > 0) WriteChosenName();
    });
}

void TVedeCartina::FormKeyPress(char) {
    if (!picked_ || !ToggleMapComune(MapState.ChosenComune)) return;
    VisualizzaCartinaClick();
    GuardedIo([this] { WriteChosenName(); });
}

void TVedeCartina::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->text().isEmpty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    const std::string typed = Cp(event->text());
    FormKeyPress(typed.empty() ? '?' : typed[0]);
}

void TVedeCartina::Opzioni2Click() {
    switch (OpenMapOptions(this)) {
        case MapOptionsAnswer::Redraw:
            EsegueCartinaClick();
            break;
        case MapOptionsAnswer::List:
            Lista1Click();
            break;
        case MapOptionsAnswer::Ranking:
            Graduatoria1Click();
            break;
        case MapOptionsAnswer::Nothing:
            break;
    }
}

void TVedeCartina::Spostalalegendasulpuntoselezionato1Click() {
    if (MapState.PickX > -1) {
        MapState.LegendX = MapState.PickX;
        MapState.LegendY = MapState.PickY;
    }
    // The click placed the legend; were it left, the drawing would also re-centre a zoomed map on it.
    MapState.PickX = MapState.PickY = -1;
    EsegueCartinaClick();
}

void TVedeCartina::Selezionaleschedeappartenentialterritorioselezionato1Click() {
    GuardedIo([this] {
        {
            WaitCursor wait;
            TransferTerritorySelection(TerritoryTransfer::MapToArchive);
        }
        accept();
    });
}

void TVedeCartina::Stampa1Click() {
    // The print scale dialog answers in ProceedFlag: 1 only when confirmed.
    OpenPrintScaleDialog(this);
    if (CoreState.ProceedFlag == 1) {
        if (std::unique_ptr<QPrinter> printer = AskPrinter(this)) {
            if (const double fit = PrepareMapPrinter(*printer); fit < 1) {
                auto percent = [fit](int scale) { return std::to_string(std::lround(scale * fit)) + "%"; };
                const std::string x = percent(MapState.PrintScaleX), y = percent(MapState.PrintScaleY);
                ShowInfo(LoadText(kMapReducedText) + " " + (x == y ? x : x + " x " + y) + " " +
                         LoadText(kOfScreenSizeText) +
                         (x == y ? "" : " " + LoadText(kHorizontalByVerticalText)) + ".");
            }
            printer_ = printer.get();
            Printing = true;
            EsegueCartinaClick();
            printer_ = nullptr;
        }
    }
    Printing = false;
}

void TVedeCartina::SalvacomeBitMap1Click() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.caption = LoadText(kSaveBitmapCaption);
    request.directory = CoreState.ProgramDir;
    request.filter = "*.bmp";
    const std::string target = AskFileName(request);
    if (target.empty()) return;
    GuardedIo([&] { WriteFileAtomic(target, ReadFileOrThrow(ResolveExisting(MapPicturePath()))); });
}

void TVedeCartina::Lista1Click() {
    GuardedIo([this] {
        WriteComuneList();
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TVedeCartina::Graduatoria1Click() {
    GuardedIo([this] {
        WriteComuneRanking();
        ShowTextViewer(this, ViewerFile::Report);
    });
}

void TVedeCartina::Help1Click() {
    ShowHelpPageThenClear(this, kHelpPage);
}

void TVedeCartina::Esci1Click() {
    accept();
}

void OpenMapWindow(QWidget* owner) {
    MapTablesHeld tables;
    try {
        TVedeCartina window(owner);
        ShowModal(window);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

}  // namespace qv
