#include "support/started_program.h"

#include "cardwindow/startup.h"
#include "core/core_state.h"
#include "platform/ui/dialogs.h"

namespace qv::test {

void StartedProgram::SetUp() {
    StartProgram();
}

void StartedProgram::TearDown() {
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

}  // namespace qv::test
