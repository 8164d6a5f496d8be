#include "support/card_reading.h"

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"

namespace qv::test {

void ForEachCard(const std::function<void(int32_t card)>& visit) {
    const int32_t keep = CoreState.CurrentCard;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        visit(c);
    }
    CoreState.CurrentCard = keep;
    if (keep >= 0 && keep <= CoreState.LastCard) ReadCardValues();
}

std::vector<int> WordOnCards(int field) {
    std::vector<int> values;
    ForEachCard([&](int32_t) { values.push_back(GetCardWord(field)); });
    return values;
}

int CountCards(const std::function<bool(int32_t card)>& test) {
    int n = 0;
    ForEachCard([&](int32_t c) { n += test(c) ? 1 : 0; });
    return n;
}

int CountSelected() {
    int n = 0;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) n += IsCardSelected(c) ? 1 : 0;
    return n;
}

}  // namespace qv::test
