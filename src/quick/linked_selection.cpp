#include "quick/linked_selection.h"

#include <algorithm>
#include <cstring>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "quick/preparation.h"
#include "quick/quick_selection.h"

namespace qv {

namespace {

constexpr size_t kLineWidth = 65535;

std::string LinkFile(int fileId, int link) {
    return DataFilePath(fileId) + char('0' + link);
}

// The key of every card 0..LastCard; a card past the end of the file (added after the
// preparation) has no key.
std::vector<int16_t> ReadLinkKeys(int link) {
    if (link < 1 || link > kMaxLinks) ThrowIo(kFileNotFound, DataFilePath(data_file::kLinkKeysStem));
    const std::string bytes = ReadFileOrThrow(LinkFile(data_file::kLinkKeysStem, link));
    const int32_t cards = std::max<int32_t>(CoreState.LastCard + 1, 0);
    std::vector<int16_t> keys(size_t(cards), 0);
    const size_t stored = std::min(keys.size(), bytes.size() / 2);
    for (size_t c = 0; c < stored; ++c)
        keys[c] = GetI16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * c);
    return keys;
}

bool ValidKey(int key) {
    return key >= 1 && key <= kMaxLinkKey;
}

}  // namespace

std::optional<std::vector<std::string>> ReadLinkNames() {
    const std::optional<std::vector<LinkBlock>> blocks = ReadLinkDefinitions();
    if (!blocks) return std::nullopt;
    std::vector<std::string> names;
    for (const LinkBlock& block : *blocks) {
        // The blocks the preparation builds files for, and no other.
        if (!block.Complete || !LinkValueSet(block.Values[0]) || names.size() == size_t(kMaxLinks)) continue;
        names.push_back(block.Values[1]);
    }
    return names;
}

LinkedCards CollectLinkedCards(int link) {
    const std::vector<int16_t> keys = ReadLinkKeys(link);
    const std::string namesPath = LinkFile(data_file::kLinkNamesStem, link);
    TextReader names;
    names.OpenOrThrow(namesPath);

    LinkedCards result;
    std::vector<bool> marked(size_t(kLinkKeyTableSize), false);
    for (size_t c = 0; c < keys.size(); ++c) {
        if (!IsCardSelected(int32_t(c))) continue;
        ++result.SelectedCards;
        if (ValidKey(keys[c])) marked[size_t(keys[c])] = true;
    }
    for (int k = 1; k <= kMaxLinkKey && !names.Eof(); ++k) {
        std::string line = names.ReadLine(kLineWidth);
        if (!marked[size_t(k)]) continue;
        result.Keys.push_back(int16_t(k));
        result.Lines.push_back(std::move(line));
    }
    return result;
}

void SelectByLinkedCard(int link, int key, const std::string& entry) {
    const std::vector<int16_t> keys = ReadLinkKeys(link);
    CardBitmap bits(kSelectionMaskBytes);
    if (ValidKey(key))
        for (size_t c = 0; c < keys.size(); ++c)
            if (keys[c] == key) bits.Set(int64_t(c));
    // Logged first: a log that cannot be written leaves the selection as it was.
    AppendSelectionLog(entry);
    CombineIntoSelection(SelectionOperation::And, bits);
}

void SaveSelectionSnapshot() {
    WriteFileAtomic(
        DataFilePath(data_file::kSnapshotMask),
        std::string_view(reinterpret_cast<const char*>(CardSelectionMask.data()), kSelectionMaskBytes));
    TextBuilder copy;
    for (const std::string& line : ReadSelectionLog().value_or(std::vector<std::string>{})) copy.Line(line);
    copy.Save(DataFilePath(data_file::kSnapshotLog));
}

void RestoreSelectionSnapshot() {
    const std::string maskPath = DataFilePath(data_file::kSnapshotMask);
    const std::string mask = ReadFileOrThrow(maskPath);
    if (mask.size() < size_t(kSelectionMaskBytes)) ThrowIo(kReadPastEnd, maskPath);
    const std::optional<std::vector<std::string>> log =
        TextReader::ReadLines(DataFilePath(data_file::kSnapshotLog), kLineWidth);
    if (!log) ThrowIo(kFileNotFound, DataFilePath(data_file::kSnapshotLog));
    TextBuilder restored;
    for (const std::string& line : *log) restored.Line(line);
    restored.Save(SelectionLogPath());
    std::memcpy(CardSelectionMask.data(), mask.data(), kSelectionMaskBytes);
}

}  // namespace qv
