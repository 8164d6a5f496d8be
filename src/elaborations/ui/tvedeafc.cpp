#include "elaborations/ui/tvedeafc.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/factor_dialogs.h"
#include "elaborations/ui/typology_attribution.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmap_file.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kHelpPage = 90;
constexpr int kPrintCaption = 1022;  // "&Stampa"
constexpr int kFontPixels = 12;

std::string PicturePath() {
    return CoreState.ArchiveDir + kPlanePictureName;
}

QFont PlaneFont(double scale) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(std::max(1, int(kFontPixels * scale + 0.5)));
    return font;
}

}  // namespace

PlaneCanvas::PlaneCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("Piano");
    setFixedSize(kPlaneImageWidth, kPlaneImageHeight);
}

void PlaneCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_ && !picture_->isNull()) painter.drawImage(0, 0, *picture_);
}

void PlaneCanvas::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit Clicked(p.x(), p.y());
}

void DrawPlaneScene(QPainter& painter, const PlaneScene& scene, double scale) {
    auto at = [scale](double x, double y) { return QPointF(x * scale, y * scale); };
    auto line = [&](double x1, double y1, double x2, double y2) { painter.drawLine(at(x1, y1), at(x2, y2)); };
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, scale > 1);
    // Cosmetic one-pixel lines on the picture; on a page they grow with the scale.
    painter.setPen(QPen(Qt::black, scale > 1 ? scale : 0));
    painter.setBrush(Qt::white);
    const QPointF outline[] = {at(0, 0), at(0, kPlaneHeight), at(kPlaneWidth, kPlaneHeight),
                               at(kPlaneWidth, 0)};
    painter.drawPolygon(outline, 4);
    painter.setBrush(Qt::NoBrush);

    // The end points of the axes and the crosses are not drawn, as a line to a point leaves it.
    line(kPlaneCentreX, 1, kPlaneCentreX, kPlaneHeight - 1);
    line(1, kPlaneCentreY, kPlaneWidth - 1, kPlaneCentreY);

    const QFont font = PlaneFont(scale);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const QString labelX = Qs(scene.LabelX), labelY = Qs(scene.LabelY);
    painter.drawText(
        QPointF(kPlaneWidth * scale - metrics.horizontalAdvance(labelX), 208 * scale + metrics.ascent()),
        labelX);
    painter.drawText(
        QPointF(kPlaneCentreX * scale - metrics.horizontalAdvance(labelY) / 2, 1 * scale + metrics.ascent()),
        labelY);

    for (size_t i = 0; i < scene.Points.size(); ++i) {
        const PlanePoint p = scene.Points[i];
        if (scene.Numbers) {
            painter.drawText(QPointF(p.x * scale, p.y * scale + metrics.ascent()), QString::number(i + 1));
        } else {
            line(p.x - 3, p.y, p.x + 3, p.y);
            line(p.x, p.y - 3, p.x, p.y + 3);
        }
    }
}

bool PrintPlaneScene(QPrinter& printer, const PlaneScene& scene) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double scale = std::min(page.width() / kPlaneImageWidth, page.height() / kPlaneImageHeight);
    DrawPlaneScene(painter, scene, scale);
    return painter.end();
}

