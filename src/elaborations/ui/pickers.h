#pragma once
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/ui/widgets_fwd.h"
#include "platform/ui/dialogs.h"

namespace qv {

// The items and variables of a picker, read from a grid, its additional variables and its
// heading file.
struct PickerContents {
    std::vector<std::string> Items;      // one per grid line, then one per additional variable
    std::vector<std::string> Variables;  // caption of each heading block
    std::vector<int> VariableStarts;     // 0-based line of each variable's first line
    int GridLines = 0;
};
// `extrasPath` empty: no additional variables. Missing files give no items or no variables.
PickerContents ReadPickerContents(const std::string& gridPath, const std::string& extrasPath,
                                  const std::string& headingsPath);
// What the list shows for item `row`. A grid line is labelled with the first word of its
// variable's caption, so two variables whose captions begin alike ("Titolo di studio", "Titolo
// studio coniuge") would list the same lines: that word gives way to the whole caption.
std::string PickerRowText(const PickerContents& contents, int row);

// The list `modalita` of a flag picker: a click on an item calls `click` with its row, and the
// selection shows the flags only (ShowFlagSelection).
QListWidget* FlagListBox(QWidget* owner, std::function<void(int row)> click);
// Selects the items of `list` whose flag is set and shows how many are in `count`.
void ShowFlagSelection(QListWidget* list, const FlagList& flags, QLineEdit* count);
// The save or open dialog of a picker's run lists, in the program directory; empty when cancelled.
std::string AskRunListName(FileDialogKind kind, const std::string& filter);

// What the three pickers share: the list `modalita` of grid lines, whose selection is the flag
// list the dialog edits in place, the variable list `Variabile` and the count `nRighe`.
class GridPicker : public QDialog {
    Q_OBJECT
  public:
    QListWidget* modalita = nullptr;
    QComboBox* Variabile = nullptr;
    QLineEdit* nRighe = nullptr;
    QPushButton* Disattiva = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    // Toggles the item's flag and selection (refused past the limit).
    void modalitaClick(int item);
    void DisattivaClick();
    void EsciClick();
    void Help2Click();

    FlagList& Flags() { return *flags_; }
    const PickerContents& Contents() const { return contents_; }

  protected:
    GridPicker(QWidget* owner, const char* name);
    // Builds the items and variables and shows the flags.
    void Fill(FlagList& flags, const std::string& gridPath, const std::string& extrasPath,
              const std::string& headingsPath);
    void ShowFlags();
    // Lines of variable `index` of the combo box, as [first, last]; false when it has none.
    bool VariableLines(int index, int& first, int& last) const;
    void ScrollToVariable();
    void SetVariableFlags(uint8_t value);
    void SaveFlags(const std::string& filter);
    void RestoreFlags(const std::string& filter);

    int limit_ = 0;  // most items selected, 0 = no limit
    int helpPage_ = 0;
    FlagList* flags_ = nullptr;
    PickerContents contents_;
};

// The rows of the elaborations: StandardRowFlags over "grl-sch.txt" in CoreState.ElaborationMode
// 1, QuickRowFlags over "grl-dat.txt" and "agg-dat.txt" in mode 2.
class TRighe : public GridPicker {
    Q_OBJECT
  public:
    explicit TRighe(QWidget* owner);

    QLabel* Label1 = nullptr;
    QPushButton* Attiva = nullptr;
    QPushButton* AttivaVar = nullptr;
    QPushButton* DisattivaVar = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;

    void FormCreate();
    void VariabileClick();
    void AttivaClick();
    void AttivaVarClick();
    void DisattivaVarClick();
    void SalvaClick();
    void RecuperaClick();
};

// The columns, at most ten: StandardColumnFlags or QuickColumnFlags by the mode.
class TColonne : public GridPicker {
    Q_OBJECT
  public:
    explicit TColonne(QWidget* owner);

    QLabel* Label1 = nullptr;

    void FormCreate();
    void VariabileClick();
};

// One of the four MaxSim lists (CoreState.CommandCode 1 rows, 2 columns, 3 added rows, 4 added
// columns), kept in "ms-maxsm." and the list digit.
class TColMaxSim : public GridPicker {
    Q_OBJECT
  public:
    explicit TColMaxSim(QWidget* owner);

    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;

    void FormCreate();
    void EsciClick();
    void SalvaClick();
    void RecuperaClick();

    int List() const { return list_; }

  private:
    std::string ListPath() const;
    std::string Filter() const;
    int list_ = 1;
    FlagList own_{};
};

// Each opener creates the picker with `owner`, shows it modally and destroys it.
void OpenRowPicker(QWidget* owner);
void OpenColumnPicker(QWidget* owner);

}  // namespace qv
