#pragma once
#include <gtest/gtest.h>

#include "support/program_dir.h"

namespace qv::test {

// The program started on its own root (the sample archive, "Testo N" texts) and stopped when
// the test ends, with every dialog hook taken back.
class StartedProgram : public ::testing::Test {
  protected:
    // The root as ProgramRoot makes it from `shipped` and `texts`.
    explicit StartedProgram(bool shipped = false, int texts = 2499) : root(shipped, texts) {}
    void SetUp() override;
    void TearDown() override;

    ProgramRoot root;
};

}  // namespace qv::test
