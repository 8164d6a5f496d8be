#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Definizione delle variabili": the quick set of grids and variable lists, each made here and
// edited in the text viewer.
class TElabVelociGriglia : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociGriglia(QWidget* owner);

    QLabel* Label1 = nullptr;
    QPushButton* Copia = nullptr;
    QLineEdit* status = nullptr;
    QPushButton* Modifica = nullptr;
    QPushButton* Diagnostica = nullptr;
    QPushButton* righe = nullptr;
    QPushButton* Intesta = nullptr;
    QPushButton* Controlla = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* ModificaGrigliaQuantitativa = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* CreaTerritorio = nullptr;
    QLineEdit* StatusT = nullptr;
    QPushButton* Territorio = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* CreaData = nullptr;
    QLineEdit* StatusD = nullptr;
    QPushButton* ModificaData = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* CreaLink = nullptr;
    QLineEdit* StatusK = nullptr;
    QPushButton* ModificaK = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void CopiaClick();
    void ModificaClick();
    void DiagnosticaClick();
    void righeClick();
    void IntestaClick();
    void ControllaClick();
    void ModificaGrigliaQuantitativaClick();
    void CreaTerritorioClick();
    void TerritorioClick();
    void CreaDataClick();
    void ModificaDataClick();
    void CreaLinkClick();
    void ModificaKClick();
    void EsciClick();
    void Help2Click();
};

}  // namespace qv
