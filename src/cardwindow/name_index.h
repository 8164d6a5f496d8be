#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

// Whole names looked up by hash, for runs that look up many typed names among the same labels
// or municipality names (the import). The names are views: what they point into must outlive
// the index.

namespace qv {

class NameIndex {
  public:
    // Room for `count` names before it grows.
    explicit NameIndex(size_t count = 0) {
        size_t size = 4;
        while (size < 2 * count) size *= 2;
        slots_.assign(size, Slot{});
    }

    // Gives `name` the value `value` (not 0); a later value replaces an earlier one.
    void Put(std::string_view name, int value) {
        if (2 * (used_ + 1) > slots_.size()) {
            std::vector<Slot> old(2 * slots_.size());
            old.swap(slots_);
            for (const Slot& s : old)
                if (s.value) slots_[Find(s.name, s.hash)] = s;
        }
        const uint64_t hash = Hash(name);
        Slot& slot = slots_[Find(name, hash)];
        used_ += slot.value ? 0 : 1;
        slot = {hash, value, name};
    }

    // The value of `name`, 0 when it has none.
    int Value(std::string_view name) const { return slots_[Find(name, Hash(name))].value; }

  private:
    struct Slot {
        uint64_t hash = 0;
        int value = 0;
        std::string_view name;
    };

    // Eight bytes at a time, the last eight (or four) overlapping the ones before: names are
    // mostly short, and a word built byte by byte in memory stalls the load that follows.
    static uint64_t Hash(std::string_view s) {
        constexpr uint64_t kMul = 0xff51afd7ed558ccdull;
        const char* p = s.data();
        const size_t n = s.size();
        uint64_t h = (n + 1) * 0x9e3779b97f4a7c15ull;
        auto mix = [&](uint64_t w) {
            h = (h ^ w) * kMul;
            h ^= h >> 32;
        };
        if (n >= 8) {
            for (size_t i = 0; i + 8 < n; i += 8) mix(Load<uint64_t>(p + i));
            mix(Load<uint64_t>(p + n - 8));
        } else if (n >= 4) {
            mix(Load<uint32_t>(p) | uint64_t(Load<uint32_t>(p + n - 4)) << 32);
        } else if (n > 0) {
            mix(uint8_t(p[0]) | uint64_t(uint8_t(p[n / 2])) << 8 | uint64_t(uint8_t(p[n - 1])) << 16);
        }
        // A product carries a change only upwards: the slot's low bits must see the high ones.
        h = (h ^ h >> 29) * 0xc4ceb9fe1a85ec53ull;
        return h ^ h >> 32;
    }
    template <typename Word>
    static Word Load(const char* p) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }

    // The slot holding `name`, else the empty one where it would go: at most half the slots are
    // taken, so an empty one ends every search.
    size_t Find(std::string_view name, uint64_t hash) const {
        const size_t mask = slots_.size() - 1;
        for (size_t i = size_t(hash) & mask;; i = (i + 1) & mask)
            if (!slots_[i].value || (slots_[i].hash == hash && slots_[i].name == name)) return i;
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

}  // namespace qv
