#pragma once
#include <functional>

class QWidget;

namespace qv {

class TEsegue;

// The batch runner's jobs, by the code its opener leaves in CoreState.CommandCode.
enum BatchJobCode : int {
    kPlainJob = 1,             // runs nothing; titled as the card window's jobs after it
    kAttributionJob = 2,       // the fields filled on the card typed in mode 3 are copied into
                               // every selected card
    kAttributionClearJob = 3,  // those fields are emptied in every selected card
    kRangeCheckJob = 4,        // coded values out of their lists are listed and emptied
    kIndicatorsJob = 5,        // the indicators are computed into their fields
    kReorderJob = 6,           // the marked category lists are put in alphabetical order
    kCategoryCountJob = 7,     // the counting pass of the category tables
    kQuantitativeJob = 8,      // the passes of the quantitative tables
};

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
