#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <tuple>
#include <utility>

namespace qv {
namespace {

TEST(LeadingInteger, StopsAtTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        size_t width;
        int32_t value;
    } cases[] = {
        {"", 80, 0},
        {"   ", 80, 0},
        {"abc", 80, 0},
        {"x9", 80, 0},
        {"-", 80, 0},
        {"12", 80, 12},
        {"  12", 80, 12},
        {" 12ab", 80, 12},
        {"  7 km", 80, 7},
        {"007", 80, 7},
        {"4 5", 80, 4},
        {"-3", 80, -3},
        {"+5", 80, 5},
        {"1234", 2, 12},
        {"-12", 2, -1},
        {"99999999999", 80, INT32_MAX},
        {"2147483647", 80, INT32_MAX},
        {"-2147483648", 80, INT32_MIN},
        {"-99999999999", 80, INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(LeadingInteger(c.text, c.width), c.value) << c.text;
}

TEST(WholeInteger, OnlyDigitsToTheEndWithin32Bits) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"12", 12},
        {"  12", 12},
        {"-3", -3},
        {"+5", 5},
        {"12a", {}},
        {"12 ", {}},
        {"", {}},
        {"abc", {}},
        {"-", {}},
        {" 1 2", {}},
        {"99999999999", {}},
        {"2147483648", {}},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(WholeInteger(text), value) << text;
    // A typed box's text may end in blanks; nothing else changes.
    const std::pair<const char*, std::optional<int32_t>> padded[] = {
        {" -12  ", -12}, {"12 ", 12}, {"   ", {}}, {"1 2 ", {}}, {"+-5", {}}, {"2147483648 ", {}},
    };
    for (const auto& [text, value] : padded) EXPECT_EQ(PaddedInteger(text), value) << text;
    // Counts and codes in fixed columns: digits alone, within the width.
    const std::tuple<const char*, size_t, std::optional<int32_t>> digits[] = {
        {" 42 ", 4, 42}, {"12345", 5, 12345}, {"123456", 5, {}}, {"-1", 4, {}}, {"  ", 4, {}}, {"1a", 4, {}},
    };
    for (const auto& [text, width, value] : digits) EXPECT_EQ(PaddedDigits(text, width), value) << text;
}

}  // namespace
}  // namespace qv
