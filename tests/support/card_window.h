#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "cardwindow/ui/tprincipale.h"
#include "support/dialog_script.h"
#include "support/program_dir.h"

namespace qv::test {

// Takes back every card dialog, batch job and search step a test registered, then the dialog
// hooks and the program, so the next test meets the program as start-up leaves it.
void StopCardWindowProgram();

// The card window created and shown, as `person` meets it who leaves the write password
// unanswered.
std::unique_ptr<TPrincipale> OpenCardWindow(DialogScript& person);

// Word `word` (1 = first) of card `card` as the values file of the open archive holds it;
// -1 past the end of the file.
int16_t StoredCardWord(int card, int word);

// The card window on the sample archive, opened without the write password, with a person
// answering its dialogs.
class SampleCardWindow : public ::testing::Test, public DialogScript {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string ArchiveFile(const std::string& name) const { return root / ("Pianalto/" + name); }
    // Card `card` read from its files and shown, in `mode` unless that is 0.
    void GoToCard(int card, int mode = 0);

    ProgramRoot root;
    std::unique_ptr<TPrincipale> window;
};

}  // namespace qv::test
