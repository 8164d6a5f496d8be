#include "selection/list_engine.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/order_index.h"
#include "core/selected_cards.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/text_file.h"
#include "selection/list_output.h"
#include "selection/print_mask.h"

namespace qv {

namespace {

bool IsArchiveField(int field) {
    return field >= 1 && field <= std::min(CoreState.FieldCount, kMaxFields);
}

// The value a group field gives on a card whose numeric part is `words` (word 1 at words[0]).
int32_t GroupValue(int field, const uint16_t* words, int wordCount) {
    if (!IsArchiveField(field)) return 0;
    const int p = FieldPositions[field];
    const auto inCard = [&](int w) { return w >= 1 && w <= wordCount; };
    if (FieldTypes[field] == FieldType::kNumber32)
        return inCard(p) && inCard(p + 1) ? DecodeCardNumber(words[p - 1], words[p]) : kEmptyNumber;
    return inCard(p) ? int16_t(words[p - 1]) : 0;
}

bool IsMunicipalityField(int field) {
    return field > 0 && field <= kMaxFields && FieldTypes[field] == FieldType::kMunicipality;
}

// One list run: the mask, the output text and the row records.
class ListRun {
  public:
    ListRun(int fileId, bool withRows) : withRows_(withRows) {
        out_.Bind(DataFilePath(fileId));
        out_.Create();
        mask_.Load();
    }

    void Heading() {
        Own(kNoCard);
        if (mask_.Tabular()) mask_.WriteTabularHeading(out_);
    }
    // The card CurrentCard through the mask, then the heading rule.
    void Card() {
        Own(CoreState.CurrentCard);
        mask_.FillPrintMask(out_);
        Own(kNoCard);
        mask_.AfterCardOutput(out_);
    }
    void SingleCard() { mask_.FillPrintMask(out_); }
    void GroupEnd() {
        Own(kNoCard);
        out_.Write('\f');
        out_.WriteLine();
    }

    // The list text first, then the rows that point into it.
    void Finish() {
        mask_.Release();
        const std::vector<int32_t> rows = withRows_ ? LineOwners() : std::vector<int32_t>();
        out_.Close();
        if (!withRows_) return;
        std::string bytes;
        bytes.reserve(rows.size() * 4);
        for (int32_t card : rows) AppendI32(bytes, card);
        WriteFileAtomic(DataFilePath(data_file::kRowCard), bytes);
    }

  private:
    static constexpr int32_t kNoCard = -1;

    // What is written from here on belongs to `card`.
    void Own(int32_t card) {
        if (!owners_.empty() && owners_.back().second == card) return;
        owners_.emplace_back(out_.Text().size(), card);
    }

    // One record per line of the text as the clickable list reads it: the owner of the line's
    // first byte, so that lines from breaks inside values and notes name their card too.
    std::vector<int32_t> LineOwners() const {
        std::vector<int32_t> rows;
        TextReader lines(out_.Text());
        size_t span = 0;
        while (!lines.Eof()) {
            const size_t start = lines.Position();
            while (span + 1 < owners_.size() && owners_[span + 1].first <= start) ++span;
            rows.push_back(owners_.empty() ? kNoCard : owners_[span].second);
            lines.SkipLine();
        }
        return rows;
    }

    bool withRows_;
    ListOutputFile out_;
    PrintMask mask_;
    std::vector<std::pair<size_t, int32_t>> owners_;  // text offset, card from there on
};

void PlainSequential(ListRun& run, Progress& progress) {
    run.Heading();
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        if (!IsCardSelected(c)) continue;
        CoreState.CurrentCard = c;
        progress.SetPosition(c);
        run.Card();
    }
}

void PlainAlphabetical(ListRun& run, const std::vector<int32_t>& order, Progress& progress) {
    run.Heading();
    int written = 0;
    for (int32_t e : order) {
        // An index from another state of the archive may name cards that are not there.
        if (e < 0 || e > CoreState.LastCard) continue;
        CoreState.CurrentCard = e;
        if (!IsCardSelected(e)) continue;
        progress.SetPosition(++written);
        run.Card();
    }
}

void Grouped(ListRun& run, const GroupKeys& groups, const std::vector<int32_t>* order, Progress& progress) {
    run.Heading();
    PassGroups(
        groups, order, progress, [&](const GroupKey&) { run.Card(); }, [&] { run.GroupEnd(); });
}

bool Grouping() {
    return CoreState.ListGroupField1 != 0 || CoreState.ListGroupField2 != 0;
}

void StartList(Progress& progress) {
    CoreState.ListReady = 1;
    CoreState.ListRow = 0;
    progress.SetMaximum(std::max<int32_t>(CoreState.LastCard, 0));
}

}  // namespace

