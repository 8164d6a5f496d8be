#pragma once
#include <functional>

class QWidget;

namespace qv {

// Dialogs the card window opens for the field under the cursor but that are built with other
// parts of the program: the category pickers, the municipality picker, the territorial list of a
// linked field, the condition dialogs of the selection mode and the distribution view. Each
// owner registers a function that creates its dialog with the given owner, shows it modally and
// destroys it; the exchange goes through CoreState.CommandCode as for every dialog.
enum class CardDialog {
    CategoryList = 1,       // TListaModalita: field in CommandCode, answer the category or 0
    CategoryChoice = 2,     // TSceltaModalita: the same exchange
    ComunePicker = 3,       // TUnita: the field's municipality in, the chosen one or 0 out
    TerritorialList = 4,    // TListaTerritoriale
    CategoryCondition = 5,  // TRicModalita: the field in CommandCode
    DateCondition = 6,      // TRicData
    QuantityCondition = 7,  // TRicQuantita
    DistributionView = 8,   // the field distribution view
};
using CardDialogOpener = std::function<void(QWidget* owner)>;
// An empty opener removes the registration.
void RegisterCardDialog(CardDialog dialog, CardDialogOpener open);
// Opens a registered dialog; false, with nothing shown, when none is registered.
bool OpenCardDialog(CardDialog dialog, QWidget* owner);

}  // namespace qv
