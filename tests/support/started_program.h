#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"
#include "support/program_dir.h"

class QDialog;

namespace qv::test {

// A test on the running program over its own root (the sample archive, "Testo N" texts or the
// shipped table), stopped when the test ends with every dialog hook taken back. Every dialog is
// answered at once and noted, every message box is answered OK and kept, every open/save dialog
// is answered with `answer` and its request kept. Fixtures that need more
// add it in their own SetUp (after this one's) and undo it in their TearDown (before this one's).
class StartedProgram : public ::testing::Test {
  protected:
    // The root as ProgramRoot makes it from `shipped` and `texts`.
    explicit StartedProgram(bool shipped = false, int texts = 2499) : root(shipped, texts) {}
    void SetUp() override;
    void TearDown() override;
    static std::string Arch(const std::string& name);
    static std::string Prog(const std::string& name);

    ProgramRoot root;
    std::vector<std::string> shown;  // the object name of every dialog shown
    std::vector<int> viewed;         // CoreState.CommandCode of each text viewer opened
    std::vector<int> helpPages;      // the page of each help window opened
    std::vector<std::string> messages;
    std::function<void(QDialog&)> onShow;  // plays the person in a dialog, when set
    std::string answer;                    // the file an open/save dialog chooses (empty: cancelled)
    std::vector<FileDialogRequest> requests;
};

}  // namespace qv::test
