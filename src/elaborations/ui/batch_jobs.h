#pragma once
#include <functional>

class QWidget;

namespace qv {

class TEsegue;

// The archive-wide jobs 2 to 6 of the batch runner belong to the card window, which registers
// them here; the runner only dispatches. A job uses the runner's progress bar `Barra` and may
// raise the input/output error. An unregistered job does nothing.
using BatchJob = std::function<void(TEsegue& runner)>;
// An empty job removes the registration.
void RegisterBatchJob(int code, BatchJob job);
// The job registered for `code`, empty when there is none.
BatchJob FindBatchJob(int code);

// The elaboration dialogs that the hub and the report dialogs open but that are built
// elsewhere. Each is registered by its owner as a function that shows it modally with the
// given owner; an unregistered dialog does nothing.
enum class ElaborationDialog {
    GridEditor = 1,          // TGriglie
    CrossTables = 2,         // TDoppie
    Connections = 3,         // TConnessioni
    QuantitativeTables = 4,  // TQuantitativeElab
    FactorAnalysis = 5,      // Tafc
    MaxSim = 6,              // TMaxSim
    RowPicker = 7,           // TRighe
    QuantitativeUnit = 8,    // TQuantitativa: weights and the unit variable
};
using ElaborationDialogOpener = std::function<void(QWidget* owner)>;
void RegisterElaborationDialog(ElaborationDialog dialog, ElaborationDialogOpener open);
// Opens a registered dialog; false when none is registered.
bool OpenElaborationDialog(ElaborationDialog dialog, QWidget* owner);

}  // namespace qv
