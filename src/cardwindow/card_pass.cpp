#include "cardwindow/card_pass.h"

#include <algorithm>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {

constexpr int32_t kBlockBytes = 1 << 21;

}  // namespace

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
    const std::vector<uint16_t> empty = EmptyCardValues(geometry);
    const int32_t perBlock = std::max<int32_t>(1, kBlockBytes / (2 * words));
    std::vector<uint16_t> block;
    std::vector<uint8_t> bytes;
    for (int32_t first = 0; first <= last; first += perBlock) {
        const int32_t count = std::min(perBlock, last - first + 1);
        block.resize(size_t(count) * words);
        files.ReadValuesBlock(first, count, block.data(), empty);
        for (int32_t k = 0; k < count; ++k) {
            uint16_t* card = block.data() + size_t(k) * words;
            CoreState.CurrentCard = first + k;
            std::copy_n(card, words, &CurrentCardValues[1]);
            visit(first + k);
            std::copy_n(&CurrentCardValues[1], words, card);
            progress.SetPosition(first + k);
        }
        bytes.resize(block.size() * 2);
        for (size_t i = 0; i < block.size(); ++i) PutU16(bytes.data() + 2 * i, block[i]);
        RecordFile out(files.ValuesPath(), kCardValueRecordBytes, RecordFile::Mode::ReadWrite);
        out.Write(int64_t(first) * geometry.ValueRecords(), bytes.data(),
                  int64_t(count) * geometry.ValueRecords());
    }
    CoreState.FirstCardWord = CurrentCardValues[1];
    return cards;
}

}  // namespace qv
