#pragma once
#include <QDialog>

class QPushButton;

namespace qv {

// The elaborations hub: the entry to the standard elaborations on the cards. It works in
// CoreState.ElaborationMode 1 and leads to the missing-grid notice when a grid is missing.
class TElaborazioni : public QDialog {
    Q_OBJECT
  public:
    explicit TElaborazioni(QWidget* owner);

    QPushButton* VedeGriglie = nullptr;
    QPushButton* VedeSemplici = nullptr;
    QPushButton* Doppie = nullptr;
    QPushButton* VedeConnessioni = nullptr;
    QPushButton* Quantitative = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    // Never shown.
    QPushButton* Fattori = nullptr;
    QPushButton* VedeMaxsim = nullptr;
    QPushButton* MancaGriglia = nullptr;

    bool GridPresentFlag = false;       // "grl-sch.txt" opens
    bool QuantGridPresentFlag = false;  // "grq-sch.txt" opens

    void FormCreate();
    void VedeGriglieClick();
    void VedeSempliciClick();
    void DoppieClick();
    void VedeConnessioniClick();
    void QuantitativeClick();
    void FattoriClick();
    void VedeMaxsimClick();
    void MancaGrigliaClick();
    void EsciClick();
    void Help2Click();

  private:
    void TestGrids();
};

// The main menu's elaborations command: the hub with `owner`, shown modally and destroyed.
void OpenElaborationsHub(QWidget* owner);

}  // namespace qv