GroupKeys BuildGroupKeys() {
    int& first = CoreState.ListGroupField1;
    int& second = CoreState.ListGroupField2;
    // A municipality splits the cards more finely than anything else: it goes second. Two of
    // them stay as the user chose them.
    if (IsMunicipalityField(first) && !IsMunicipalityField(second)) std::swap(first, second);

    GroupKeys groups;
    const int32_t cards = std::max<int32_t>(CoreState.LastCard + 1, 0);
    groups.keys.resize(size_t(cards));
    const int wordCount = CurrentCardGeometry().wordCount;
    ForEachCardBlock(cards - 1, [&](int32_t start, int32_t n, int32_t, const uint16_t* block) {
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t* words = block + size_t(i) * size_t(wordCount);
            const GroupKey key{GroupValue(first, words, wordCount), GroupValue(second, words, wordCount)};
            groups.keys[size_t(start + i)] = key;
            if (!groups.smallest || key < *groups.smallest) groups.smallest = key;
        }
    });
    return groups;
}

void PassGroups(const GroupKeys& groups, const std::vector<int32_t>* order, Progress& progress,
                const std::function<void(const GroupKey&)>& card, const std::function<void()>& groupEnd) {
    const int32_t count = order ? int32_t(order->size()) : CoreState.LastCard + 1;
    int written = 0;
    std::optional<GroupKey> current = groups.smallest;
    do {
        // The next group is the smallest key above this one among the selected cards; none
        // ends the list, whatever values the cards hold.
        std::optional<GroupKey> next;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t c = order ? (*order)[size_t(i)] : i;
            if (c < 0 || c >= int32_t(groups.keys.size())) continue;
            if (order) CoreState.CurrentCard = c;
            if (!IsCardSelected(c)) continue;
            if (!order) CoreState.CurrentCard = c;
            const GroupKey& k = groups.keys[size_t(c)];
            if (current && k > *current && (!next || k < *next)) next = k;
            if (!order) progress.SetPosition(c);
            if (current && k == *current) {
                card(k);
                if (order) progress.SetPosition(++written);
            }
        }
        groupEnd();
        current = next;
    } while (current);
}

void RunSequentialList(Progress& progress) {
    StartList(progress);
    ListRun run(data_file::kListOutput, true);
    if (Grouping()) {
        const GroupKeys groups = BuildGroupKeys();
        Grouped(run, groups, nullptr, progress);
    } else {
        PlainSequential(run, progress);
    }
    run.Finish();
}

ListOutcome RunAlphabeticalList(Progress& progress) {
    StartList(progress);
    if (!Grouping()) {
        auto order = ReadAlphabeticalOrder(CoreState.ListOrderField);
        if (!order) return ListOutcome::OrderIndexMissing;
        ListRun run(data_file::kListOutput, true);
        PlainAlphabetical(run, *order, progress);
        run.Finish();
        return ListOutcome::Done;
    }
    // The index is held whole while the groups are passed; no more entries than key slots.
    const size_t slots = (size_t(std::max<int32_t>(CoreState.LastCard + 1, 0)) / kKeyBlock + 1) * kKeyBlock;
    auto order = ReadAlphabeticalOrder(CoreState.ListOrderField, slots);
    if (!order) return ListOutcome::OrderIndexMissing;
    ListRun run(data_file::kListOutput, true);
    const GroupKeys groups = BuildGroupKeys();
    Grouped(run, groups, &*order, progress);
    run.Finish();
    return ListOutcome::Done;
}

void PrintCurrentCardThroughMask() {
    // The print shows the card as its files hold it; the card in hand (typed and not stored yet,
    // or the search form) stays as it is on screen.
    struct KeptCardInHand {
        decltype(CurrentCardText) text = CurrentCardText;
        decltype(CurrentCardValues) values = CurrentCardValues;
        int32_t card = CoreState.CurrentCard;
        decltype(CoreState.FirstCardWord) firstWord = CoreState.FirstCardWord;
        ~KeptCardInHand() {
            CurrentCardText = text;
            CurrentCardValues = values;
            CoreState.CurrentCard = card;
            CoreState.FirstCardWord = firstWord;
        }
    };
    const auto kept = std::make_unique<KeptCardInHand>();
    ListRun run(data_file::kReport, false);
    run.SingleCard();
    run.Finish();
}

}  // namespace qv
