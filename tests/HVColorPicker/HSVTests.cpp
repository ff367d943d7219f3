#include "ColorTestSupport.h"
#include "HSV.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace colortest;

namespace {

struct Conversion {
    RGBType rgb;
    HSVType hsv;
};

TEST(RGBToHSV, WorkedValues) {
    const Conversion cases[] = {
        {{1, 0, 0}, {1, 1, 1}},
        {{1, 1, 0}, {1.0f / 6, 1, 1}},
        {{0, 1, 0}, {1.0f / 3, 1, 1}},
        {{0, 1, 1}, {0.5f, 1, 1}},
        {{0, 0, 1}, {2.0f / 3, 1, 1}},
        {{1, 0, 1}, {5.0f / 6, 1, 1}},
        {{1, 0.5f, 0}, {1.0f / 12, 1, 1}},
        {{1, 0, 0.5f}, {11.0f / 12, 1, 1}},
        {{0.2f, 0.4f, 0.6f}, {7.0f / 12, 2.0f / 3, 0.6f}},
        {{0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1, 1, 1}, {0, 0, 1}},
    };
    for (const auto& [rgb, expected] : cases) {
        SCOPED_TRACE(testing::Message() << rgb.r << ", " << rgb.g << ", " << rgb.b);
        HSVType hsv = RGB_to_HSV(rgb);
        EXPECT_FLOAT_EQ(hsv.h, expected.h);
        EXPECT_FLOAT_EQ(hsv.s, expected.s);
        EXPECT_FLOAT_EQ(hsv.v, expected.v);
    }
}

TEST(RGBToHSV, GreysHaveNoHueOrSaturation) {
    for (int level = 0; level <= 255; ++level) {
        float v = static_cast<float>(level) / 255;
        HSVType hsv = RGB_to_HSV(RGBTypeMake(v, v, v));
        EXPECT_EQ(hsv.h, 0);
        EXPECT_EQ(hsv.s, 0);
        EXPECT_EQ(hsv.v, v);
    }
}

TEST(RGBToHSV, TiesBetweenGreenAndBlueGiveHueOne) {
    EXPECT_EQ(RGB_to_HSV(RGBTypeMake(1, 0, 0)).h, 1);
    EXPECT_EQ(RGB_to_HSV(RGBTypeMake(1, 0.25f, 0.25f)).h, 1);

    float justAboveRed = RGB_to_HSV(RGBTypeMake(1, 0.25f, 0.2f)).h;
    EXPECT_GT(justAboveRed, 0);
    EXPECT_LT(justAboveRed, 0.05f);
    float justBelowRed = RGB_to_HSV(RGBTypeMake(1, 0.2f, 0.25f)).h;
    EXPECT_LT(justBelowRed, 1);
    EXPECT_GT(justBelowRed, 0.95f);
}

struct ModelCase {
    const char* name;
    UIColorRef color;
    RGBType expected;
};

TEST(RGBWithUIColor, ReadsEachModel) {
    const ModelCase cases[] = {
        {"rgb", rgb(0.2f, 0.4f, 0.6f), {0.2f, 0.4f, 0.6f}},
        {"rgb with alpha 0.5", rgb(0.2f, 0.4f, 0.6f, 0.5f), {0.2f, 0.4f, 0.6f}},
        {"monochrome 0.3", grey(0.3f, 0.7f), {0.3f, 0.3f, 0.3f}},
        {"cmyk", cmyk(0.1f, 0.2f, 0.3f, 0.4f), {0, 0, 0}},
        {"pattern", pattern(), {0, 0, 0}},
        {"lab", ofModel(kCGColorSpaceModelLab), {0, 0, 0}},
        {"unknown", ofModel(kCGColorSpaceModelUnknown), {0, 0, 0}},
        {"no colour", nullptr, {0, 0, 0}},
    };
    for (const auto& [name, color, expected] : cases) {
        SCOPED_TRACE(name);
        RGBType got = rgbWithUIColor(color);
        EXPECT_EQ(got.r, expected.r);
        EXPECT_EQ(got.g, expected.g);
        EXPECT_EQ(got.b, expected.b);
    }
    HSVType hsv = RGB_to_HSV(rgbWithUIColor(grey(0.3f)));
    EXPECT_EQ(hsv.h, 0);
    EXPECT_EQ(hsv.s, 0);
    EXPECT_EQ(hsv.v, 0.3f);
}

TEST(ColorWithHue, IsTheHexconeModel) {
    struct Case {
        float h, s, v;
        float r, g, b;
    };
    const Case cases[] = {
        {0, 1, 1, 1, 0, 0},
        {1, 1, 1, 1, 0, 0},
        {1.0f / 6, 1, 1, 1, 1, 0},
        {1.0f / 3, 1, 1, 0, 1, 0},
        {0.5f, 1, 1, 0, 1, 1},
        {2.0f / 3, 1, 1, 0, 0, 1},
        {5.0f / 6, 1, 1, 1, 0, 1},
        {1.0f / 12, 1, 1, 1, 0.5f, 0},
        {0.3f, 0, 0.4f, 0.4f, 0.4f, 0.4f},
        {0.7f, 0.8f, 0, 0, 0, 0},
        {0.5f, 0.5f, 0.8f, 0.4f, 0.8f, 0.8f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.h << ", " << c.s << ", " << c.v);
        auto color = UIColor::colorWithHue(c.h, c.s, c.v, 0.25f);
        ASSERT_EQ(modelOf(color), kCGColorSpaceModelRGB);
        auto components = componentsOf(color);
        EXPECT_NEAR(components[0], c.r, 1e-6f);
        EXPECT_NEAR(components[1], c.g, 1e-6f);
        EXPECT_NEAR(components[2], c.b, 1e-6f);
        EXPECT_EQ(components[3], 0.25f);
    }
}

// A damaged stored colour gives a hue that is not a number; the hexcone has no
// sector for it, and no such hue may reach an integer conversion on the way.
TEST(ColorWithHue, HueThatIsNotFiniteGivesNoColourUnlessGrey) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float h, s, v;
        bool grey; // saturation 0 needs no hue: the grey of level v
    } cases[] = {
        {nan, 1, 1, false},     {nan, nan, 1, false}, {inf, 0.5f, 1, false},
        {-inf, 1, 0.5f, false}, {nan, 0, 0.4f, true}, {inf, 0, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.h << ", " << c.s << ", " << c.v);
        auto components = componentsOf(UIColor::colorWithHue(c.h, c.s, c.v, 0.5f));
        for (int i = 0; i < 3; ++i) {
            if (c.grey) {
                EXPECT_EQ(components[i], c.v) << i;
            } else {
                EXPECT_TRUE(std::isnan(components[i])) << i << ": " << components[i];
            }
        }
        EXPECT_EQ(components[3], 0.5f) << "alpha is kept";
    }
}

