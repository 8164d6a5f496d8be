#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/program_dir.h"

class QAbstractButton;
class QListWidget;

namespace qv {
class TPrincipale;
}

namespace qv::test {

// The running program as a user meets it: the shipped texts, the sample archive opened by
// start-up, every dialog registered, the main window created, and a person answering each
// modal form through the handler given for its class. A form without a handler is closed at
// once (answer 0) and noted in Unhandled(); every text viewer shown is kept in Viewed().
class Walkthrough {
  public:
    using Handler = std::function<void(QDialog&)>;

    // With `map`, the shipped territorial base is copied to ROOT/morvidex.win/geolar/ first.
    explicit Walkthrough(bool map = false);
    ~Walkthrough();

    const ProgramRoot& Root() const { return root_; }
    TPrincipale& Window() { return *window_; }
    std::string ArchiveFile(const std::string& name) const;

    // `className` without namespace ("TSemplici").
    void On(const std::string& className, Handler handler);
    template <class Form>
    void On(const std::string& className, std::function<void(Form&)> handler) {
        On(className, [handler](QDialog& d) { handler(static_cast<Form&>(d)); });
    }

    const std::vector<std::vector<std::string>>& Viewed() const { return viewed_; }
    const std::vector<std::string>& Shown() const { return shown_; }
    const std::vector<std::string>& Unhandled() const { return unhandled_; }
    const std::vector<std::string>& Messages() const { return messages_; }

    // Selects exactly the cards for which `keep(card)` holds, as a search would.
    void SelectCards(const std::function<bool(int)>& keep);
    bool Selected(int card) const;

  private:
    ProgramRoot root_;
    std::unique_ptr<TPrincipale> window_;
    std::map<std::string, Handler> handlers_;
    std::vector<std::vector<std::string>> viewed_;
    std::vector<std::string> shown_, unhandled_, messages_;
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
