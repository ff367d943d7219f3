#include "HVColorPickerGeometry.h"

#include <gtest/gtest.h>

namespace {

struct Place {
    float x, y;
};

void expectSwatches(const HVColorPickerLayout& layout, const std::vector<Place>& expected) {
    ASSERT_EQ(layout.swatchFrames.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        // Exact float equality: the frames must come out to the last bit, since the
        // integer counter and the half-spacing are worked in different precisions.
        EXPECT_EQ(layout.swatchFrames[i].origin.x, expected[i].x);
        EXPECT_EQ(layout.swatchFrames[i].origin.y, expected[i].y);
        EXPECT_EQ(layout.swatchFrames[i].size, CGSizeMake(36, 36));
    }
}

TEST(PickerLayout, PortraitRowAdvancesByTruncatedSpacing) {
    auto layout = HVColorPickerLayoutForBounds(CGSizeMake(320, 416), 6);
    expectSwatches(layout, {{25.333334f, 370},
                            {71.333336f, 370},
                            {117.333336f, 370},
                            {163.33333f, 370},
                            {209.33333f, 370},
                            {255.33333f, 370}});
    EXPECT_EQ(layout.brightnessSliderFrame, CGRectMake(24, 277, 272, 38));
    EXPECT_EQ(layout.alphaSliderFrame, CGRectMake(24, 321, 272, 38));
}

TEST(PickerLayout, LandscapeTwoRowsOfThreeSecondRowTwoPointsLeft) {
    auto layout = HVColorPickerLayoutForBounds(CGSizeMake(480, 256), 6);
    expectSwatches(layout, {{310.66666f, 140},
                            {363.66666f, 140},
                            {416.66666f, 140},
                            {308.66666f, 193},
                            {361.66666f, 193},
                            {414.66666f, 193}});
    EXPECT_EQ(layout.brightnessSliderFrame, CGRectMake(300, 128 - 88, 165, 38));
    EXPECT_EQ(layout.alphaSliderFrame, CGRectMake(300, 128 + 5 - 50, 165, 38));
}

TEST(PickerLayout, SquareBoundsLayOutAsLandscape) {
    auto square = HVColorPickerLayoutForBounds(CGSizeMake(300, 300), 6);
    auto landscape = HVColorPickerLayoutForBounds(CGSizeMake(480, 256), 6);
    EXPECT_EQ(square.swatchFrames, landscape.swatchFrames);
    EXPECT_EQ(square.brightnessSliderFrame, CGRectMake(300, 150 - 88, 165, 38));
}

// The sliders' sums are worked in double, then stored as float. Where the half
// height plus 5 crosses a power of two, a float sum would round differently
// (254.83 gives 82.4150085 in float); below 32 points the brightness sum would too.
TEST(PickerLayout, LandscapeSliderRowsWorkedInDouble) {
    struct Case {
        CGFloat height;
        float brightnessY, alphaY;
    } cases[] = {
        {256, 40, 83},
        {254.83f, 39.415000915527344f, 82.415000915527344f},
        {0.01f, -87.995002746582031f, -44.994998931884766f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        auto layout = HVColorPickerLayoutForBounds(CGSizeMake(480, c.height), 6);
        EXPECT_EQ(layout.brightnessSliderFrame, CGRectMake(300, c.brightnessY, 165, 38));
        EXPECT_EQ(layout.alphaSliderFrame, CGRectMake(300, c.alphaY, 165, 38));
    }
}

TEST(PickerLayout, PortraitSpacingFollowsWidth) {
    // A wider portrait picker spreads the row: spacing (W - 40) / 6 = 60 at W = 400.
    auto layout = HVColorPickerLayoutForBounds(CGSizeMake(400, 800), 6);
    expectSwatches(layout, {{32, 370}, {92, 370}, {152, 370}, {212, 370}, {272, 370}, {332, 370}});
}

TEST(PickerLayout, PaletteIsSixHuesOneSixthApart) {
    auto hues = HVColorPickerPaletteHues();
    ASSERT_EQ(hues.size(), 6u);
    const float expected[] = {0, 1.0f / 6, 1.0f / 3, 0.5f, 2.0f / 3, 5.0f / 6};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(hues[i], expected[i], 1e-7f) << i;
    }
}

} // namespace