// The picker shows an outside colour through HSV and rebuilds it from its controls,
// so RGB -> HSV -> hexcone must give the colour back. (The other way round does not
// hold: a grey forgets its hue.) Float rounding in the division and in p, q, t keeps
// each component within a few units in the last place of 1.
void expectRoundTrip(RGBType rgb) {
    HSVType hsv = RGB_to_HSV(rgb);
    auto components = componentsOf(UIColor::colorWithHue(hsv.h, hsv.s, hsv.v, 1));
    constexpr float tolerance = 5e-7f;
    ASSERT_NEAR(components[0], rgb.r, tolerance) << rgb.r << ", " << rgb.g << ", " << rgb.b;
    ASSERT_NEAR(components[1], rgb.g, tolerance) << rgb.r << ", " << rgb.g << ", " << rgb.b;
    ASSERT_NEAR(components[2], rgb.b, tolerance) << rgb.r << ", " << rgb.g << ", " << rgb.b;
}

TEST(ColorWithHue, InvertsRGBToHSVOverTheChannelCube) {
    for (int r = 0; r <= 255; r += 5) {
        for (int g = 0; g <= 255; g += 5) {
            for (int b = 0; b <= 255; b += 5) {
                expectRoundTrip(RGBTypeMake(r / 255.0f, g / 255.0f, b / 255.0f));
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

TEST(ColorWithHue, InvertsRGBToHSVForArbitraryFloats) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int i = 0; i < 100000 && !HasFatalFailure(); ++i) {
        expectRoundTrip(RGBTypeMake(unit(random), unit(random), unit(random)));
    }
}

} // namespace
