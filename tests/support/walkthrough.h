#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/dialog_script.h"
#include "support/program_dir.h"

class QAbstractButton;
class QListWidget;

namespace qv {
class TPrincipale;
}

namespace qv::test {

// The running program as a user meets it: the shipped texts, the sample archive opened by
// start-up, every dialog registered, the main window created, and a person (DialogScript)
// answering each modal form through what the test says for its class.
class Walkthrough : public DialogScript {
  public:
    // With `map`, the shipped territorial base is copied to ROOT/morvidex.win/geolar/ first.
    explicit Walkthrough(bool map = false);
    ~Walkthrough();

    const ProgramRoot& Root() const { return root_; }
    TPrincipale& Window() { return *window_; }
    std::string ArchiveFile(const std::string& name) const;

    // Selects exactly the cards for which `keep(card)` holds, as a search would.
    void SelectCards(const std::function<bool(int)>& keep);
    bool Selected(int card) const;

  private:
    ProgramRoot root_;
    std::unique_ptr<TPrincipale> window_;
};

// A real mouse click on row `row` of a list box shown inside `form`.
void ClickListRow(QDialog& form, QListWidget* list, int row);

// Answers the row and column pickers as a user would: everything off, then the `rows` categories
// from grid line `firstRow` (0-based) and the `columns` categories from `firstColumn`.
void ChooseRowsAndColumns(Walkthrough& w, int firstRow, int rows, int firstColumn, int columns);
// A label of a report line: its first `width` characters without the trailing blanks.
std::string LabelOf(const std::string& line, size_t width = 60);
// The whitespace-separated fields of `line` from column `from` on.
std::vector<std::string> FieldsFrom(const std::string& line, size_t from);

}  // namespace qv::test
