#pragma once
#include <QDialog>
#include <QLabel>

class QPushButton;

namespace qv {

// "Elaborazioni Veloci": the entry to the quick elaborations. Each button is enabled only when
// the files it needs exist; while it is open CoreState.ElaborationMode is 2.
class TElabVeloci : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVeloci(QWidget* owner);

    QPushButton* Griglia = nullptr;
    QPushButton* Prepara = nullptr;
    QPushButton* Seleziona = nullptr;
    QPushButton* Semplici = nullptr;
    QPushButton* Doppie = nullptr;
    QPushButton* Tabelle = nullptr;
    QPushButton* Fattori = nullptr;
    QPushButton* Liste = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    // Never shown.
    QPushButton* MancaGriglia = nullptr;
    QPushButton* Territorio = nullptr;
    QPushButton* Opzioni = nullptr;
    // What the prepared files hold, when the archive has moved on since the preparation, and
    // that the matrix was prepared from another quick grid.
    QLabel* SnapshotNotice = nullptr;

    bool GridPresentFlag = false;  // the standard grid "grl-sch.txt" opens

    void FormCreate();
    void CheckGridPresent();
    void GrigliaClick();
    void PreparaClick();
    void SelezionaClick();
    void SempliciClick();
    void DoppieClick();
    void TabelleClick();
    void FattoriClick();
    void ListeClick();
    void TerritorioClick();
    void OpzioniClick();
    void MancaGrigliaClick();
    void EsciClick();
    void Help2Click();

  private:
    void EnableAnalysesWhenPrepared();
    // The grid present and the matrix prepared from the quick lines as they are now; otherwise
    // the missing-grid notice or the words that ask for a new preparation.
    bool ReadyToCount();
    void ShowSnapshotNotice();
};

// The main menu's quick elaborations command: the hub with `owner`, shown modally and destroyed.
void OpenQuickHub(QWidget* owner);

}  // namespace qv
