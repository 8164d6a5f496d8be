#include "elaborations/card_classifier.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace qv {

namespace {

// A 16-bit value finds its class through a direct table over the bounds (within 16 bits): a load
// in place of a count or a search, for at most 128 kB a field.
constexpr size_t kDirectEntries = 65536;

// 0-based offset of card word `position` (1-based), or -1 when the card has no such word.
int WordOffset(int position, int wordCount) {
    return position >= 1 && position <= wordCount ? position - 1 : -1;
}

}  // namespace

FieldWords LocateField(int field, int wordCount) {
    FieldWords w;
    if (field < 1 || field > kMaxFields) return w;
    int p = FieldPositions[field];
    w.first = WordOffset(p, wordCount);
    if (w.first < 0) return w;
    w.second = WordOffset(p + 1, wordCount);
    w.third = WordOffset(p + 2, wordCount);
    w.hasNumber = w.second >= 0;
    return w;
}

void ClassLookup::Build(bool word16) {
    for (const Class& c : classes_) {
        bounds_.push_back(c.low);
        bounds_.push_back(int64_t(c.high) + 1);
    }
    std::sort(bounds_.begin(), bounds_.end());
    bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
    const size_t intervals = bounds_.empty() ? 0 : bounds_.size() - 1;
    starts_.assign(intervals + 2, 0);
    for (size_t j = 0; j < intervals; ++j) {
        starts_[j + 1] = uint32_t(categories_.size());
        for (const Class& c : classes_)
            if (c.low <= bounds_[j] && bounds_[j + 1] - 1 <= c.high) categories_.push_back(c.category);
        std::sort(categories_.begin() + starts_[j + 1], categories_.end());
    }
    starts_[intervals + 1] = uint32_t(categories_.size());
    bool single = true;
    for (size_t j = 0; j < intervals; ++j) single = single && starts_[j + 2] - starts_[j + 1] <= 1;
    if (single && intervals > 0) {
        only_.assign(intervals + 1, 0);
        for (size_t j = 0; j < intervals; ++j)
            if (starts_[j + 2] > starts_[j + 1]) only_[j + 1] = categories_[starts_[j + 1]];
    }
    word16_ = word16;
}

void ClassLookup::BuildMaps() {
    if (mapsBuilt_) return;
    mapsBuilt_ = true;
    const size_t intervals = bounds_.empty() ? 0 : bounds_.size() - 1;
    const bool word16 = word16_;
    // The slot of a value is its segment; values below and above every bound hold nothing.
    std::vector<uint16_t> segments(bounds_.size() + 1, 0);
    for (size_t j = 0; j < intervals; ++j) segments[j + 1] = uint16_t(j + 1);
    map_ = store_.BuildMap(bounds_, segments, word16, kDirectEntries);
    if (!only_.empty()) {  // the same bounds, each interval giving its category
        for (size_t j = 0; j < intervals; ++j) segments[j + 1] = uint16_t(only_[j + 1]);
        categoryMap_ = store_.BuildMap(bounds_, segments, word16, kDirectEntries);
        store_.FixPointers(categoryMap_);
    }
    store_.FixPointers(map_);
}

CardClassifier::CardClassifier(const CategoryGrid& grid, const std::vector<uint8_t>& active, int wordCount)
    : grid_(grid) {
    truth_.assign(size_t(grid.Count) + 2, 0);
    std::map<std::tuple<int, int, int>, size_t> index;  // (kind, field, n) -> source
    for (int i = 1; i <= grid.Count; ++i) {
        if (!active[size_t(i)]) continue;
        if (grid.Parent[size_t(i)] > 0) childCategories_.push_back(i);
        if (!grid.HasStar[size_t(i)]) continue;  // never true
        const int f = grid.Field[size_t(i)], n = grid.FieldCount[size_t(i)];
        if (f < 1 || f > kMaxFields) continue;
        Kind kind;
        if (n > 0) {
            if (int64_t(f) + n - 1 > kMaxFields) continue;
            kind = Kind::Group;
        } else {
            // A field is read by the words its type takes: a word, a date or a 32-bit number.
            switch (FieldWordCount(FieldTypes[f])) {
                case 1:
                    kind = Kind::Word;
                    break;
                case 3:
                    kind = Kind::Date;
                    break;
                case 2:
                    kind = Kind::Number;
                    break;
                default:
                    continue;  // text fields are never true
            }
        }
        auto key = std::make_tuple(int(kind), f, kind == Kind::Group ? n : 0);
        auto it = index.find(key);
        if (it == index.end()) {
            Source s;
            s.kind = kind;
            s.words = LocateField(f, wordCount);
            if (kind == Kind::Group)
                for (int g = f; g < f + n; ++g) s.group.push_back(LocateField(g, wordCount).first);
            it = index.emplace(key, sources_.size()).first;
            sources_.push_back(std::move(s));
        }
        Source& s = sources_[it->second];
        if (kind == Kind::Group && (grid.Low[size_t(i)] == 0 || grid.High[size_t(i)] == 0))
            s.allEmpty.push_back(i);
        else
            s.lookup.Add(i, grid.Low[size_t(i)], grid.High[size_t(i)]);
    }
    for (Source& s : sources_) s.lookup.Build(s.kind == Kind::Word || s.kind == Kind::Group);
    parentRule_ = grid.ParentRepetitions == 2 && !childCategories_.empty();
    trueList_.reserve(size_t(grid.Count) + 1);
}

