#pragma once
#include <QDialog>
#include <QImage>
#include <functional>

#include "core/ui/widgets_fwd.h"

class QAction;
class QPrinter;

namespace qv {

// The map's image: shows its picture and reports where the mouse went down, in image pixels.
class MapImage : public QWidget {
    Q_OBJECT
  public:
    explicit MapImage(QWidget* parent);
    QImage& Picture() { return picture_; }
    void SetPicture(const QImage& picture);
    std::function<void(int x, int y)> OnMouseDown;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
};

// "Cartina": the map of the comuni. A click picks the comune whose label point is nearest and
// writes its name, "+" or "-" for active or not; any character key then switches it on or off
// the map. The menu opens the map options, moves the legend to the last click, prints, saves
// the picture, writes the list and the ranking of the comuni, and leaves copying the map's
// comuni into the archive's territory selection. Created with CoreState.ProceedFlag 1 it counts
// the selected cards per comune and draws the map; the opener holds the map tables meanwhile.
class TVedeCartina : public QDialog {
    Q_OBJECT
  public:
    explicit TVedeCartina(QWidget* owner);

    QMenuBar* MainMenu = nullptr;
    QMenu* Opzioni1 = nullptr;
    QAction* Opzioni2 = nullptr;
    QAction* Spostalalegendasulpuntoselezionato1 = nullptr;
    QAction* Selezionaleschedeappartenentialterritorioselezionato1 = nullptr;
    QMenu* StampaSalva1 = nullptr;
    QAction* Stampa1 = nullptr;
    QAction* SalvacomeBitMap1 = nullptr;
    QAction* Lista1 = nullptr;
    QAction* Graduatoria1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* Esci1 = nullptr;
    QScrollArea* Scroller = nullptr;
    MapImage* Image1 = nullptr;
    QPushButton* EsegueCartina = nullptr;      // not visible: the drawing
    QPushButton* VisualizzaCartina = nullptr;  // not visible: the last picture shown again
    bool Printing = false;

    void FormCreate();
    void EsegueCartinaClick();
    void VisualizzaCartinaClick();
    void Image1MouseDown(int x, int y);
    void FormKeyPress(char key);
    void Opzioni2Click();
    void Spostalalegendasulpuntoselezionato1Click();
    void Selezionaleschedeappartenentialterritorioselezionato1Click();
    void Stampa1Click();
    void SalvacomeBitMap1Click();
    void Lista1Click();
    void Graduatoria1Click();
    void Help1Click();
    void Esci1Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FitImage();
    void WriteChosenName();
    QPrinter* printer_ = nullptr;
    // Keys act on a comune picked in this window only, not on one left from an earlier opening.
    bool picked_ = false;
    // The picture this window drew last: "prova.bmp" may by then hold another station's map.
    QImage drawn_;
};

// The quick selection's map command: allocates the map tables, creates the window with
// `owner`, shows it modally, destroys it and releases the tables. An input/output error while
// the window is created (the prepared card count missing) is shown and nothing opens.
void OpenMapWindow(QWidget* owner);

}  // namespace qv
