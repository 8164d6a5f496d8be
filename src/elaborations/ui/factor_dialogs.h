#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "core/ui/widgets_fwd.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_extraction.h"
#include "platform/progress.h"

namespace qv {

// The factor plane TVedeAFC and the typology attribution are built with their own parts and
// register here; until they do, the buttons that start them do nothing.
using FactorPlaneOpener = std::function<void(QWidget* owner)>;
// An empty opener removes the registration.
void RegisterFactorPlane(FactorPlaneOpener open);
// Shows the registered plane; false, with nothing shown, when none is registered.
bool OpenFactorPlane(QWidget* owner);
// Scores the selected cards against the typologies of the profile file `profilePath`, into
// the 20 words of CoreState.TypologyField, by CoreState.ElaborationMode. May raise the
// input/output error.
using TypologyAttribution = std::function<void(const std::string& profilePath, Progress& progress)>;
void RegisterTypologyAttribution(TypologyAttribution attribute);
// Runs the registered attribution; false when none is registered.
bool RunTypologyAttribution(const std::string& profilePath, Progress& progress);

// What the two factor-analysis dialogs share: the choice of categories, the computation and
// rotation of the factors, the plane, the report and the typologies. The user's settings live
// in CoreState (MinCorrelation and TypologyField are stored by Esci only).
class FactorAnalysisDialog : public QDialog {
    Q_OBJECT
  public:
    QLineEdit* ModX = nullptr;
    QPushButton* Modalita = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Calcola = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* rPhi = nullptr;
    QPushButton* Ruota = nullptr;
    QPushButton* Visualizza = nullptr;
    QLineEdit* TipFat = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    // Never shown: their handlers are the two halves of Calcola.
    QPushButton* nonRuotati = nullptr;
    QPushButton* Varimax = nullptr;

    void ModalitaClick();
    void CalcolaClick();
    void RuotaClick();
    void VisualizzaClick();
    void EsciClick();
    void Help2Click();
    void nonRuotatiClick();
    void VarimaxClick();

    FactorRoad Road() const { return road_; }
    // Categories chosen among the entries of the list, and the index of its last entry.
    int ChosenAfcCount() const { return chosen_; }
    int AfcLastLine() const { return lastLine_; }
    const std::string& TypologyFileName() const { return typologyFileName_; }

  protected:
    FactorAnalysisDialog(QWidget* owner, const char* name, FactorRoad road);
    // Puts the controls in place, with the twin's own attribution button and label.
    void Arrange(QPushButton* attribute, QLabel* position, QPushButton* createTypologies);
    // Captions common to both twins, from their text numbers.
    void ShowSettings();
    void CountChosenAfcCategories();
    // The attribution button: the field from TipFat, then the profile file and the attribution.
    void AttributeTypologies(int missingFieldText);
    // The hidden attribution handler: the registered attribution over TypologyFileName.
    void RunAttribution();
    virtual std::unique_ptr<FactorCountSource> CountSource() const = 0;
    // After the picker has changed the choice.
    virtual void ChoiceChanged() {}
    void keyPressEvent(QKeyEvent* event) override;

    int helpPage_ = 0;

  private:
    void StoreTypologyField();
    // False, with a message, when more categories are chosen than the analysis takes.
    bool ChoiceFitsTheAnalysis();
    // A computation that gave no factor says why; one that met a short card file says which
    // cards it missed.
    void TellProblem(const FactorComputation& result);
    FactorRoad road_;
    int chosen_ = 0;
    int lastLine_ = -1;
    std::string typologyFileName_;
};

// The standard factor analysis over "grl-sch.txt" and the selected cards
// (CoreState.ElaborationMode 1).
class Tafc : public FactorAnalysisDialog {
    Q_OBJECT
  public:
    explicit Tafc(QWidget* owner);

    QPushButton* Attribuisce = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Attrib = nullptr;  // never shown

    void FormCreate();
    void AttribuisceClick();
    void AttribClick();

  protected:
    std::unique_ptr<FactorCountSource> CountSource() const override;
    void ChoiceChanged() override;

  private:
    void EnableAnalysis(bool enabled);
};

// Reads a whole number as the dialogs read TipFat: the leading digits after any blanks, 0 when
// there are none; at most 32767.
int ReadLeadingNumber(const std::string& text);
// Reads a real number as the dialogs read rPhi: blanks around it, a point as the decimal
// separator; 0 for any text that is not a number.
double ReadRealNumber(const std::string& text);

// Creates Tafc with `owner`, shows it modally and destroys it.
void OpenStandardFactorDialog(QWidget* owner);

}  // namespace qv
