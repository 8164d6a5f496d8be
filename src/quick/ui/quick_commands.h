#pragma once
#include "quick/ui/quick_forms.h"

class QWidget;

namespace qv {

// The windows that the quick hub and the quick selection open but that are built with other
// parts of the program. Each owner registers a function that creates its window with the given
// owner, shows it modally and destroys it; an unregistered command opens nothing.
enum class QuickCommand {
    SimpleDistributions = 1,  // TElabVelociSemplici
    CrossTables = 2,          // TElabVelociDoppie
    ReportTables = 3,         // TElabVelociReports
    FactorAnalysis = 4,       // TElabVelociAFC
    Lists = 5,                // TElabVelociListe
    Map = 6,                  // TVedeCartina: the opener allocates and releases the map's work arrays
    MapOptions = 7,           // TOpzioni2
    ManualTerritory = 8,      // TUnita
    LinkedArchives = 9,       // TElabVelociLink, opened by the report tables
};
// An empty opener removes the registration.
void RegisterQuickCommand(QuickCommand command, QuickFormOpener open);
// Opens a registered window; false, with nothing shown, when none is registered.
bool OpenQuickCommand(QuickCommand command, QWidget* owner);

}  // namespace qv
