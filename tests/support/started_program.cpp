#include "support/started_program.h"

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/ui/dialogs.h"

namespace qv::test {

void SampleProgram::SetUp() {
    StartProgram();
}

void SampleProgram::TearDown() {
    StopProgram();
    ResetProgramState();
}

std::string SampleProgram::Arch(const std::string& name) {
    return CoreState.ArchiveDir + name;
}

std::string SampleProgram::Prog(const std::string& name) {
    return CoreState.ProgramDir + name;
}

void StartedProgram::SetUp() {
    SampleProgram::SetUp();
    Install();
}

void StartedProgram::TearDown() {
    ResetUiHooks();
    SampleProgram::TearDown();
}

}  // namespace qv::test
