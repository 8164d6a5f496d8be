#include "cardwindow/entry_options.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"

namespace qv {

namespace {

std::optional<uint8_t> SwitchByte(int fileId) {
    const auto bytes = TryReadFile(DataFilePath(fileId));
    if (!bytes || bytes->empty()) return std::nullopt;
    return uint8_t((*bytes)[0]);
}

void WriteSwitchByte(int fileId, bool on) {
    WriteFileAtomic(DataFilePath(fileId), std::string(1, on ? '\1' : '\0'));
}

}  // namespace

bool ReadCategoryListSwitch() {
    return SwitchByte(data_file::kCategoryListSwitch) == uint8_t(1);
}

bool ReadMouseSwitch() {
    const auto byte = SwitchByte(data_file::kMouseSwitch);
    return !byte || *byte == 1;
}

void StoreEntrySwitches(bool categoryLists, bool mouse) {
    WriteSwitchByte(data_file::kCategoryListSwitch, categoryLists);
    WriteSwitchByte(data_file::kMouseSwitch, mouse);
    CoreState.MouseEntry = mouse ? 1 : 0;
}

uint32_t ReadEntryBoxColour() {
    const auto bytes = TryReadFile(DataFilePath(data_file::kEntryBoxColour));
    if (!bytes || bytes->size() < 4) return kDefaultEntryBoxColour;
    return GetU32(reinterpret_cast<const uint8_t*>(bytes->data()));
}

void WriteEntryBoxColour(uint32_t colour) {
    std::string bytes(4, '\0');
    PutU32(reinterpret_cast<uint8_t*>(bytes.data()), colour);
    WriteFileAtomic(DataFilePath(data_file::kEntryBoxColour), bytes);
}

uint32_t BgrToRgb(uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

uint32_t RgbToBgr(uint32_t rgb) {
    return BgrToRgb(rgb);
}

void ClearByAnswer(int answer) {
    switch (answer) {
        case kClearField:
            ClearCardFields(CoreState.CurrentField, CoreState.CurrentField);
            break;
        case kClearAll: {
            // On the card window the card keeps its notes: clearing its fields must not cut it
            // off from them when it is stored again. The search form has no notes.
            const int32_t notes = CoreState.CardWindowMode == kEntryMode ? GetNotesHead() : 0;
            ClearCardFields(1, CoreState.FieldCount);
            if (notes) SetNotesHead(notes);
            break;
        }
        case kClearMarked:
            for (int f = 1; f <= std::min(CoreState.FieldCount, kMaxFields); ++f)
                if (IsClearField(f)) ClearCardFields(f, f);
            break;
        default:
            break;
    }
}

void CopyCardIntoHand(int32_t source) {
    const int32_t noted = CoreState.CurrentCard;
    CoreState.CommandCode = 1;
    if (source >= 0) {
        // The notes stay with the card they were written for: two cards sharing one chain would
        // overwrite each other's notes.
        const int32_t notes = GetNotesHead();
        CoreState.CurrentCard = source;
        try {
            ReadCardText();
            ReadCardValues();
        } catch (...) {
            CoreState.CurrentCard = noted;
            throw;
        }
        SetNotesHead(notes);
    }
    CoreState.CurrentCard = noted;
}

void ReloadCardInHand() {
    CoreState.CommandCode = 2;
    ReadCardText();
    ReadCardValues();
}

void GoToTypedCard(const std::string& text) {
    int64_t card = CoreState.CurrentCard;
    if (const std::optional<int32_t> n = WholeInteger(text))
        card = int64_t(*n) - 1;  // shown from 1, held from 0
    CoreState.CurrentCard = int32_t(std::clamp<int64_t>(card, 0, int64_t(CoreState.LastCard) + 1));
}

bool ClearModeMarks(int mode) {
    // Copy marks are taken off one field at a time: in mode 8 the button clears nothing.
    const int bit = mode == kCopyMarkMode ? 0 : MarkBitOfMode(mode);
    if (!bit) return false;
    for (int f = 1; f <= std::min(CoreState.FieldCount, kMaxFields); ++f)
        if (FieldAttributes[size_t(f)] & bit)
            FieldAttributes[size_t(f)] = int16_t(FieldAttributes[size_t(f)] - bit);
    return true;
}

}  // namespace qv
