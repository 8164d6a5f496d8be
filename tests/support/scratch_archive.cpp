#include "support/scratch_archive.h"

#include "core/core_state.h"

namespace qv::test {

void ScratchArchive::SetUp() {
    ResetProgramState();
    CoreState.ProgramDir = dir.MakeDir("prog");
    CoreState.ArchiveDir = dir.MakeDir("arch");
}

std::string ScratchArchive::Arch(const std::string& name) {
    return CoreState.ArchiveDir + name;
}

std::string ScratchArchive::Report() {
    return ReadBytes(CoreState.ProgramDir + "tabella.txt");
}

}  // namespace qv::test
