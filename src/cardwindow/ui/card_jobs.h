#pragma once

namespace qv {

// Registers the card window's archive-wide jobs with the batch runner TEsegue: 2 and 3 the
// automatic attribution (copy and clear), 4 the range check, 5 the indicators, 6 the
// alphabetical reordering of categories. Called once at start-up.
void RegisterCardWindowJobs();

// A command that changes stored cards asks here first: without the write password it says so
// and answers true (the command stops).
bool RefusedWithoutWriteAccess();

}  // namespace qv
