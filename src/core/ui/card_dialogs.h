#pragma once
#include <functional>

class QWidget;

namespace qv {

// Dialogs the card window opens but that are built with other parts of the program: for the
// field under the cursor the category pickers, the municipality picker, the territorial list of
// a linked field, the condition dialogs of the selection mode and the distribution view; from the
// main menu and the tool buttons the entry options, the search dialogs, the lists, labels and
// maintenance dialogs. Each owner registers a function that creates its dialog with the given
// owner, shows it modally and destroys it; the exchange goes through CoreState as for every
// dialog.
enum class CardDialog {
    CategoryList = 1,       // TListaModalita: field in CommandCode, answer the category or 0
    CategoryChoice = 2,     // TSceltaModalita: the same exchange
    ComunePicker = 3,       // TUnita: the field's municipality in, the chosen one or 0 out
    TerritorialList = 4,    // TListaTerritoriale
    CategoryCondition = 5,  // TRicModalita: the field in CommandCode
    DateCondition = 6,      // TRicData
    QuantityCondition = 7,  // TRicQuantita
    DistributionView = 8,   // the field distribution view
    SearchOptions = 9,      // TRicercaSchede
    ClearSearch = 10,       // TAzzeraRicerca
    SaveSearch = 11,        // TSalvaRicerca
    RecallSearch = 12,      // TApriRicerca
    Recoding = 13,          // TRicodifica
    Labels = 14,            // TEtichette
    MergedList = 15,        // TListaMerge
    ClickableList = 16,     // TListaCliccabile: answers 1 when a row's card became CurrentCard
    RangeCheck = 17,        // TRange
    Indicators = 18,        // Tindicatori
    MergeArchives = 19,     // TMerge
    EntryOptions = 20,      // TConfigura2: may store a marking mode in CardWindowMode
    Email = 21,             // TEmail
    QuickHub = 22,          // TElabVeloci
    GoToCard = 23,          // TNumeroScheda: sets CurrentCard
    ClearFields = 24,       // TCancella: answers 0 to 3
    CopyCard = 25,          // TCopia: answers 0 to 2
};
constexpr int kCardDialogCount = 25;
using CardDialogOpener = std::function<void(QWidget* owner)>;
// An empty opener removes the registration.
void RegisterCardDialog(CardDialog dialog, CardDialogOpener open);
// Opens a registered dialog. An unregistered one is a fault: it stops a debug build, and
// shows a message and answers false otherwise.
bool OpenCardDialog(CardDialog dialog, QWidget* owner);

}  // namespace qv
