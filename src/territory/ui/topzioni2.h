#pragma once
#include <QDialog>
#include <array>
#include <cstdint>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Opzioni della cartina": every display option of the map, the legend colours and class
// limits, the map's active territory, option sets, the print settings and the rescale of the
// map geometry. Its answer says what the map does next.
enum class MapOptionsAnswer {
    Nothing = 0,
    Redraw = 1,
    List = 2,  // the list of comuni
    Ranking = 3,
};

class TOpzioni2 : public QDialog {
    Q_OBJECT
  public:
    // The quantitative filter works on the open map's MapCardCounts (none without a map).
    explicit TOpzioni2(QWidget* owner);

    QTabWidget* Pagine = nullptr;

    // Legenda
    QCheckBox* titolo = nullptr;
    QLineEdit* titoloTxt = nullptr;
    QCheckBox* Classi = nullptr;
    std::array<QLineEdit*, 7> Classe{};    // Classe1..Classe7
    std::array<QPushButton*, 8> Colore{};  // Colore1..Colore8
    QPushButton* ColoreSfondo = nullptr;
    QPushButton* SalvaColori = nullptr;
    QPushButton* RecuperaColori = nullptr;
    QRadioButton* ottili = nullptr;
    QRadioButton* varianza = nullptr;
    QRadioButton* manuale = nullptr;
    QPushButton* HelpLegenda = nullptr;
    QCheckBox* Automatico = nullptr;          // not visible
    QPushButton* Colore_Programma = nullptr;  // not visible
    QLabel* LabelColoreProgramma = nullptr;   // not visible

    // Visualizza
    QCheckBox* Colora = nullptr;
    QComboBox* unita = nullptr;
    QCheckBox* bianco = nullptr;
    QRadioButton* nessuno = nullptr;
    QRadioButton* confini = nullptr;
    QRadioButton* ConfiniClassi = nullptr;
    QCheckBox* confiniAttivi = nullptr;
    QCheckBox* grass = nullptr;
    QComboBox* grassetto = nullptr;
    QComboBox* ngrassetto = nullptr;
    QCheckBox* AreaAttiva = nullptr;
    QCheckBox* nomi = nullptr;
    QCheckBox* soloAttivi = nullptr;
    QCheckBox* comuneSelezionato = nullptr;
    QCheckBox* sigle = nullptr;
    QComboBox* listaSigle = nullptr;
    QCheckBox* nomiAttivi = nullptr;
    QCheckBox* grafici = nullptr;
    QCheckBox* valoriBarre = nullptr;
    QCheckBox* incorniciaCartina = nullptr;
    QPushButton* HelpVisualizza = nullptr;
    QCheckBox* valoriPercentuali = nullptr;  // not visible
    QCheckBox* Comuni = nullptr;             // disabled

    // Seleziona
    QPushButton* AttivaTutto = nullptr;
    QLineEdit* Ok = nullptr;
    QPushButton* SeleManuale = nullptr;
    QPushButton* Qualitativi = nullptr;
    QPushButton* Quantitativi = nullptr;
    QPushButton* HelpSeleziona = nullptr;

    // Liste/graduatorie
    QPushButton* Lista = nullptr;
    QPushButton* Graduatoria = nullptr;
    QPushButton* Help_Liste = nullptr;

    // Zoom
    QListWidget* zoom = nullptr;
    QPushButton* HelpZoom = nullptr;

    // Salva
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* LeggeBase = nullptr;
    QPushButton* SalvaBase = nullptr;
    QLineEdit* Ok2 = nullptr;
    QLineEdit* Ok3 = nullptr;
    QLineEdit* Ok4 = nullptr;
    QLineEdit* Ok5 = nullptr;
    QPushButton* HelpFile = nullptr;

    // Stampa
    QPushButton* VedeCommento = nullptr;
    QPushButton* Caratteri = nullptr;
    QPushButton* HelpStampa = nullptr;

    // Riproporziona la cartina
    QLineEdit* xxx1 = nullptr;
    QLineEdit* xxx2 = nullptr;
    QLineEdit* yyy1 = nullptr;
    QLineEdit* yyy2 = nullptr;
    QPushButton* Esegue = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* HelpRiproporziona = nullptr;

    QPushButton* Esci = nullptr;
    QPushButton* Help = nullptr;
    QPushButton* EsciCartina = nullptr;
    QPushButton* Annulla = nullptr;
    QPushButton* PrendeOpzioni = nullptr;  // not visible

    void FormCreate();
    void PrendeOpzioniClick();
    // Colour k: 0 the background, 1..8 the classes.
    void ColoreClick(int k);
    void Colore_ProgrammaClick();
    void SalvaColoriClick();
    void RecuperaColoriClick();
    void AttivaTuttoClick();
    void SeleManualeClick();
    void QualitativiClick();
    void QuantitativiClick();
    void ListaClick();
    void GraduatoriaClick();
    void SalvaClick();
    void RecuperaClick();
    void LeggeBaseClick();
    void SalvaBaseClick();
    void VedeCommentoClick();
    void CaratteriClick();
    void EsegueClick();
    void EsciClick();
    void EsciCartinaClick();
    void AnnullaClick();
    void HelpPage(int page);

    int Answer() const { return int(answer_); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    // The opening steps, also run again after options are restored.
    void FillControls();
    void PaintColours();
    // Every way out answers here what the map does next.
    void Finish(MapOptionsAnswer answer);

    QButtonGroup* classModes_ = nullptr;
    QButtonGroup* borderModes_ = nullptr;
    MapOptionsAnswer answer_ = MapOptionsAnswer::Nothing;
};

// The exchange: TOpzioni2 shown modally with CoreState.CommandCode 0; its answer is left there
// and returned.
MapOptionsAnswer OpenMapOptions(QWidget* owner);

}  // namespace qv
