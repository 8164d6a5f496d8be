#include "platform/real6.h"

#include <gtest/gtest.h>

#include "platform/bytes.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

std::string Bytes6(double v) {
    Real6 r = EncodeReal6(v);
    return std::string(reinterpret_cast<const char*>(r.data()), 6);
}

TEST(Real6, GoldenEncodings) {
    struct Case {
        double value;
        const char* hex;
    } cases[] = {
        {1.0, "81 00 00 00 00 00"},         {-1.0, "81 00 00 00 00 80"}, {0.2, "7E CD CC CC CC 4C"},
        {-99999999.0, "9B 00 E0 1F BC BE"}, {0.0, "00 00 00 00 00 00"},  {2.0, "82 00 00 00 00 00"},
        {0.5, "80 00 00 00 00 00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToHex(Bytes6(c.value)), ToHex(Hex(c.hex))) << c.value;
        EXPECT_NEAR(DecodeReal6(Bytes(Hex(c.hex))), c.value, std::abs(c.value) * 1e-11) << c.hex;
    }
}

TEST(Real6, RoundTripKeepsAboutTwelveDigits) {
    for (double v : {3.14159265358979, -6.635, 1e-20, 123456789.125, -0.001, 1e30}) {
        double back = DecodeReal6(EncodeReal6(v));
        EXPECT_NEAR(back, v, std::abs(v) * 1e-11) << v;
    }
}

TEST(Real6, OutOfRangeSaturatesOrUnderflows) {
    EXPECT_EQ(EncodeReal6(1e-60)[0], 0);  // too small: zero
    Real6 big = EncodeReal6(1e300);
    EXPECT_EQ(big[0], 255);
    EXPECT_GT(DecodeReal6(big), 1e38);
    EXPECT_EQ(EncodeReal6(std::numeric_limits<double>::quiet_NaN())[0], 0);
}

}  // namespace
}  // namespace qv
