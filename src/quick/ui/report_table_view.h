#pragma once
#include <QDialog>
#include <QImage>

#include "core/ui/widgets_fwd.h"
#include "quick/report_table.h"

class QAction;
class QPrinter;

namespace qv {

// "Tabella": the report table of the column set CoreState.CommandCode names on opening and the
// row set CoreState.ElaborationMode (both 1-based) counted over the selection, drawn on a monochrome
// picture saved as "prova2.bmp" in the archive directory and written as "Geolar.Htm" in the
// program directory at every drawing; printed in landscape with the station's enlargement. Its
// answer is the column set, 0 after the help page.
class TVedeTabella : public QDialog {
    Q_OBJECT
  public:
    explicit TVedeTabella(QWidget* owner);

    QMenuBar* MainMenu = nullptr;
    QAction* Stampa1 = nullptr;
    QAction* Opzionidistampa1 = nullptr;  // not visible
    QAction* Salvainhtm1 = nullptr;
    QAction* SalvainBitMap1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* Esci1 = nullptr;
    QScrollArea* Scroller = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* VisualizzaTabella = nullptr;  // not visible: the drawing routine
    bool Printing = false;

    void FormCreate();
    void VisualizzaTabellaClick();
    void Stampa1Click();
    void Salvainhtm1Click();
    void SalvainBitMap1Click();
    void Help1Click();
    void Esci1Click();

    // The table of the last drawing and the picture shown (null while the window is empty).
    const ReportTable& Table() const { return table_; }
    const QImage& Picture() const { return picture_; }
    int Answer() const { return answer_; }

  private:
    int columns_ = 0;
    int answer_ = 0;
    ReportTable table_;
    QImage picture_;
    QPrinter* printer_ = nullptr;
};

// "Opzioni di stampa": the print enlargement in percent, kept in "Stampa." + station number.
class TOpzioniStampa : public QDialog {
    Q_OBJECT
  public:
    explicit TOpzioniStampa(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* x = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();
};

// The picture of the report table, in the archive directory.
std::string ReportPicturePath();

// The exchange with column set `columns`: shows the window modally and returns its answer, also
// left in CoreState.CommandCode.
int OpenReportTableView(QWidget* owner, int columns);

}  // namespace qv
