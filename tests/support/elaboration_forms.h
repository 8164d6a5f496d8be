#pragma once
#include <string>
#include <vector>

#include "core/core_state.h"
#include "support/started_program.h"

class QListWidget;

namespace qv::test {

// The elaboration forms on the started program: every elaboration dialog, batch job, factor plane and
// typology attribution a test registers is taken back when it ends.
class ElaborationForms : public StartedProgram {
  protected:
    explicit ElaborationForms(bool shipped = false) : StartedProgram(shipped) {}
    void TearDown() override;

    // A file of the open archive.
    static std::string Archive(const std::string& name);
    // The last report written ("tabella.txt" in the program directory).
    static std::string Report();
    // The lines of a report text, as the viewer reads them.
    static std::vector<std::string> ReportLines(const std::string& text);
    // Cards 0 to n-1 selected, no other.
    static void SelectFirstCards(int n);
    // The indexes of the flags set in a list, and of the rows selected in a list box.
    static std::vector<int> SetFlags(const FlagList& flags);
    static std::vector<int> Selected(const QListWidget* list);
};

}  // namespace qv::test