void CardClassifier::BuildLookups() {
    for (Source& s : sources_) s.lookup.BuildMaps();
    lookupsBuilt_ = true;
}

void CardClassifier::Classify(const uint16_t* card) {
    if (!lookupsBuilt_) BuildLookups();
    ForEachRawTrue(card, 0, 1, [this](size_t, int32_t c) {
        if (c) MarkOne(c);
    });
    if (parentRule_ && ApplyParentRule([this](int32_t c) { return truth_[size_t(c)] != 0; },
                                       [this](int32_t c) { truth_[size_t(c)] = 0; }))
        std::erase_if(trueList_, [this](int32_t c) { return truth_[size_t(c)] == 0; });
}

void CardClassifier::SetTrueBits(const uint16_t* cards, size_t stride, size_t n, size_t skip, uint8_t* rows,
                                 size_t span) {
    if (!lookupsBuilt_) BuildLookups();
    if (parentRule_) {  // the rule needs the card's truths whole first
        for (size_t k = 0; k < n; ++k) {
            Classify(cards + k * stride);
            for (int32_t c : trueList_)
                rows[size_t(c) * span + (skip + k) / 8] |= uint8_t(0x80 >> ((skip + k) % 8));
            Clear();
        }
        return;
    }
    const size_t bytes = (skip + n + 7) / 8;
    // Bits outside skip..skip + n - 1 stay in segment 0, which holds no category.
    segments_.assign(bytes * 8, 0);
    uint16_t* segment = segments_.data() + skip;
    for (const Source& s : sources_) {
        const ClassLookup::Tables lookup = s.lookup.Held();
        const FieldWords w = s.words;
        auto over = [&](auto&& valueOf) {  // a loop for each kind of value
            if (lookup.only) {
                lookup.category.FindEach(n, valueOf, [segment](size_t k, uint16_t c) { segment[k] = c; });
                SetBitsByCategory(segments_.data(), bytes, rows, span);
                return;
            }
            lookup.map.FindEach(n, valueOf, [segment](size_t k, uint16_t slot) { segment[k] = slot; });
            SetBitsBySegment(lookup, segments_.data(), bytes, rows, span);
        };
        switch (s.kind) {
            case Kind::Word:
                over([&](size_t k) { return int32_t(WordAt(cards + k * stride, w.first)); });
                break;
            case Kind::Date:
                over([&](size_t k) { return DateKeyAt(cards + k * stride, w); });
                break;
            case Kind::Number:
                over([&](size_t k) { return NumberAt(cards + k * stride, w); });
                break;
            case Kind::Group: {
                // Every word's classes; then the all-empty classes where no word holds a value
                // (segment 1 of a lookup of its own: 1 for the cards with none).
                empty_.assign(bytes * 8, 0);
                std::fill_n(empty_.begin() + ptrdiff_t(skip), n, 1);
                uint16_t* empty = empty_.data() + skip;
                for (int offset : s.group)
                    over([&](size_t k) {
                        const int16_t v = WordAt(cards + k * stride, offset);
                        empty[k] &= uint16_t(v == 0);
                        return int32_t(v);
                    });
                if (s.allEmpty.empty()) break;
                const uint32_t starts[] = {0, 0, uint32_t(s.allEmpty.size())};
                SetBitsBySegment({{}, starts, s.allEmpty.data(), nullptr, {}}, empty_.data(), bytes, rows,
                                 span);
                break;
            }
        }
    }
}

// Each card's one category, categories[b] for bit b of `bytes` bytes (row 0 takes the cards in
// none): a bit of every byte, then the next, so that no two sets in a row wait on one byte.
void CardClassifier::SetBitsByCategory(const uint16_t* categories, size_t bytes, uint8_t* rows, size_t span) {
    for (size_t j = 0; j < 8; ++j) {
        const uint8_t bit = uint8_t(0x80 >> j);
        const uint16_t* category = categories + j;
        for (size_t i = 0; i < bytes; ++i) rows[size_t(category[8 * i]) * span + i] |= bit;
    }
}

// Each card's categories from its segment, segments[b] for bit b, in the same order.
void CardClassifier::SetBitsBySegment(const ClassLookup::Tables& lookup, const uint16_t* segments,
                                      size_t bytes, uint8_t* rows, size_t span) const {
    for (size_t j = 0; j < 8; ++j) {
        const uint8_t bit = uint8_t(0x80 >> j);
        const uint16_t* segment = segments + j;
        for (size_t i = 0; i < bytes; ++i)
            for (uint32_t c = lookup.starts[segment[8 * i]]; c < lookup.starts[segment[8 * i] + 1]; ++c)
                rows[size_t(lookup.categories[c]) * span + i] |= bit;
    }
}

}  // namespace qv
