#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
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
}

}  // namespace
}  // namespace qv
