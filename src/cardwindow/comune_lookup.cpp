#include "cardwindow/comune_lookup.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "territory/manual_selection.h"

namespace qv {
namespace {

constexpr size_t kKeyChars = 30;

// Each Windows-1252 byte as the key has it: a-z upper case, accented letters as their plain
// upper-case letter; everything else as it is.
constexpr std::array<uint8_t, 256> MakeFold() {
    std::array<uint8_t, 256> fold{};
    for (int c = 0; c < 256; ++c) fold[size_t(c)] = uint8_t(c);
    for (int c = 'a'; c <= 'z'; ++c) fold[size_t(c)] = uint8_t(c - 'a' + 'A');
    struct Range {
        int first, last;
        char plain;
    };
    constexpr Range accented[] = {{0xC0, 0xC5, 'A'}, {0xE0, 0xE5, 'A'}, {0xC7, 0xC7, 'C'}, {0xE7, 0xE7, 'C'},
                                  {0xC8, 0xCB, 'E'}, {0xE8, 0xEB, 'E'}, {0xCC, 0xCF, 'I'}, {0xEC, 0xEF, 'I'},
                                  {0xD1, 0xD1, 'N'}, {0xF1, 0xF1, 'N'}, {0xD2, 0xD6, 'O'}, {0xF2, 0xF6, 'O'},
                                  {0xD8, 0xD8, 'O'}, {0xF8, 0xF8, 'O'}, {0xD9, 0xDC, 'U'}, {0xF9, 0xFC, 'U'},
                                  {0xDD, 0xDD, 'Y'}, {0xFD, 0xFD, 'Y'}, {0xFF, 0xFF, 'Y'}, {0x9F, 0x9F, 'Y'},
                                  {0x8A, 0x8A, 'S'}, {0x9A, 0x9A, 'S'}, {0x8E, 0x8E, 'Z'}, {0x9E, 0x9E, 'Z'}};
    for (const Range& r : accented)
        for (int c = r.first; c <= r.last; ++c) fold[size_t(c)] = uint8_t(r.plain);
    return fold;
}
constexpr std::array<uint8_t, 256> kFold = MakeFold();

// Blanks and apostrophes, the straight one and the typographic one word processors put.
bool IsSeparator(uint8_t c) {
    return c == ' ' || c == '\'' || c == 0x92;
}

}  // namespace

std::string FoldLetters(std::string_view text) {
    std::string folded;
    FoldLetters(text, folded);
    return folded;
}

void FoldLetters(std::string_view text, std::string& folded) {
    folded.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) folded[i] = char(kFold[uint8_t(text[i])]);
}

// The key of `name` into `room`, as a view of it.
std::string_view NameKey(std::string_view name, char (&room)[kKeyChars]) {
    size_t size = 0;
    bool gap = false;
    for (const char ch : name) {
        const uint8_t c = uint8_t(ch);
        if (IsSeparator(c)) {
            gap = size > 0;
            continue;
        }
        if (gap) room[size++] = ' ';
        if (size == kKeyChars) break;
        gap = false;
        room[size++] = char(kFold[c]);
        if (size == kKeyChars) break;
    }
    while (size > 0 && room[size - 1] == ' ') --size;
    return std::string_view(room, size);
}

std::string ComuneNameKey(std::string_view name) {
    char room[kKeyChars];
    return std::string(NameKey(name, room));
}

ComuneNameTable::ComuneNameTable() {
    names_ = ReadComuneNames(1, std::max(TerritoryCount, 0));
    sorted_.reserve(names_.size());
    for (int code = 1; code <= int(names_.size()); ++code) {
        // An unused code has no name: no text may stand for it.
        if (std::string key = ComuneNameKey(names_[size_t(code - 1)]); !key.empty())
            sorted_.push_back({std::move(key), code});
    }
    std::sort(sorted_.begin(), sorted_.end(), [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key < b.key : a.code < b.code;
    });
    // A key of one municipality gives its code; a key of several, minus the place of the first
    // of them (from 1).
    whole_ = NameIndex(sorted_.size());
    for (size_t i = 0; i < sorted_.size();) {
        size_t next = i + 1;
        while (next < sorted_.size() && sorted_[next].key == sorted_[i].key) ++next;
        whole_.Put(sorted_[i].key, next == i + 1 ? sorted_[i].code : -int(i + 1));
        i = next;
    }
}

std::vector<int> ComuneNameTable::Matches(std::string_view text) const {
    std::vector<int> found;
    Matches(text, found);
    return found;
}

void ComuneNameTable::Matches(std::string_view text, std::vector<int>& found) const {
    found.clear();
    char room[kKeyChars];
    const std::string_view key = NameKey(text, room);
    if (key.empty()) return;
    // Whole names are what is typed most: they are found straight away.
    const int whole = whole_.Value(key);
    if (whole > 0) {
        found.push_back(whole);
        return;
    }
    auto it = whole ? sorted_.begin() + (-whole - 1)
                    : std::lower_bound(sorted_.begin(), sorted_.end(), key,
                                       [](const Entry& e, std::string_view k) { return e.key < k; });
    // The names that begin with the key follow one another from there, the equal ones first
    // (by code): those alone are the answer when there are any.
    for (; it != sorted_.end() && it->key == key; ++it) found.push_back(it->code);
    if (!found.empty()) return;
    for (; it != sorted_.end() && std::string_view(it->key).starts_with(key); ++it) found.push_back(it->code);
    std::sort(found.begin(), found.end());
}

std::string ComuneNameTable::Name(int code) const {
    return code >= 1 && size_t(code) <= names_.size() ? names_[size_t(code - 1)] : std::string();
}

std::vector<int> FindComuni(std::string_view text) {
    if (ComuneNameKey(text).empty()) return {};
    return ComuneNameTable().Matches(text);
}

std::vector<std::string> ComuneChoiceItems(const std::vector<int>& codes) {
    const ComuneNameTable names;
    const ProvinceTable provinces = ReadProvinceTable();
    std::vector<std::string> items;
    for (int code : codes) {
        std::string item = names.Name(code);
        if (const int p = ProvinceContaining(provinces, code); p >= 0)
            item += " (" + provinces.names[size_t(p)] + ")";
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace qv
