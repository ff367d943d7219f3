#include "HVColorPickerHSWheelGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr CGSize kWheel{240, 240};

struct PointCase {
    CGPoint point;
    float hue, saturation;
};

void expectMapping(const PointCase& c) {
    SCOPED_TRACE(testing::Message() << "(" << c.point.x << ", " << c.point.y << ")");
    HVHueSaturation hs = HVColorPickerHSWheelHueSaturationForPoint(c.point, kWheel);
    EXPECT_NEAR(hs.hue, c.hue, 1e-6);
    EXPECT_NEAR(hs.saturation, c.saturation, 1e-4);
}

TEST(HSWheelGeometry, PointsOnTheDiscGiveHueCounterClockwiseFromThreeOClock) {
    PointCase cases[] = {
        {{240, 120}, 0, 1},           {{120, 0}, 0.25f, 1},          {{0, 120}, 0.5f, 1},
        {{120, 180}, 0.75f, 0.5f},    {{180, 60}, 0.125f, 0.7071f},  {{60, 60}, 0.375f, 0.7071f},
        {{60, 180}, 0.625f, 0.7071f}, {{180, 180}, 0.875f, 0.7071f}, {{120, 240}, 0.75f, 1},
    };
    for (const auto& c : cases) {
        expectMapping(c);
    }
}

TEST(HSWheelGeometry, DeadZoneKeepsHueButZeroesSaturation) {
    PointCase cases[] = {
        {{120, 120}, 0, 0},           // the centre: 0/0 gives angle 0
        {{125, 125}, 0.875f, 0},      // 7.07 points out
        {{115, 120}, 0.5f, 0},        // 5 points left
        {{120, 111}, 0.25f, 0},       // 9 points up
        {{130, 120}, 0, 10.0f / 120}, // exactly 10 out: outside the dead zone
    };
    for (const auto& c : cases) {
        expectMapping(c);
    }
}

TEST(HSWheelGeometry, CornersAndPointsBeyondTheRimSaturateFully) {
    PointCase cases[] = {
        {{0, 0}, 0.375f, 1},                         // the square's corner, outside the disc
        {{239, 239}, 0.875f, 1}, {{300, 120}, 0, 1}, // dragged beyond the rim
        {{-60, 120}, 0.5f, 1},   {{120, -500}, 0.25f, 1},
    };
    for (const auto& c : cases) {
        expectMapping(c);
    }
}

TEST(HSWheelGeometry, HueStaysInUnitRangeAllAroundTheCentre) {
    for (int degrees = 0; degrees < 360; ++degrees) {
        double radians = degrees * M_PI / 180;
        CGPoint p{static_cast<float>(120 + 100 * std::cos(radians)),
                  static_cast<float>(120 - 100 * std::sin(radians))};
        HVHueSaturation hs = HVColorPickerHSWheelHueSaturationForPoint(p, kWheel);
        EXPECT_GE(hs.hue, 0);
        EXPECT_LE(hs.hue, 1);
        // Within float rounding of the angle that placed the point (0 and 1 alike).
        double error = std::fabs(hs.hue - degrees / 360.0);
        EXPECT_LT(std::fmin(error, 1 - error), 1e-5) << degrees;
        EXPECT_NEAR(hs.saturation, 100.0 / 120, 1e-5);
    }
}

TEST(HSWheelGeometry, KnobCentresForKnownHueAndSaturation) {
    struct Case {
        float hue, saturation;
        CGPoint centre;
    } cases[] = {
        {0, 1, {237, 120}},        {0.25f, 1, {120, 3}},   {0.5f, 1, {3, 120}},
        {0.75f, 0.5f, {120, 179}}, {0.125f, 1, {203, 37}}, {0, 0, {120, 120}},
        {0.6f, 0, {120, 120}},     {1, 1, {237, 120}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hue << ", " << c.saturation);
        EXPECT_EQ(HVColorPickerHSWheelKnobCenter(c.hue, c.saturation, kWheel, {0, 0}, {30, 30}),
                  c.centre);
    }
}

// What a damaged stored colour turns into through RGB -> HSV: a hue or saturation
// that is infinite or not a number, or one so large that the knob's distance
// overflows. The knob must stay somewhere the renderer can draw it.
TEST(HSWheelGeometry, KnobWithoutAFinitePlaceRestsAtTheCentre) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float hue, saturation;
        CGPoint centre;
    } cases[] = {
        {nan, nan, {120, 120}},
        {nan, 1, {120, 120}},
        {0.5f, inf, {120, 120}},
        {0, inf, {120, 120}},
        {0.25f, nan, {120, 120}},
        {inf, 1, {120, 120}},
        {0.3f, 1e37f, {120, 120}},
        // Finite but out of range: placed as computed, beyond the rim.
        {0, 2, {354, 120}},
        {nan, 0, {120, 120}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hue << ", " << c.saturation);
        EXPECT_EQ(HVColorPickerHSWheelKnobCenter(c.hue, c.saturation, kWheel, {0, 0}, {30, 30}),
                  c.centre);
    }
}

TEST(HSWheelGeometry, KnobFollowsImageOriginAndRoundsItsCorner) {
    // The image view's origin shifts the knob; an odd knob keeps its corner on a
    // whole point, so its centre lands on a half point. At hue 0.25 the float cosine
    // is a hair below zero (corner x 104.49999 -> 104) and the corner y -12.5
    // rounds away from zero (-13).
    EXPECT_EQ(HVColorPickerHSWheelKnobCenter(0, 1, kWheel, {5, 7}, {30, 30}),
              CGPointMake(242, 127));
    EXPECT_EQ(HVColorPickerHSWheelKnobCenter(0.25f, 1, kWheel, {0, 0}, {31, 31}),
              CGPointMake(119.5f, 2.5f));
}

} // namespace
