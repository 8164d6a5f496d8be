#include "cardwindow/linked_card.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr size_t kLabelChars = 10;

std::string Value(TextReader& in, size_t width) {
    in.ReadChars(kLabelChars);
    return in.ReadLine(width);
}

}  // namespace

LinkedArchiveSettings ReadLinkedArchiveSettings() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kLinkedArchive));
    LinkedArchiveSettings s;
    s.dir = StoredDir(Value(in, std::string::npos));
    s.wordsPerCard = LeadingInteger(Value(in, 255));
    s.textBytesPerCard = LeadingInteger(Value(in, 255));
    s.textBytesToCopy = LeadingInteger(Value(in, 255));
    s.wordsToCopy = LeadingInteger(Value(in, 255));
    return s;
}

void ImportLinkedCard() {
    const LinkedArchiveSettings link = ReadLinkedArchiveSettings();
    CoreState.OtherArchiveDir = link.dir;
    const CardGeometry geometry = CurrentCardGeometry();
    const int k = int16_t(CurrentCardValues[1]);
    if (k >= 1) {
        const int textCount = std::min(link.textBytesToCopy, geometry.textBytes);
        RecordFile text(DataFilePath(data_file::kOtherCardText), 1, RecordFile::Mode::Read);
        if (textCount > 0 && link.textBytesPerCard >= 0) {
            const int64_t got =
                text.ReadUpTo(int64_t(k - 1) * link.textBytesPerCard, &CurrentCardText[1], textCount);
            (void)got;  // bytes past the linked file's end keep the card's own
        }
        // Words 2 .. wordCount - 2: the last two words are this card's notes head in this
        // archive's notes file, which the linked card's words would not point into.
        const int wordCount = std::min(link.wordsToCopy, geometry.wordCount - 3);
        RecordFile values(DataFilePath(data_file::kOtherCardValues), 2, RecordFile::Mode::Read);
        if (wordCount > 0 && link.wordsPerCard >= 0) {
            std::vector<uint8_t> bytes(size_t(wordCount) * 2);
            const int64_t got = values.ReadUpTo(int64_t(k - 1) * link.wordsPerCard, bytes.data(), wordCount);
            for (int64_t i = 0; i < got; ++i)
                CurrentCardValues[size_t(2 + i)] = GetU16(&bytes[size_t(2 * i)]);
        }
    }
    CoreState.FirstCardWord = CurrentCardValues[1];
}

}  // namespace qv
