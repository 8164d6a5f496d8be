#include "support/walkthrough.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "elaborations/ui/pickers.h"
#include "platform/ui/dialogs.h"
#include "support/card_selection.h"
#include "support/card_window.h"

namespace qv::test {

Walkthrough::Walkthrough(bool map) : root_(true) {
    if (map) {
        std::filesystem::create_directories(root_.Root() + "morvidex.win/geolar");
        CopyTree(std::string(QV_SOURCE_DIR) + "/data/territory/geolar/",
                 root_.Root() + "morvidex.win/geolar/");
    }
    std::filesystem::copy_file(ShippedProgramDir() + "pxx-dat.imp", root_.ProgramDir() + "pxx-dat.imp");
    StartProgram();
    RegisterAllDialogs();
    // The user starts without the write password.
    Install();
    window_ = OpenCardWindow(*this);
}

Walkthrough::~Walkthrough() {
    window_.reset();
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

std::string Walkthrough::ArchiveFile(const std::string& name) const {
    return CoreState.ArchiveDir + name;
}

void Walkthrough::SelectCards(const std::function<bool(int)>& keep) {
    CardSelectionMask.fill(0);
    for (int c = 0; c <= CoreState.LastCard; ++c)
        if (keep(c)) MarkSelected(c);
}

bool Walkthrough::Selected(int card) const {
    return IsCardSelected(card);
}

void ClickListRow(QDialog& form, QListWidget* list, int row) {
    form.show();
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr) << row;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

std::string LabelOf(const std::string& line, size_t width) {
    std::string label = line.substr(0, std::min(width, line.size()));
    while (!label.empty() && label.back() == ' ') label.pop_back();
    return label;
}

std::vector<std::string> FieldsFrom(const std::string& line, size_t from) {
    std::vector<std::string> fields;
    if (from >= line.size()) return fields;
    std::istringstream in(line.substr(from));
    for (std::string f; in >> f;) fields.push_back(f);
    return fields;
}

void ChooseRowsAndColumns(Walkthrough& w, int firstRow, int rows, int firstColumn, int columns) {
    w.On<TRighe>([=](TRighe& d) {
        d.Disattiva->click();
        for (int i = 0; i < rows; ++i) ClickListRow(d, d.modalita, firstRow + i);
        d.Esci->click();
    });
    w.On<TColonne>([=](TColonne& d) {
        d.Disattiva->click();
        for (int i = 0; i < columns; ++i) ClickListRow(d, d.modalita, firstColumn + i);
        d.Esci->click();
    });
}

}  // namespace qv::test
