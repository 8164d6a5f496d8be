#pragma once
#include "elaborations/ui/factor_dialogs.h"

namespace qv {

// The quick factor analysis over the quick category list ("grl-dat.txt", then the additional
// variables of "agg-dat.txt") and the prepared bit matrix (CoreState.ElaborationMode 2).
class TElabVelociAFC : public FactorAnalysisDialog {
    Q_OBJECT
  public:
    explicit TElabVelociAFC(QWidget* owner);

    QPushButton* CreaTipologie = nullptr;
    QPushButton* AttribuisceTipologie = nullptr;
    QLabel* label3 = nullptr;
    QPushButton* attrib = nullptr;  // never shown

    void FormCreate();
    void CreaTipologieClick();
    void AttribuisceTipologieClick();
    void attribClick();

  protected:
    std::unique_ptr<FactorCountSource> CountSource() const override;
};

void OpenQuickFactorDialog(QWidget* owner);

// Registers both factor-analysis dialogs: Tafc with the elaborations hub, TElabVelociAFC with
// the quick hub. Called once at start-up.
void RegisterFactorDialogs();

}  // namespace qv
