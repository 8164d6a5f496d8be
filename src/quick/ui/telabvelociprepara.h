#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Prepara le elaborazioni veloci": builds the bit matrix, the per-card value files and the
// link files the quick analyses count from.
class TElabVelociPrepara : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociPrepara(QWidget* owner);

    QPushButton* Matrice = nullptr;
    QPushButton* VariabiliAggiunte = nullptr;
    QPushButton* Quantitativa = nullptr;
    QComboBox* vQuant = nullptr;
    QPushButton* Territorio = nullptr;
    QComboBox* VarTerritoriale = nullptr;
    QPushButton* PreparaData = nullptr;
    QComboBox* VarData = nullptr;
    QPushButton* Link = nullptr;
    QComboBox* varLink = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;

    void FormCreate();
    void MatriceClick();
    void VariabiliAggiunteClick();
    void QuantitativaClick();
    void TerritorioClick();
    void PreparaDataClick();
    void LinkClick();
    void EsciClick();
    void Help2Click();
};

}  // namespace qv
