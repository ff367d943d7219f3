#include <Foundation/arc4random.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

// Bounds about eight standard deviations wide: a uniform source never fails them, a
// stuck or biased one always does. Each bit is set half the time, the low byte is
// uniform, and the top nibbles of successive draws are independent.
TEST(Arc4Random, BitsAndBytesAreUniformAndDrawsIndependent) {
    constexpr int draws = 256 * 400;
    std::array<int, 32> ones{};
    std::array<int, 256> bytes{};
    std::array<int, 256> pairs{};
    std::uint32_t previous = arc4random();
    for (int i = 0; i < draws; ++i) {
        std::uint32_t value = arc4random();
        for (int bit = 0; bit < 32; ++bit) {
            ones[bit] += (value >> bit) & 1;
        }
        ++bytes[value & 0xFF];
        ++pairs[((previous >> 28) << 4) | (value >> 28)];
        previous = value;
    }
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_NEAR(ones[bit], draws / 2.0, 8 * std::sqrt(draws * 0.25)) << "bit " << bit;
    }
    auto chiSquare = [](const std::array<int, 256>& observed) {
        double expected = draws / 256.0;
        double sum = 0;
        for (int count : observed) {
            sum += (count - expected) * (count - expected) / expected;
        }
        return sum;
    };
    // 255 degrees of freedom: mean 255, sd about 22.6.
    EXPECT_LT(chiSquare(bytes), 255 + 8 * 22.6);
    EXPECT_LT(chiSquare(pairs), 255 + 8 * 22.6);
}

} // namespace
