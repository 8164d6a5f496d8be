#include "quick/quick_lists.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/order_index.h"
#include "core/selection_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "selection/list_engine.h"
#include "selection/list_output.h"
#include "selection/print_mask.h"

namespace qv {

namespace {

constexpr int kProgressStep = 16;

// The files a list reads, opened before anything is written so that a missing one leaves the
// previous list in place.
void CheckListInputs() {
    RecordFile names(DataFilePath(data_file::kComuneNames), kComuneRecordBytes, RecordFile::Mode::Read);
    RecordFile text(DataFilePath(data_file::kCardText), 1, RecordFile::Mode::Read);
    RecordFile values(DataFilePath(data_file::kCardValues), 1, RecordFile::Mode::Read);
}

}  // namespace

QuickListOutcome RunQuickList(QuickListOrder order, Progress& progress) {
    std::optional<std::vector<int32_t>> cards;
    if (order == QuickListOrder::Alphabetical) {
        cards = ReadAlphabeticalOrder(CoreState.ListOrderField);
        if (!cards) return QuickListOutcome::OrderIndexMissing;
    } else {
        cards.emplace();
        for (int32_t c = 0; c <= CoreState.LastCard; ++c) cards->push_back(c);
    }
    CheckListInputs();
    progress.SetMaximum(std::max<int32_t>(CoreState.LastCard, 0));

    ListOutputFile out;
    out.Bind(DataFilePath(data_file::kListOutput));
    out.Create();
    PrintMask mask;
    mask.Load();
    for (size_t i = 0; i < cards->size(); ++i) {
        const int32_t c = (*cards)[i];
        if (i % kProgressStep == 0) progress.SetPosition(int(i));
        // An index made before cards were removed may name cards that are no longer there;
        // every bit past the last card is set after "all cards".
        if (c < 0 || c > CoreState.LastCard || !IsCardSelected(c)) continue;
        CoreState.CurrentCard = c;
        mask.FillPrintMask(out);
    }
    mask.Release();
    out.Close();
    progress.SetPosition(0);
    return QuickListOutcome::Done;
}

void CreateQuickMask() {
    if (!CreateMaskFromDefinition()) ThrowIo(kFileNotFound, DataFilePath(data_file::kCardDefinition));
}

std::string QuickMaskFileName(const std::string& chosen) {
    const size_t slash = chosen.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (chosen.find('.', start) != std::string::npos) return chosen;
    return chosen + ".mas";
}

void SaveQuickMask(const std::string& chosen) {
    CopyWorkingMaskToFile(QuickMaskFileName(chosen));
}

void LoadQuickMask(const std::string& path) {
    CopyFileToWorkingMask(path);
}

}  // namespace qv
