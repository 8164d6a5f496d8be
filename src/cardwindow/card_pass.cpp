#include "cardwindow/card_pass.h"

#include <algorithm>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selected_cards.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

CardCount UpdateEveryCardValues(Progress& progress, const std::function<void(int32_t card)>& visit,
                                const std::string& valuesPath) {
    const CardFiles current = CardFiles::Current();
    const CardFiles files(current.TextPath(), valuesPath.empty() ? current.ValuesPath() : valuesPath,
                          current.IndexPath(), current.Geometry());
    const CardCount cards = files.CountCards();
    const int32_t last = cards.last;
    progress.SetMaximum(std::max(last, 0));
    const CardGeometry geometry = files.Geometry();
    const int words = geometry.wordCount;
    if (last < 0 || words == 0) return cards;
    std::vector<uint8_t> bytes;
    ForEachCardBlock(files, last, [&](int32_t first, int32_t count, int32_t, uint16_t* block) {
        for (int32_t k = 0; k < count; ++k) {
            uint16_t* card = block + size_t(k) * words;
            CoreState.CurrentCard = first + k;
            std::copy_n(card, words, &CurrentCardValues[1]);
            visit(first + k);
            std::copy_n(&CurrentCardValues[1], words, card);
            progress.SetPosition(first + k);
        }
        bytes.resize(size_t(count) * words * 2);
        for (size_t i = 0; i < size_t(count) * words; ++i) PutU16(bytes.data() + 2 * i, block[i]);
        RecordFile out(files.ValuesPath(), kCardValueRecordBytes, RecordFile::Mode::ReadWrite);
        out.Write(int64_t(first) * geometry.ValueRecords(), bytes.data(),
                  int64_t(count) * geometry.ValueRecords());
    });
    CoreState.FirstCardWord = CurrentCardValues[1];
    return cards;
}

}  // namespace qv
