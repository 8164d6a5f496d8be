// The search by example run from the card window: one card at a time, or every match into the
// selection and the list.
#include <QAction>
#include <QProgressBar>
#include <QToolButton>

#include "cardwindow/ui/card_search.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/tprincipale_commands.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "selection/search_by_example.h"

namespace qv {

using namespace principale;

namespace {
constexpr int kNoCardFoundText = 2301;
constexpr int kNoFurtherCardText = 2302;
}  // namespace

void TPrincipale::ShowSearchBar(bool shown) {
    ToolBar1->setVisible(!shown);
    ToolBar2->setVisible(shown);
}

void TPrincipale::RunSearch() {
    if (!CoreState.SearchAsList) {
        CoreState.ProceedFlag = 0;
        CoreState.SearchEnded = 1;
        ContinuaSchClick();
        ShowSearchOutcome(false);
        return;
    }
    RunSearchAsList();
}

void TPrincipale::RunSearchAsList() {
    Barra->setValue(0);
    ShowSearchBar(true);
    BarProgress progress(Barra);
    try {
        // Each step is the window's registered one, as for the search one card at a time.
        SearchAllIntoSelection(progress, [](Progress& step) { RunCardSearchStep(step); });
    } catch (...) {
        ShowSearchBar(false);
        throw;
    }
    ShowSearchBar(false);
    if (!CoreState.ListReady) ShowEntryStatus(LoadText(kNoCardFoundText));
    if (CoreState.ListReady) {
        if (EsegueListeClick(kSearchListRequest) == kShowListAnswer) VedeListaClick();
    }
    Lista1->setEnabled(CoreState.ListReady != 0);
}

void TPrincipale::ShowSearchOutcome(bool continuing) {
    const bool ended = CoreState.SearchEnded != 0;
    b4->setEnabled(!ended);
    ShowEntryStatus(ended ? LoadText(continuing ? kNoFurtherCardText : kNoCardFoundText) : std::string());
}

void TPrincipale::ContinuaSchClick() {
    EsegueRicercaClick();
    if (!CoreState.SearchAsList) VisualizzaClick();
}

void TPrincipale::EsegueRicercaClick() {
    // The list search shows the bar once around all its steps.
    const bool single = !CoreState.SearchAsList;
    BarProgress progress(Barra);
    if (single) {
        progress.SetMaximum(CoreState.LastCard);
        Barra->setValue(0);
        ShowSearchBar(true);
    }
    try {
        RunCardSearchStep(progress);
    } catch (...) {
        if (single) ShowSearchBar(false);
        throw;
    }
    if (single) ShowSearchBar(false);
}

}  // namespace qv
