#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Liste": the selected cards listed through the working print mask into "lista.txt", in card
// order or in the alphabetical order of CoreState.ListOrderField; the mask is made from the
// card definition, edited, saved to and loaded from "*.mas" files. Opened with
// CoreState.CommandCode -333 it lists at once.
class TElabVelociListe : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociListe(QWidget* owner);

    QPushButton* Crea = nullptr;
    QPushButton* Visualizza = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Apri = nullptr;
    QPushButton* Effettua = nullptr;
    QPushButton* Alfabetica = nullptr;
    QPushButton* VisualizzaLista = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QProgressBar* Barra = nullptr;

    void FormCreate();
    void CreaClick();
    void VisualizzaClick();
    void SalvaClick();
    void ApriClick();
    void EffettuaClick();
    void AlfabeticaClick();
    void VisualizzaListaClick();
    void EsciClick();
    void Help2Click();

  private:
    void RunList(bool alphabetical);
};

// Creates the quick lists with `owner`, shows them modally and destroys them; with `listAtOnce`
// the list is made as the dialog opens. The request stands in CoreState.CommandCode meanwhile.
void OpenQuickLists(QWidget* owner, bool listAtOnce = false);

}  // namespace qv
