#include "cardwindow/attribution.h"

#include <algorithm>
#include <string>

#include "cardwindow/write_permission.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_type.h"
#include "core/selection_files.h"

namespace qv {

namespace {

bool WordsInCard(int field, const CardGeometry& g) {
    const int p = FieldPositions[field];
    const int n = FieldWordCount(FieldTypes[field]);
    return n > 0 && p >= 1 && p + n - 1 <= g.wordCount;
}

bool TextInCard(int field, const CardGeometry& g) {
    const int offset = FieldTextOffsets[field];
    return offset >= 1 && offset - 1 - FieldTypes[field] <= g.textBytes;
}

// The text of a text field of the pattern up to its first zero byte.
std::string PatternText(int field) {
    std::string text;
    const int offset = FieldTextOffsets[field];
    for (int i = 0; i < TypeOfField(field).TextWidth() && CurrentCardText[offset + i] != 0; ++i)
        text.push_back(char(CurrentCardText[offset + i]));
    return text;
}

bool AboveExclamationMark(const std::string& text) {
    // Byte by byte as unsigned, so accented letters count and "!" alone does not.
    return text.compare("!") > 0;
}

bool NumericFieldHoldsValue(int field) {
    switch (FieldTypes[field]) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
        case FieldType::kMunicipality:
            return GetCardWord(field) > 0;
        case FieldType::kDate: {
            const int day = GetCardWord(field);
            return day > 0 || CoreState.DateMonth > 0 || CoreState.DateYear > 0;
        }
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            return GetCardWord(field) > kEmptyShort;
        case FieldType::kNumber32:
            return GetCardNumber(field) > kEmptyNumber;
        default:
            return false;
    }
}

}  // namespace

AttributionLists BuildAttributionLists() {
    AttributionLists lists;
    const CardGeometry g = CurrentCardGeometry();
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f) {
        if (TypeOfField(f).IsText()) {
            if (TextInCard(f, g) && AboveExclamationMark(PatternText(f))) lists.textFields.push_back(f);
        } else if (WordsInCard(f, g) && NumericFieldHoldsValue(f)) {
            lists.numericFields.push_back(f);
        }
    }
    return lists;
}

void RunAttribution(AttributionKind kind, Progress& progress) {
    if (!CardChangesAllowed()) return;
    progress.SetMaximum(std::max(CoreState.LastCard, 0));
    SavedCardText = CurrentCardText;
    SavedCardValues = CurrentCardValues;
    const AttributionLists lists = BuildAttributionLists();
    const bool text = !lists.textFields.empty();
    const bool numbers = !lists.numericFields.empty();

    const int32_t kept = CoreState.CurrentCard;
    // The pattern comes back as the card in hand whatever happens to the pass.
    struct Restore {
        int32_t card;
        ~Restore() {
            CoreState.CurrentCard = card;
            CurrentCardText = SavedCardText;
            CurrentCardValues = SavedCardValues;
        }
    } restore{kept};

    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        CoreState.CurrentCard = c;
        progress.SetPosition(c);
        if (!IsCardSelected(c) || (!text && !numbers)) continue;
        if (text) ReadCardText();
        if (numbers) ReadCardValues();
        for (int f : lists.textFields) {
            if (kind == AttributionKind::Clear) {
                ClearCardFields(f, f);
                continue;
            }
            const int offset = FieldTextOffsets[f];
            std::copy_n(&SavedCardText[offset], TypeOfField(f).TextWidth(), &CurrentCardText[offset]);
        }
        for (int f : lists.numericFields) {
            if (kind == AttributionKind::Clear) {
                ClearCardFields(f, f);
                continue;
            }
            const int p = FieldPositions[f];
            std::copy_n(&SavedCardValues[p], FieldWordCount(FieldTypes[f]), &CurrentCardValues[p]);
        }
        if (text) WriteCardText();
        if (numbers) WriteCardValues();
    }
}

}  // namespace qv
