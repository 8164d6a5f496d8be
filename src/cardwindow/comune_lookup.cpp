#include "cardwindow/comune_lookup.h"

#include <algorithm>
#include <cstdint>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {
namespace {

constexpr int kNameRecordSize = 38;
constexpr int kNameChars = 37;
constexpr size_t kKeyChars = 30;

std::string UpperAz(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// The two files, open for one lookup. Positions are 1-based as in the index's own numbering.
class AlphaIndex {
  public:
    AlphaIndex()
        : names_(DataFilePath(data_file::kComuneNames), kNameRecordSize, RecordFile::Mode::Read),
          index_(DataFilePath(data_file::kAlphaIndex), 2, RecordFile::Mode::Read) {}

    int Code(int position) const {
        uint8_t word[2];
        index_.Read(position - 1, word);
        return GetI16(word);
    }

    // Upper-cased first 30 characters of the name at an alphabetical position. An entry that is
    // no code names nothing, so a damaged index never reads outside the name table.
    std::string Key(int position) const {
        int code = Code(position);
        if (code < 1 || code > TerritoryCount) return {};
        uint8_t record[kNameRecordSize];
        names_.Read(code - 1, record);
        size_t length = std::min<size_t>(std::min<int>(record[0], kNameChars), kKeyChars);
        return UpperAz(std::string(reinterpret_cast<const char*>(record + 1), length));
    }

  private:
    RecordFile names_;
    RecordFile index_;
};

// One halving search; `found` says when the name at the probe is the one wanted. Comparisons are
// byte by byte (std::string compares as unsigned chars) with a prefix before the longer string.
template <typename Found>
int Halve(const AlphaIndex& index, const std::string& key, int count, Found found) {
    int lo = 1, hi = count, m = count / 2;
    std::string cur = index.Key(m);
    for (;;) {
        int prev = m;
        m = (hi + lo) / 2;
        if (key > cur && m == prev) {
            ++m;
            ++lo;
        }
        if (key < cur && m == prev) {
            --m;
            --hi;
        }
        // Only reachable with a tiny table; stay inside the index.
        if (m < 1 || m > count) return 0;
        cur = index.Key(m);
        if (key < cur) hi = m;
        if (key > cur) lo = m;
        if (found(cur)) return index.Code(m);
        if (hi <= lo) return 0;
    }
}

}  // namespace

int FindComuneByName(const std::string& text) {
    std::string key = text;
    if (!key.empty() && key.back() == ' ') key.pop_back();
    key = UpperAz(key.substr(0, kKeyChars));
    // An empty key would equal an unused code's empty name, or begin every name.
    if (key.empty() || TerritoryCount < 2) return 0;

    AlphaIndex index;
    int code = Halve(index, key, TerritoryCount, [&](const std::string& cur) { return cur == key; });
    if (code != 0) return code;
    return Halve(index, key, TerritoryCount,
                 [&](const std::string& cur) { return cur.compare(0, key.size(), key) == 0; });
}

}  // namespace qv
