#pragma once
#include <QDialog>
#include <QImage>

#include "core/ui/widgets_fwd.h"
#include "elaborations/factor_plane.h"

class QAction;
class QPainter;
class QPrinter;

namespace qv {

// The surface of the plane: shows the window's picture and hands the clicks to it.
class PlaneCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit PlaneCanvas(QWidget* parent);
    void SetPicture(const QImage* picture) { picture_ = picture; }

  signals:
    void Clicked(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const QImage* picture_ = nullptr;
};

// "Vede e ruota analisi fattoriale": the categories on two factors; the margins step through
// the pairs of factors, a click inside turns the two shown factors and writes them back.
class TVedeAFC : public QDialog {
    Q_OBJECT
  public:
    explicit TVedeAFC(QWidget* owner);

    QMenuBar* MainMenu = nullptr;
    QMenu* File1 = nullptr;
    QAction* SalvacomeBitmap1 = nullptr;
    QAction* Croci = nullptr;
    QAction* Stampa1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Help2 = nullptr;
    QMenu* Esci1 = nullptr;
    QAction* Esci2 = nullptr;
    QPushButton* Disegna = nullptr;  // not visible
    PlaneCanvas* Piano = nullptr;

    void FormCreate();
    void DisegnaClick();
    // Client coordinates of the plane.
    void FormMouseDown(int X, int Y);
    void CrociClick();
    void SalvacomeBitmap1Click();
    void Stampa1Click();
    void Help2Click();
    void Esci2Click();

    // The picture of the last drawing.
    const QImage& Picture() const { return picture_; }

  private:
    QImage picture_;
};

// Every drawing operation of the plane, coordinates multiplied by `scale`: 1 on the picture,
// the page's own scale on the printer.
void DrawPlaneScene(QPainter& painter, const PlaneScene& scene, double scale);

// Prints the plane of `scene` on one page, as large as the page allows. False when the printer
// could not be started.
bool PrintPlaneScene(QPrinter& printer, const PlaneScene& scene);

// Creates TVedeAFC with `owner` and shows it modally, CoreState.ProceedFlag 1 while it is open
// and 0 afterwards. The road is CoreState.ElaborationMode's.
void OpenVedeAFC(QWidget* owner);

// Makes the factor dialogs open this plane and run the typology attribution; called once at
// start.
void RegisterFactorPlaneAndTypologies();

}  // namespace qv
