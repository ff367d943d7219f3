#include <Foundation/arc4random.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

// Statistical checks with bounds far beyond chance (about eight standard deviations),
// so that a uniform source never fails them and a stuck or biased one always does.

TEST(Arc4Random, EveryBitIsSetHalfTheTime) {
    constexpr int draws = 100000;
    std::array<int, 32> ones{};
    for (int i = 0; i < draws; ++i) {
        std::uint32_t value = arc4random();
        for (int bit = 0; bit < 32; ++bit) {
            ones[bit] += (value >> bit) & 1;
        }
    }
    const double sd = std::sqrt(draws * 0.25);
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_NEAR(ones[bit], draws / 2.0, 8 * sd) << "bit " << bit;
    }
}

TEST(Arc4Random, BytesAreUniformAndSuccessiveDrawsIndependent) {
    constexpr int draws = 256 * 400;
    std::array<int, 256> counts{};
    std::array<int, 256> pairs{}; // the top nibbles of two successive draws
    std::uint32_t previous = arc4random();
    for (int i = 0; i < draws; ++i) {
        std::uint32_t value = arc4random();
        ++counts[value & 0xFF];
        ++pairs[((previous >> 28) << 4) | (value >> 28)];
        previous = value;
    }
    auto chiSquare = [](const std::array<int, 256>& observed, double expected) {
        double sum = 0;
        for (int count : observed) {
            sum += (count - expected) * (count - expected) / expected;
        }
        return sum;
    };
    // 255 degrees of freedom: mean 255, sd about 22.6.
    EXPECT_LT(chiSquare(counts, draws / 256.0), 255 + 8 * 22.6);
    EXPECT_LT(chiSquare(pairs, draws / 256.0), 255 + 8 * 22.6);
}

} // namespace
