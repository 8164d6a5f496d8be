#pragma once
#include <QDialog>
#include <QLineEdit>
#include <string>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/ui/qt_text.h"
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

// Forms on the sample archive, with "Testo N" for every text up to `texts`. Each dialog they show
// is noted in `opened` as its object name and the command code it was opened with.
class SelectionFormsTest : public StartedProgram {
  protected:
    explicit SelectionFormsTest(int texts = 2499) : StartedProgram(false, texts) {}
    void SetUp() override {
        StartedProgram::SetUp();
        onShow = [this](QDialog& d) {
            opened.push_back(d.objectName().toStdString() + " " + std::to_string(CoreState.CommandCode));
        };
    }
    static std::string Text(const QLineEdit* e) { return Cp(e->text()); }

    std::vector<std::string> opened;
};

}  // namespace qv::test
