#pragma once
#include "core/selection_files.h"
#include "selection/collective_selection.h"
#include "support/started_program.h"

namespace qv::test {

// The running program with no search condition set; the selection file a dialog chose is
// forgotten when the test ends, so the next test starts without one.
class SearchDialogTest : public StartedProgram {
  protected:
    explicit SearchDialogTest(int texts = 2499) : StartedProgram(false, texts) {}
    void SetUp() override {
        StartedProgram::SetUp();
        ClearSearchCriteria();
    }
    void TearDown() override {
        SelectionFileName.clear();
        StartedProgram::TearDown();
    }
};

}  // namespace qv::test
