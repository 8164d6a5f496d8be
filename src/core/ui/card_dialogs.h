#pragma once
#include <cstddef>
#include <functional>

class QWidget;

namespace qv {

// Dialogs the card window opens but that are built with other parts of the program: for the
// field under the cursor the category pickers, the municipality picker, the territorial list of
// a linked field, the condition dialogs of the selection mode and the distribution view; from the
// main menu and the tool buttons the entry options, the search dialogs, the lists, labels and
// maintenance dialogs. Each owner registers a function that creates its dialog with the given
// owner, shows it modally and destroys it. A dialog that takes a value or answers one is an
// exchange: its function takes the argument and returns the answer, and is the one place that
// stores both in CoreState.CommandCode, where its help pages and later code read them.
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
    ClearFields = 24,       // TCancella: answers a ClearAnswer
    CopyCard = 25,          // TCopia: answers 0 to 2
};
constexpr int kCardDialogCount = 25;
// A dialog that neither takes nor answers a value.
using CardDialogOpener = std::function<void(QWidget* owner)>;
// An exchange: shows the dialog with `argument` and returns its answer, leaving in CommandCode
// what the dialog leaves there (the answer, or the argument when the dialog answers nothing).
using CardDialogExchange = std::function<int(QWidget* owner, int argument)>;
// An empty function removes the registration.
void RegisterCardDialog(CardDialog dialog, CardDialogOpener open);
void RegisterCardExchange(CardDialog dialog, CardDialogExchange exchange);
void RegisterCardDialog(CardDialog dialog, std::nullptr_t);
// Opens a registered dialog. An unregistered one is a fault: it stops a debug build, and
// shows a message and answers false otherwise.
bool OpenCardDialog(CardDialog dialog, QWidget* owner);
// One exchange with a registered dialog: its answer, 0 (also left in CommandCode) when the
// dialog is not registered.
int ExchangeCardDialog(CardDialog dialog, QWidget* owner, int argument);

}  // namespace qv
