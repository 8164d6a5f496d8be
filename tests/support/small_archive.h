#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/progress.h"
#include "support/card_selection.h"
#include "support/recording_progress.h"
#include "support/records.h"
#include "support/temp_dir.h"

// Archives of one 50-byte text record and one 50-word numeric record per card, written straight
// into the card files of a temporary archive directory.

namespace qv::test {

struct SmallCard {
    std::array<uint8_t, 50> text{};
    std::array<uint16_t, 50> words{};  // words[0] is word 1

    SmallCard& Text(int offset, const std::string& s) {
        std::copy(s.begin(), s.end(), text.begin() + (offset - 1));
        return *this;
    }
    SmallCard& Word(int position, int value) {
        words[size_t(position - 1)] = uint16_t(value);
        return *this;
    }
    SmallCard& Number(int position, int32_t value) {
        EncodeCardNumber(value, words[size_t(position - 1)], words[size_t(position)]);
        return *this;
    }
};

inline std::string SmallTextFile(const std::vector<SmallCard>& cards) {
    std::string text;
    for (const SmallCard& c : cards) text.append(reinterpret_cast<const char*>(c.text.data()), c.text.size());
    return text;
}

inline std::string SmallValuesFile(const std::vector<SmallCard>& cards) {
    std::string words;
    for (const SmallCard& c : cards)
        for (uint16_t w : c.words) AppendU16(words, w);
    return words;
}

// The cards and the last-card index: `pastTheFiles` cards more than the files hold name cards
// another station has yet to write.
inline void StoreSmallCards(const std::string& dir, const std::vector<SmallCard>& cards,
                            int pastTheFiles = 0) {
    WriteBytes(dir + "alf-sch.dat", SmallTextFile(cards));
    WriteBytes(dir + "num-sch.dat", SmallValuesFile(cards));
    CoreState.LastCard = int32_t(cards.size()) - 1;
    WriteBytes(dir + "dli-sch.dat", Int32s({CoreState.LastCard + pastTheFiles}));
}

}  // namespace qv::test
