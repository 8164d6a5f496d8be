#pragma once

namespace qv {

// Fills every registry of dialogs, jobs and steps that one part of the program opens and
// another builds (card dialogs, elaboration dialogs, batch jobs, the card search step). The
// program block calls it once, before the main window is created; calling it again changes
// nothing.
void RegisterAllDialogs();

}  // namespace qv
