#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

constexpr int kCodes = 8101;

struct Tables {
    std::string names;  // 38-byte records
    std::string index;  // 16-bit codes
    Tables()
        : names(test::ReadBytes(QV_SOURCE_DIR "/data/progdir/cmn-zor2.dat")),
          index(test::ReadBytes(QV_SOURCE_DIR "/data/progdir/di-alfac.dat")) {}
    std::string Name(int code) const {
        const char* r = names.data() + size_t(code - 1) * 38;
        return std::string(r + 1, std::min<int>(uint8_t(r[0]), 37));
    }
    int At(int position) const { return GetI16(Bytes(index) + 2 * (position - 1)); }
};

// The lookup's order: a-z folded, first 30 characters, unsigned bytes, a prefix before the longer.
std::vector<uint8_t> Key(const std::string& name) {
    std::vector<uint8_t> k;
    for (size_t i = 0; i < name.size() && i < 30; ++i) {
        uint8_t c = uint8_t(name[i]);
        k.push_back(c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c);
    }
    return k;
}

TEST(ComuniTables, SizesAndRecords) {
    Tables t;
    ASSERT_EQ(t.names.size(), size_t(kCodes) * 38);
    ASSERT_EQ(t.index.size(), size_t(kCodes) * 2);
    int used = 0;
    for (int code = 1; code <= kCodes; ++code) {
        const char* r = t.names.data() + size_t(code - 1) * 38;
        int length = uint8_t(r[0]);
        ASSERT_LE(length, 37) << code;
        // Zero-filled after the name; no control characters, and no trailing blank that
        // would keep the exact match from finding the name.
        EXPECT_EQ(std::string(r + 1 + length, 37 - length), std::string(37 - length, '\0')) << code;
        std::string name = t.Name(code);
        EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return uint8_t(c) >= 32; })) << code;
        if (length > 0) {
            EXPECT_NE(name.back(), ' ') << code;
            EXPECT_NE(name.front(), ' ') << code;
            ++used;
        }
    }
    // Every municipality of the list, the unused codes after them.
    EXPECT_GT(used, 7800);
    for (int code = 1; code <= kCodes; ++code) EXPECT_EQ(t.Name(code).empty(), code > used) << code;
}

TEST(ComuniTables, KnownRecords) {
    Tables t;
    struct Case {
        int code;
        const char* name;
    } cases[] = {
        {1, "Agli\xE8"},         // 001001, first of the province of Turin
        {2, "Airasca"},          // 001002
        {4, "Albiano d'Ivrea"},  // 001004, after 001003 Ala di Stura
    };
    for (const Case& c : cases) EXPECT_EQ(t.Name(c.code), c.name) << c.code;
    // Windows-1252 bytes, length byte first.
    EXPECT_EQ(test::ToHex(t.names.substr(0, 7)), test::ToHex(test::Hex("05 41 67 6C 69 E8 00")));
}

TEST(ComuniTables, IndexIsAPermutationInAlphabeticalOrder) {
    Tables t;
    std::vector<int> seen(kCodes + 1, 0);
    for (int p = 1; p <= kCodes; ++p) {
        int code = t.At(p);
        ASSERT_GE(code, 1) << p;
        ASSERT_LE(code, kCodes) << p;
        ++seen[code];
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), kCodes);
    for (int p = 1; p < kCodes; ++p)
        EXPECT_LE(Key(t.Name(t.At(p))), Key(t.Name(t.At(p + 1)))) << "position " << p;
    // The empty names of the unused codes come first, so the halving never meets them above a name.
    EXPECT_TRUE(t.Name(t.At(1)).empty());
    EXPECT_FALSE(t.Name(t.At(kCodes)).empty());
}

}  // namespace
}  // namespace qv
