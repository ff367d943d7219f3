#include "HVColorPickerSliderGeometry.h"
#include "HVUnitSliderGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(UnitSliderGeometry, OrientationFromFrameSquareIsVertical) {
    EXPECT_FALSE(HVUnitSliderIsHorizontal(CGRectMake(0, 0, 100, 100)));
    EXPECT_TRUE(HVUnitSliderIsHorizontal(CGRectMake(0, 0, 101, 100)));
    EXPECT_FALSE(HVUnitSliderIsHorizontal(CGRectMake(50, 50, 38, 272)));
    EXPECT_TRUE(HVUnitSliderIsHorizontal(CGRectMake(24, 277, 272, 38)));
}

TEST(UnitSliderGeometry, ClampKeepsUnitRangeAndTurnsNaNIntoOne) {
    struct Case {
        float in, out;
    } cases[] = {{1.7f, 1},
                 {-0.2f, 0},
                 {0.25f, 0.25f},
                 {1, 1},
                 {0, 0},
                 {-0.0f, 0},
                 {std::numeric_limits<float>::infinity(), 1},
                 {-std::numeric_limits<float>::infinity(), 0},
                 {std::numeric_limits<float>::quiet_NaN(), 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(HVUnitSliderClampValue(c.in), c.out);
    }
}

TEST(UnitSliderGeometry, KnobCentresAlongBothAxes) {
    struct Case {
        float value;
        CGSize frame, knob;
        CGPoint centre;
    } cases[] = {
        // The picker's 272 x 38 slider with a 30-point knob.
        {1, {272, 38}, {30, 30}, {20, 19}},
        {0, {272, 38}, {30, 30}, {252, 19}},
        {0.5f, {272, 38}, {30, 30}, {136, 19}},
        // An odd knob: the edge, not the centre, lands on a whole point.
        {0.5f, {272, 38}, {29, 29}, {136.5f, 19.5f}},
        {0.25f, {100, 40}, {30, 30}, {65, 20}},
        // Half-point edges round away from zero: 0.5 * 7 - 1 = 2.5 -> 3, and
        // 0.5 * 1 - 15 = -14.5 -> -15.
        {0.5f, {47, 10}, {2, 2}, {24, 5}},
        {0.5f, {41, 10}, {30, 30}, {20, 5}},
        // Vertical: the same rules along y, value 1 at the top.
        {1, {38, 272}, {30, 30}, {19, 20}},
        {0, {38, 272}, {30, 30}, {19, 252}},
        {0.5f, {38, 272}, {30, 30}, {19, 136}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " on " << c.frame.width << "x" << c.frame.height);
        bool horizontal = c.frame.width > c.frame.height;
        EXPECT_EQ(HVUnitSliderKnobCenter(c.value, horizontal, c.frame, c.frame, c.knob), c.centre);
    }
}

TEST(UnitSliderGeometry, KnobUsesBoundsAcrossAndFrameAlong) {
    // A transformed slider: the frame (272 x 38) sets the travel, the bounds
    // (200 x 50) centre the knob across the axis.
    EXPECT_EQ(HVUnitSliderKnobCenter(0, true, {272, 38}, {200, 50}, {30, 30}),
              CGPointMake(252, 25));
}

TEST(UnitSliderGeometry, TouchMappingBothOrientations) {
    struct Case {
        CGPoint point;
        bool horizontal;
        CGSize frame;
        float raw, clamped;
    } cases[] = {
        {{10, 19}, true, {272, 38}, 1 + 10.0f / 232, 1},
        {{262, 19}, true, {272, 38}, -10.0f / 232, 0},
        {{136, 19}, true, {272, 38}, 0.5f, 0.5f},
        {{20, 0}, true, {272, 38}, 1, 1},
        {{252, 99}, true, {272, 38}, 0, 0},
        {{19, 136}, false, {38, 272}, 0.5f, 0.5f},
        {{0, 10}, false, {38, 272}, 1 + 10.0f / 232, 1},
        {{0, 262}, false, {38, 272}, -10.0f / 232, 0},
        // Only the axis coordinate counts.
        {{500, 136}, false, {38, 272}, 0.5f, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        float raw = HVUnitSliderValueForPoint(c.point, c.horizontal, c.frame);
        EXPECT_FLOAT_EQ(raw, c.raw);
        EXPECT_EQ(HVUnitSliderClampValue(raw), c.clamped);
    }
}

TEST(UnitSliderGeometry, TouchAndKnobAgreeOverTheTravel) {
    // Mapping a knob's centre back gives the value it was placed for, within the
    // half point that rounding its edge may move it.
    CGSize frame{272, 38};
    for (int i = 0; i <= 100; ++i) {
        float value = i / 100.0f;
        CGPoint centre = HVUnitSliderKnobCenter(value, true, frame, frame, {30, 30});
        EXPECT_NEAR(HVUnitSliderValueForPoint(centre, true, frame), value, 0.5 / 232 + 1e-6)
            << value;
    }
}

TEST(ColorPickerSliderGeometry, TrackRectanglesAndGradientPlacement) {
    struct Case {
        CGSize frame;
        bool horizontal;
        CGRect track;
        CGPoint brightnessPosition, alphaPosition;
    } cases[] = {
        {{272, 38}, true, {{18, 6}, {236, 26}}, {136, 19}, {118, 13}},
        {{38, 272}, false, {{6, 18}, {26, 236}}, {19, 136}, {13, 118}},
        {{165, 38}, true, {{18, 6}, {129, 26}}, {82.5f, 19}, {64.5f, 13}},
        // A later frame of the other aspect keeps the orientation's insets.
        {{38, 272}, true, {{18, 6}, {2, 260}}, {19, 136}, {1, 130}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frame.width << "x" << c.frame.height);
        EXPECT_EQ(HVColorPickerSliderTrackRect(c.frame, c.horizontal), c.track);
        HVLayerPlacement brightness = HVBrightnessSliderGradientPlacement(c.frame, c.horizontal);
        EXPECT_EQ(brightness.bounds, c.track);
        EXPECT_EQ(brightness.position, c.brightnessPosition);
        HVLayerPlacement alpha = HVAlphaSliderGradientPlacement(c.frame, c.horizontal);
        EXPECT_EQ(alpha.bounds, c.track);
        EXPECT_EQ(alpha.position, c.alphaPosition);
    }
}

} // namespace
