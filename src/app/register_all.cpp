#include "app/register_all.h"

#include "cardwindow/ui/card_jobs.h"
#include "cardwindow/ui/card_search.h"
#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/distribution_viewer.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "cardwindow/ui/tconfigura2.h"
#include "cardwindow/ui/tindicatori.h"
#include "cardwindow/ui/tmerge.h"
#include "cardwindow/ui/trange.h"
#include "cardwindow/ui/tricodifica.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/tgriglie.h"
#include "elaborations/ui/tmaxsim.h"
#include "elaborations/ui/tvedeafc.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/quick_report_forms.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelociafc.h"
#include "quick/ui/telabvelociaggiungi.h"
#include "quick/ui/telabvelocilink.h"
#include "quick/ui/telabvelociliste.h"
#include "quick/ui/telabvelocireports.h"
#include "selection/search_by_example.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/saved_search_dialogs.h"
#include "selection/ui/temail.h"
#include "selection/ui/tetichette.h"
#include "selection/ui/tlistacliccabile.h"
#include "selection/ui/tlistamerge.h"
#include "selection/ui/tricercaschede.h"
#include "territory/ui/tlistaterritoriale.h"
#include "territory/ui/topzioni2.h"
#include "territory/ui/tunita.h"
#include "territory/ui/tvedecartina.h"

namespace qv {

void RegisterAllDialogs() {
    // Elaborations: cross tables (with the row picker and the weights dialog they open),
    // connections and quantitative tables.
    RegisterCrossTableDialogs();
    RegisterConnectionDialogs();
    RegisterAdditionalVariablesForm();
    RegisterQuickReportForms();
    RegisterFactorDialogs();
    RegisterFactorPlaneAndTypologies();
    RegisterQuickCommand(QuickCommand::Lists, [](QWidget* owner) { OpenQuickLists(owner); });
    RegisterQuickCommand(QuickCommand::LinkedArchives, &OpenLinkedArchiveSelection);
    RegisterQuickCommand(QuickCommand::ReportTables, &OpenReportTables);
    RegisterElaborationDialog(ElaborationDialog::GridEditor, &OpenGridEditor);
    RegisterElaborationDialog(ElaborationDialog::MaxSim, &OpenMaxSimDialog);

    // Card entry: the category pickers take the field and answer the category.
    RegisterCardExchange(CardDialog::CategoryList, &OpenCategoryList);
    RegisterCardExchange(CardDialog::CategoryChoice, &OpenCategoryChoice);
    RegisterCardDialog(CardDialog::EntryOptions, &OpenEntryOptions);
    RegisterCardDialog(CardDialog::GoToCard, &OpenGoToCardDialog);
    RegisterCardExchange(CardDialog::ClearFields, [](QWidget* owner, int) { return OpenClearDialog(owner); });
    RegisterCardExchange(CardDialog::CopyCard, [](QWidget* owner, int) { return OpenCopyDialog(owner); });
    RegisterCardDialog(CardDialog::QuickHub, &OpenQuickHub);
    RegisterCardDialog(CardDialog::TerritorialList, &OpenTerritorialList);
    RegisterQuickCommand(QuickCommand::Map, &OpenMapWindow);

    // Archive-wide jobs of the batch runner (2 to 6) and the dialogs that start 4 and 5.
    RegisterCardWindowJobs();
    RegisterCardDialog(CardDialog::RangeCheck, &OpenRangeDialog);
    RegisterCardDialog(CardDialog::Indicators, &OpenIndicatorsDialog);
    RegisterCardDialog(CardDialog::MergeArchives, &OpenMerge);
    RegisterCardDialog(CardDialog::Recoding, &OpenRecoding);

    // Search: conditions per field, options, saving and recalling, and the search step itself.
    RegisterConditionDialogs();
    RegisterCardDialog(CardDialog::SearchOptions, &OpenSearchOptions);
    RegisterCardDialog(CardDialog::ClearSearch, &OpenClearSearch);
    RegisterCardDialog(CardDialog::SaveSearch, &OpenSaveSearch);
    RegisterCardDialog(CardDialog::RecallSearch, &OpenRecallSearch);
    RegisterCardSearchStep([](Progress& progress) { ContinuaSch(progress); });
    RegisterCardDialog(CardDialog::DistributionView, &OpenDistributionView);

    // Lists: the clickable list answers 1 when a row's card became the current card; lists
    // over several archives.
    RegisterCardExchange(CardDialog::ClickableList,
                         [](QWidget* owner, int) { return ShowClickableList(owner); });
    RegisterCardDialog(CardDialog::Labels, &ShowLabelsDialog);
    RegisterCardDialog(CardDialog::MergedList, &OpenMergedListDialog);

    // E-mail to the cards.
    RegisterCardDialog(CardDialog::Email, &OpenEmailDialog);

    // Territory: the manual selection (the card window's municipality picker and the quick
    // selection's territory) and the map options.
    RegisterCardExchange(CardDialog::ComunePicker, &OpenComunePicker);
    RegisterQuickCommand(QuickCommand::ManualTerritory,
                         [](QWidget* owner) { OpenManualTerritorySelection(owner, CoreState.CommandCode); });
    RegisterQuickCommand(QuickCommand::MapOptions, [](QWidget* owner) { OpenMapOptions(owner); });
}

}  // namespace qv