TVedeAFC::TVedeAFC(QWidget* owner) : QDialog(owner) {
    setObjectName("TVedeAFC");
    MainMenu = new QMenuBar(this);
    File1 = MainMenu->addMenu(QString());
    File1->setObjectName("File1");
    SalvacomeBitmap1 = File1->addAction(QString());
    SalvacomeBitmap1->setObjectName("SalvacomeBitmap1");
    Croci = File1->addAction(QString());
    Croci->setObjectName("Croci");
    Stampa1 = File1->addAction(QString());
    Stampa1->setObjectName("Stampa1");
    Help1 = MainMenu->addMenu(QString());
    Help1->setObjectName("Help1");
    Help2 = Help1->addAction(QString());
    Help2->setObjectName("Help2");
    Esci1 = MainMenu->addMenu(QString());
    Esci1->setObjectName("Esci1");
    Esci2 = Esci1->addAction(QString());
    Esci2->setObjectName("Esci2");
    Esci2->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(Esci2);

    Disegna = new QPushButton(this);
    Disegna->setObjectName("Disegna");
    Disegna->setVisible(false);
    Piano = new PlaneCanvas(this);
    Piano->SetPicture(&picture_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(Piano, 0, Qt::AlignLeft | Qt::AlignTop);
    setFixedSize(640, 480);

    connect(SalvacomeBitmap1, &QAction::triggered, this, [this] { SalvacomeBitmap1Click(); });
    connect(Croci, &QAction::triggered, this, [this] { CrociClick(); });
    connect(Stampa1, &QAction::triggered, this, [this] { Stampa1Click(); });
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    connect(Esci2, &QAction::triggered, this, [this] { Esci2Click(); });
    connect(Disegna, &QPushButton::clicked, this, [this] { DisegnaClick(); });
    connect(Piano, &PlaneCanvas::Clicked, this, [this](int x, int y) { FormMouseDown(x, y); });
    FormCreate();
}

void TVedeAFC::FormCreate() {
    setWindowTitle(Qs(LoadText(1418)));
    File1->setTitle(Qs(LoadText(1419)));
    SalvacomeBitmap1->setText(Qs(LoadText(1420)));
    Croci->setText(Qs(LoadText(1421)));
    Stampa1->setText(Qs(LoadText(kPrintCaption)));
    Help1->setTitle(Qs(LoadText(1422)));
    Help2->setText(Qs(LoadText(1423)));
    Esci1->setTitle(Qs(LoadText(1424)));
    Esci2->setText(Qs(LoadText(1425)));
    if (CoreState.ProceedFlag != 1) return;
    {
        WaitCursor wait;
        CountPlaneFactors(PlaneRoad());
    }
    DisegnaClick();
}

void TVedeAFC::DisegnaClick() {
    const PlaneScene scene = BuildPlaneScene(PlaneRoad());
    QImage image(kPlaneImageWidth, kPlaneImageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawPlaneScene(painter, scene, 1);
    }
    picture_ = image;
    Piano->update();
    try {
        SaveBitmapFile(picture_, PicturePath());
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TVedeAFC::FormMouseDown(int X, int Y) {
    try {
        PlaneClick(PlaneRoad(), X, Y);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    DisegnaClick();
}

void TVedeAFC::CrociClick() {
    CoreState.PlaneNumbers = CoreState.PlaneNumbers ? 0 : 1;
    DisegnaClick();
}

void TVedeAFC::SalvacomeBitmap1Click() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ProgramDir;
    request.filter = "*.bmp";
    request.fileName = "*.bmp";
    const std::string path = AskFileName(request);
    if (path.empty()) return;
    try {
        WriteFileAtomic(path, ReadFileOrThrow(PicturePath()));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TVedeAFC::Stampa1Click() {
    std::unique_ptr<QPrinter> printer = AskPrinter(this);
    if (!printer) return;
    GuardedIo([&] {
        if (!PrintPlaneScene(*printer, BuildPlaneScene(PlaneRoad()))) ThrowPrintFailed(*printer);
    });
}

void TVedeAFC::Help2Click() {
    ShowHelpPageThenClear(this, kHelpPage);
}

void TVedeAFC::Esci2Click() {
    accept();
}

void OpenVedeAFC(QWidget* owner) {
    struct ProceedWhileOpen {
        ProceedWhileOpen() { CoreState.ProceedFlag = 1; }
        ~ProceedWhileOpen() { CoreState.ProceedFlag = 0; }
    } proceed;
    TVedeAFC dialog(owner);
    ShowModal(dialog);
}

void RegisterFactorPlaneAndTypologies() {
    RegisterFactorPlane(&OpenVedeAFC);
    RegisterTypologyAttribution(&AttributeTypologiesFromDialog);
}

}  // namespace qv
