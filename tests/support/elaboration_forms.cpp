#include "support/elaboration_forms.h"

#include <QListWidget>

#include "core/core_state.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/factor_dialogs.h"
#include "platform/text_file.h"
#include "support/temp_dir.h"

namespace qv::test {

void ElaborationForms::TearDown() {
    for (int code = 1; code <= 8; ++code) RegisterBatchJob(code, nullptr);
    for (int d = 1; d <= 8; ++d) RegisterElaborationDialog(ElaborationDialog(d), nullptr);
    RegisterFactorPlane(nullptr);
    RegisterTypologyAttribution(nullptr);
    StartedProgram::TearDown();
}

std::string ElaborationForms::Archive(const std::string& name) {
    return CoreState.ArchiveDir + name;
}

std::string ElaborationForms::Report() {
    return ReadBytes(CoreState.ProgramDir + "tabella.txt");
}

std::vector<std::string> ElaborationForms::ReportLines(const std::string& text) {
    TextReader r(text);
    std::vector<std::string> lines;
    while (!r.Eof()) lines.push_back(r.ReadLine());
    return lines;
}

void ElaborationForms::SelectFirstCards(int n) {
    CardSelectionMask.fill(0);
    for (int c = 0; c < n; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
}

std::vector<int> ElaborationForms::SetFlags(const FlagList& flags) {
    std::vector<int> set;
    for (int i = 0; i < kFlagListSize; ++i)
        if (flags[size_t(i)]) set.push_back(i);
    return set;
}

std::vector<int> ElaborationForms::Selected(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace qv::test
