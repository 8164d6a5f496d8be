#include "support/walkthrough.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "app/startup.h"
#include "cardwindow/ui/password.h"
#include "cardwindow/ui/principale.h"
#include "app/register_all.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/ui/thelp.h"
#include "elaborations/ui/pickers.h"
#include "platform/ui/dialogs.h"
#include "support/card_selection.h"
#include "support/card_window.h"
#include "support/message_log.h"

namespace qv::test {

namespace {

std::string BareName(const char* className) {
    std::string name = className;
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

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
    window_ = OpenCardWindow();
    SetModalHook([this](QDialog& d) {
        // Forms declared without their own meta-object go by their object name.
        std::string name = BareName(d.metaObject()->className());
        if (name == "QDialog") name = d.objectName().toStdString();
        shown_.push_back(name);
        if (auto* viewer = qobject_cast<THelp*>(&d)) viewed_.push_back(viewer->MemoLines());
        const auto h = handlers_.find(name);
        if (h == handlers_.end()) {
            if (name != "THelp") unhandled_.push_back(name);
            return 0;
        }
        h->second(d);
        return d.result();
    });
    test::RecordMessages(messages_);
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

void Walkthrough::On(const std::string& className, Handler handler) {
    handlers_[className] = std::move(handler);
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
    w.On<TRighe>("TRighe", [=](TRighe& d) {
        d.Disattiva->click();
        for (int i = 0; i < rows; ++i) ClickListRow(d, d.modalita, firstRow + i);
        d.Esci->click();
    });
    w.On<TColonne>("TColonne", [=](TColonne& d) {
        d.Disattiva->click();
        for (int i = 0; i < columns; ++i) ClickListRow(d, d.modalita, firstColumn + i);
        d.Esci->click();
    });
}

}  // namespace qv::test
