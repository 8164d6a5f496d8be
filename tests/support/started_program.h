#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"
#include "support/program_dir.h"

class QDialog;

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

// The sample program with its dialogs answered: every dialog at once and noted, every message box
// with OK and kept, every open/save dialog with `answer` and its request kept; every hook is taken
// back when the test ends. Fixtures that need more add it in their own SetUp (after this one's)
// and undo it in their TearDown (before this one's).
class StartedProgram : public SampleProgram {
  protected:
    explicit StartedProgram(bool shipped = false, int texts = 2499) : SampleProgram(shipped, texts) {}
    void SetUp() override;
    void TearDown() override;

    std::vector<std::string> shown;  // the object name of every dialog shown
    std::vector<int> viewed;         // CoreState.CommandCode of each text viewer opened
    std::vector<int> helpPages;      // the page of each help window opened
    std::vector<std::string> messages;
    std::function<void(QDialog&)> onShow;  // plays the person in a dialog, when set
    std::string answer;                    // the file an open/save dialog chooses (empty: cancelled)
    std::vector<FileDialogRequest> requests;
};

}  // namespace qv::test
