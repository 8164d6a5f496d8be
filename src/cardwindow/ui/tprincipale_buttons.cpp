// The card window's tool buttons b1 to b10: what each does in each mode.
#include <QToolButton>

#include "cardwindow/entry_options.h"
#include "cardwindow/ui/card_jobs.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/tprincipale_commands.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/field_type.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/batch_jobs.h"

namespace qv {

using namespace principale;

namespace {

constexpr int kMaxClassWidth = 99;

}  // namespace

void TPrincipale::b1Click() {
    // Help page N explains mode N.
    ShowHelpPage(this, CoreState.CardWindowMode);
}

void TPrincipale::b2Click() {
    switch (CoreState.CardWindowMode) {
        case kSearchMode:
            RicercaSchClick();
            ContenutoCampiClick();
            return;
        case kSelectionMode:
            AzzeraRicClick();
            ContenutoCampiClick();
            return;
        case kListMode:
            VedeMascheraClick();
            return;
        default:
            // The marking modes and the reorder mode take their mark off every field.
            if (ClearModeMarks(CoreState.CardWindowMode)) ContenutoCampiClick();
            return;
    }
}

void TPrincipale::b3Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            PreviousCardClick();
            return;
        case kSearchMode:
            // What stands typed in the field belongs to the mask, as if Enter had been pressed.
            CommitBeforeMove();
            RunSearch();
            return;
        case kAttributionMode:
            CommitBeforeMove();
            AttribuzioneClick(kAttributionJob);
            VisualizzaClick();
            return;
        case kSelectionMode:
            EsegueRicClick();
            VisualizzaClick();
            return;
        case kListMode: {
            const int answer = EsegueListeClick(kListModeRequest);
            Lista1->setEnabled(CoreState.ListReady != 0);
            if (answer == kShowListAnswer) VedeListaClick();
            return;
        }
        default:
            return;
    }
}

void TPrincipale::b4Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
        case kPointerMode:
            CinsClick();
            numSchedaClick();
            // Read and shown even when the dialog was left without choosing.
            ReadCardText();
            ReadCardValues();
            VisualizzaClick();
            return;
        case kSearchMode:
            if (CoreState.SearchEnded) return;
            CoreState.ProceedFlag = 0;
            CoreState.SearchEnded = 0;
            ContinuaSchClick();
            ContenutoCampiClick();
            ShowSearchOutcome(true);
            return;
        case kAttributionMode:
            CommitBeforeMove();
            AttribuzioneClick(kAttributionClearJob);
            VisualizzaClick();
            return;
        case kSelectionMode:
            SalvaRClick();
            VisualizzaClick();
            return;
        case kListMode:
            VedeListaClick();
            return;
        case kReorderMarkMode:
            if (RefusedWithoutWriteAccess()) return;
            RiordinaClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b5Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            NextCardClick();
            return;
        case kSelectionMode:
            ApriRClick();
            VisualizzaClick();
            return;
        case kListMode:
            EsegueOrdineClick();
            return;
        case kReorderMarkMode: {
            const int f = CoreState.CurrentField;
            const bool coded = f >= 1 && f <= kMaxFields && !TypeOfField(f).IsText();
            if (coded && !RefusedWithoutWriteAccess()) RicodificaListeClick();
            return;
        }
        default:
            return;
    }
}

void TPrincipale::b6Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            StampaPaginaClick();
            return;
        case kSearchMode:
            ClearByAnswer();
            return;
        case kSelectionMode:
            StepClassWidth(-1);
            return;
        default:
            return;
    }
}

void TPrincipale::b7Click() {
    switch (CoreState.CardWindowMode) {
        case kSearchMode:
            StampaPaginaClick();
            return;
        case kListMode:
            CoreState.ListOrderField = 0;
            CoreState.ListGroupField1 = 0;
            CoreState.ListGroupField2 = 0;
            ContenutoCampiClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b8Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            ClearByAnswer();
            return;
        case kSearchMode:
            ShowTextViewer(this, ViewerFile::Notes);
            ContenutoCampiClick();
            return;
        case kSelectionMode:
            StepClassWidth(+1);
            return;
        case kListMode:
            FaiEtichetteClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b9Click() {
    switch (CoreState.CardWindowMode) {
        case kEntryMode:
            if (CopiaSchClick() > 0) ContenutoCampiClick();
            return;
        case kListMode:
            FaiMergeClick();
            return;
        default:
            return;
    }
}

void TPrincipale::b10Click() {
    if (CoreState.CardWindowMode != kEntryMode) return;
    ShowTextViewer(this, ViewerFile::Notes);
    ContenutoCampiClick();
}

void TPrincipale::ClearByAnswer() {
    const int answer = CancCampiClick();
    qv::ClearByAnswer(answer);
    if (answer >= kClearField && answer <= kClearMarked) NoteCardChanged();
    if (answer == kClearField)
        RedrawField(CoreState.CurrentField);
    else if (answer == kClearAll || answer == kClearMarked)
        ContenutoCampiClick();
}

void TPrincipale::StepClassWidth(int step) {
    // Widths run 1 to 99; stepping past either end (or from a width out of range) gives 1.
    int width = CoreState.ClassWidth + step;
    if (width < 1 || width > kMaxClassWidth) width = 1;
    CoreState.ClassWidth = width;
    MostraClassiClick();
}

void TPrincipale::MostraClassiClick() {
    b7->setText(QString::number(CoreState.ClassWidth).left(20));
}

}  // namespace qv
