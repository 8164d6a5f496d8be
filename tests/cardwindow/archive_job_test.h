#pragma once
#include <gtest/gtest.h>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"

namespace qv::test {

// A test of an archive-wide job over reset program state: the shipped program directory with
// its texts loaded, so reports read as the person sees them, and an empty archive directory of
// its own. Fixtures write the archive's files in their own SetUp, after this one's.
class ArchiveJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = root.ProgramDir();
        BuildTextFile();
        CoreState.ArchiveDir = archive.Path();
    }

    ProgramRoot root{true};
    TempDir archive;
};

}  // namespace qv::test
