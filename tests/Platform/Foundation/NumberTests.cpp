#include <Foundation/NSNumber.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Reals beyond the 64-bit range must not reach an undefined conversion (UBSan builds
// abort on one); their integer reading saturates.
TEST(Number, RealsReadAsIntegersSaturate) {
    const struct {
        double real;
        std::int64_t integer;
    } cases[] = {
        {1e300, INT64_MAX}, {-1e300, INT64_MIN}, {HUGE_VAL, INT64_MAX},
        {std::nan(""), 0},  {-2.75, -2},         {9.2e18, 9200000000000000000},
    };
    for (const auto& c : cases) {
        auto number = NSNumber::numberWithDouble(c.real);
        EXPECT_EQ(number->longLongValue(), c.integer) << c.real;
        EXPECT_EQ(number->integerValue(), c.integer) << c.real;
    }
}

// Above the signed range an unsigned integer keeps its kind: it is not the negative
// number of the same bits.
TEST(Number, UnsignedIntegersAboveTheSignedRangeKeepTheirKind) {
    auto largest = NSNumber::numberWithUnsignedLongLong(UINT64_MAX);
    EXPECT_EQ(largest->kind(), NSNumber::Kind::UnsignedInteger);
    EXPECT_EQ(largest->description(), "18446744073709551615");
    EXPECT_EQ(largest->unsignedLongLongValue(), UINT64_MAX);
    EXPECT_FALSE(largest->isEqual(NSNumber::numberWithLongLong(-1).get()));
    EXPECT_TRUE(largest->isEqual(NSNumber::numberWithUnsignedLongLong(UINT64_MAX).get()));
    auto small = NSNumber::numberWithUnsignedLongLong(5);
    EXPECT_EQ(small->kind(), NSNumber::Kind::Integer);
    EXPECT_TRUE(small->isEqual(NSNumber::numberWithLongLong(5).get()));
}

} // namespace
