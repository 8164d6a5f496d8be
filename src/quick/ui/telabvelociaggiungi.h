#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Variabili aggiuntive": the rules of "agg-dat.txt", written in the text viewer, shown in
// words and computed into the quick matrix.
class TElabVelociAggiungi : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociAggiungi(QWidget* owner);

    QPushButton* VedeVariabili = nullptr;
    QPushButton* Maschera = nullptr;
    QPushButton* ComeVariabili = nullptr;
    QPushButton* Legge = nullptr;
    QPushButton* Crea = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help = nullptr;
    QProgressBar* Barra = nullptr;

    void FormCreate();
    void VedeVariabiliClick();
    void MascheraClick();
    void ComeVariabiliClick();
    void LeggeClick();
    void CreaClick();
    void EsciClick();
    void HelpClick();
};

// Makes the preparation dialog and the factor analysis open this dialog; called once at start.
void RegisterAdditionalVariablesForm();

}  // namespace qv
