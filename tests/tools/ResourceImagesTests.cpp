#include "ResourceImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace resources;

namespace {

CGPixel expectedWheelPixel(double hue, double saturation) {
    RGB c = hueSaturationColor(hue, saturation);
    auto channel = [](double v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
    return {channel(c.r), channel(c.g), channel(c.b), 255};
}

} // namespace

TEST(ResourceImages, HexconeColoursAtTheNamedHues) {
    struct Case {
        double hue;
        RGB rgb;
    } cases[] = {
        {0, {1, 0, 0}},       {1.0 / 6, {1, 1, 0}}, {1.0 / 3, {0, 1, 0}}, {0.5, {0, 1, 1}},
        {2.0 / 3, {0, 0, 1}}, {5.0 / 6, {1, 0, 1}}, {1, {1, 0, 0}},       {1.0 / 12, {1, 0.5, 0}},
    };
    for (const auto& c : cases) {
        RGB rgb = hueSaturationColor(c.hue, 1);
        EXPECT_NEAR(rgb.r, c.rgb.r, 1e-9) << c.hue;
        EXPECT_NEAR(rgb.g, c.rgb.g, 1e-9) << c.hue;
        EXPECT_NEAR(rgb.b, c.rgb.b, 1e-9) << c.hue;
    }
    RGB half = hueSaturationColor(2.0 / 3, 0.5);
    EXPECT_NEAR(half.r, 0.5, 1e-9);
    EXPECT_NEAR(half.b, 1, 1e-9);
}

TEST(ResourceImages, WheelMappingMatchesTheScreenDirections) {
    struct Case {
        double x, y, hue, saturation;
    } cases[] = {
        {240, 120, 0, 1},
        {120, 0, 0.25, 1},
        {0, 120, 0.5, 1},
        {120, 180, 0.75, 0.5},
        {180, 60, 0.125, 0.70710678},
    };
    for (const auto& c : cases) {
        HueSaturation hs = wheelHueSaturation(c.x, c.y);
        EXPECT_NEAR(hs.hue, c.hue, 1e-9) << c.x << "," << c.y;
        EXPECT_NEAR(hs.saturation, c.saturation, 1e-6) << c.x << "," << c.y;
    }
}

TEST(ResourceImages, WheelPixelsShowTheirHueAndSaturation) {
    for (CGFloat scale : {1.0f, 2.0f}) {
        CGImageRef wheel = makeColorWheel(scale);
        ASSERT_EQ(CGImageGetWidth(wheel), static_cast<std::size_t>(240 * scale));
        ASSERT_EQ(CGImageGetHeight(wheel), static_cast<std::size_t>(240 * scale));
        // Angles counter-clockwise on screen from three o'clock, radii in points.
        for (double turn :
             {0.0, 0.1, 1.0 / 6, 0.25, 1.0 / 3, 0.4, 0.5, 0.6, 2.0 / 3, 0.75, 5.0 / 6, 0.95}) {
            for (double radius : {15.0, 40.0, 60.0, 90.0, 115.0}) {
                double angle = turn * 2 * std::numbers::pi;
                double x = 120 + radius * std::cos(angle), y = 120 - radius * std::sin(angle);
                auto px = static_cast<std::size_t>(x * scale),
                     py = static_cast<std::size_t>(y * scale);
                // The pixel shows its own centre's colour: work out the hue there.
                double cx = (px + 0.5) / scale - 120, cy = 120 - (py + 0.5) / scale;
                double hue = std::atan2(cy, cx) / (2 * std::numbers::pi);
                hue = hue < 0 ? hue + 1 : hue;
                CGPixel expected = expectedWheelPixel(hue, std::hypot(cx, cy) / 120);
                CGPixel actual = CGImageGetPixel(wheel, px, py);
                EXPECT_NEAR(actual.r, expected.r, 1) << turn << " " << radius << " @" << scale;
                EXPECT_NEAR(actual.g, expected.g, 1) << turn << " " << radius << " @" << scale;
                EXPECT_NEAR(actual.b, expected.b, 1) << turn << " " << radius << " @" << scale;
                EXPECT_EQ(actual.a, 255);
                // And against the named colours, independently of the formula.
                if (radius == 115.0 && std::fmod(turn * 6, 1.0) == 0) {
                    RGB named = hueSaturationColor(turn, 1);
                    EXPECT_NEAR(actual.r, named.r * 255, 30);
                    EXPECT_NEAR(actual.g, named.g * 255, 30);
                    EXPECT_NEAR(actual.b, named.b * 255, 30);
                }
            }
        }
        EXPECT_EQ(CGImageGetPixel(wheel, 0, 0).a, 0) << "corner outside the disc";
        EXPECT_EQ(CGImageGetPixel(wheel, static_cast<std::size_t>(237 * scale),
                                  static_cast<std::size_t>(237 * scale))
                      .a,
                  0);
        CGPixel centre = CGImageGetPixel(wheel, static_cast<std::size_t>(120 * scale),
                                         static_cast<std::size_t>(120 * scale));
        EXPECT_GT(centre.r + centre.g + centre.b, 3 * 250) << "white at the centre";
    }
}

TEST(ResourceImages, KnobIsAWhiteRingWithAClearCentre) {
    for (CGFloat scale : {1.0f, 2.0f}) {
        CGImageRef knob = makeKnob(scale);
        ASSERT_EQ(CGImageGetWidth(knob), static_cast<std::size_t>(30 * scale));
        auto at = [&](CGFloat x, CGFloat y) {
            return CGImageGetPixel(knob, static_cast<std::size_t>(x * scale),
                                   static_cast<std::size_t>(y * scale));
        };
        EXPECT_EQ(at(15, 14.5f).a, 0) << "the colour under the knob stays visible";
        CGPixel ring = at(15, 4.5f);
        EXPECT_EQ(ring.a, 255);
        EXPECT_GT(ring.r, 240);
        EXPECT_GT(at(15, 27.5f).a, 0) << "shadow below the ring";
        EXPECT_LT(at(15, 27.5f).r, 100);
        EXPECT_EQ(at(0.2f, 0.2f).a, 0);
    }
}

TEST(ResourceImages, CheckerboardTileHasTwoTonesInEightPointSquares) {
    CGImageRef tile = makeCheckerboard(2);
    ASSERT_EQ(CGImageGetWidth(tile), 32u);
    CGPixel a = CGImageGetPixel(tile, 2, 2), b = CGImageGetPixel(tile, 18, 2),
            c = CGImageGetPixel(tile, 18, 18);
    EXPECT_EQ(a, c);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.a, 255);
    EXPECT_EQ(b.a, 255);
    EXPECT_EQ(CGImageGetPixel(tile, 15, 15), a) << "squares end exactly at 8 points";
}

TEST(ResourceImages, CheckmarkIsAWhiteTickOnADarkDisc) {
    CGImageRef mark = makeCheckmark(2);
    ASSERT_EQ(CGImageGetWidth(mark), 44u);
    CGPixel tick = CGImageGetPixel(mark, 19, 29); // (9.5, 14.5): the tick's bend
    CGPixel disc = CGImageGetPixel(mark, 22, 36); // (11, 18): below the tick
    EXPECT_GT(tick.r, 240);
    EXPECT_EQ(tick.a, 255);
    EXPECT_LT(disc.r, 60);
    EXPECT_GT(disc.a, 200);
    EXPECT_EQ(CGImageGetPixel(mark, 0, 0).a, 0);
}
