#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/dialog_script.h"
#include "support/program_dir.h"

namespace qv::test {

// A test on the started program over its own root (the sample archive, "Testo N" texts or the
// shipped table), stopped and its state reset when the test ends.
class SampleProgram : public ::testing::Test {
  protected:
    // The root as ProgramRoot makes it from `shipped` and `texts`.
    explicit SampleProgram(bool shipped = false, int texts = 2499) : root(shipped, texts) {}
    void SetUp() override;
    void TearDown() override;
    static std::string Arch(const std::string& name);
    static std::string Prog(const std::string& name);

    ProgramRoot root;
};

// The sample program with a person answering its dialogs (DialogScript); every hook is taken back
// when the test ends.
class StartedProgram : public SampleProgram, public DialogScript {
  protected:
    explicit StartedProgram(bool shipped = false, int texts = 2499) : SampleProgram(shipped, texts) {}
    void SetUp() override;
    void TearDown() override;
};

}  // namespace qv::test
