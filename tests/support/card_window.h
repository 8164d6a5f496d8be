#pragma once
#include <gtest/gtest.h>

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cardwindow/ui/principale.h"
#include "platform/ui/dialogs.h"
#include "support/program_dir.h"

namespace qv::test {

// Takes back every card dialog, batch job and search step a test registered, then the dialog
// hooks and the program, so the next test meets the program as start-up leaves it.
void StopCardWindowProgram();

// The card window created and shown, as a person meets it who leaves the write password
// unanswered.
std::unique_ptr<TPrincipale> OpenCardWindow();

// Word `word` (1 = first) of card `card` as the values file of the open archive holds it;
// -1 past the end of the file.
int16_t StoredCardWord(int card, int word);

// Every form of class `Dialog` shown modally is answered by `act`; any other (a help page or a
// viewer the form opens) is left unshown.
template <typename Dialog>
void AnswerForms(std::function<void(Dialog&)> act) {
    SetModalHook([act](QDialog& d) {
        if (auto* dialog = dynamic_cast<Dialog*>(&d)) act(*dialog);
        return d.result();
    });
}

// The card window on the sample archive, opened without the write password.
class SampleCardWindow : public ::testing::Test {
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
