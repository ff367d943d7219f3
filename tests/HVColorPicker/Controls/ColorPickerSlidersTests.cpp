#include "ControlTestSupport.h"

#include "HVColorPickerAlphaSlider.h"
#include "HVColorPickerBrightnessSlider.h"

#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIScreen.h>

#include <gtest/gtest.h>

namespace {

using namespace controlstest;

CGColorRef rgb(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    return UIColor::colorWithRed(r, g, b, a)->CGColor();
}

void expectColors(const CAGradientLayer& layer, const std::vector<CGColorRef>& expected) {
    ASSERT_EQ(layer.colors().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(CGColorEqualToColor(layer.colors()[i], expected[i])) << i;
    }
}

TEST(BrightnessSlider, GradientSitsOnTheTrackAndRunsLeftToRightEitherWay) {
    Stage stage;
    struct Case {
        CGRect frame;
        CGRect bounds;
        CGPoint position;
    } cases[] = {
        {{{24, 277}, {272, 38}}, {{18, 6}, {236, 26}}, {136, 19}},
        {{{0, 0}, {38, 272}}, {{6, 18}, {26, 236}}, {19, 136}},
    };
    for (const auto& c : cases) {
        auto slider = std::make_shared<HVColorPickerBrightnessSlider>(c.frame);
        CAGradientLayer* gradient = slider->gradientLayer();
        EXPECT_EQ(gradient->bounds(), c.bounds);
        EXPECT_EQ(gradient->position(), c.position);
        EXPECT_EQ(gradient->startPoint(), CGPointMake(0, 0.5f));
        EXPECT_EQ(gradient->endPoint(), CGPointMake(1, 0.5f));
        EXPECT_EQ(gradient->cornerRadius(), 6);
        EXPECT_EQ(gradient->borderWidth(), 2);
        EXPECT_TRUE(CGColorEqualToColor(gradient->borderColor(), UIColor::whiteColor()->CGColor()));
        // Beneath the knob's layer, first in the slider's own layer.
        EXPECT_EQ(slider->layer()->sublayers().front().get(), gradient);
        EXPECT_EQ(slider->contentScaleFactor(), UIScreen::mainScreen()->scale());
        expectColors(*gradient, {UIColor::whiteColor()->CGColor(), rgb(0, 0, 0, 1)});
    }
}

TEST(AlphaSlider, CheckerboardAndGradientOnTheTrackDirectionByOrientation) {
    Stage stage;
    auto horizontal = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(24, 321, 272, 38));
    EXPECT_EQ(horizontal->checkerboard()->frame(), CGRectMake(18, 6, 236, 26));
    EXPECT_EQ(horizontal->gradientLayer()->bounds(), CGRectMake(18, 6, 236, 26));
    EXPECT_EQ(horizontal->gradientLayer()->position(), CGPointMake(118, 13));
    EXPECT_EQ(horizontal->gradientLayer()->startPoint(), CGPointMake(0, 0.5f));
    EXPECT_EQ(horizontal->gradientLayer()->endPoint(), CGPointMake(1, 0.5f));
    EXPECT_EQ(horizontal->gradientLayer()->cornerRadius(), 4);
    EXPECT_EQ(horizontal->gradientLayer()->superlayer(), horizontal->checkerboard()->layer());

    UIView* checkerboard = horizontal->checkerboard();
    EXPECT_EQ(checkerboard->layer()->cornerRadius(), 6);
    EXPECT_TRUE(checkerboard->clipsToBounds());
    EXPECT_FALSE(checkerboard->isUserInteractionEnabled());
    EXPECT_EQ(
        CGColorSpaceGetModel(CGColorGetColorSpace(checkerboard->backgroundColor()->CGColor())),
        kCGColorSpaceModelPattern);

    // Vertical keeps the gradient layer's own top-to-bottom direction.
    auto vertical = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(0, 0, 38, 272));
    EXPECT_EQ(vertical->gradientLayer()->startPoint(), CGPointMake(0.5f, 0));
    EXPECT_EQ(vertical->gradientLayer()->endPoint(), CGPointMake(0.5f, 1));
    EXPECT_EQ(vertical->checkerboard()->frame(), CGRectMake(6, 18, 26, 236));
    EXPECT_EQ(vertical->gradientLayer()->position(), CGPointMake(13, 118));
}

TEST(ColorPickerSliders, KeyColourGivesBothGradientEnds) {
    Stage stage;
    auto brightness = std::make_shared<HVColorPickerBrightnessSlider>(CGRectMake(0, 0, 272, 38));
    auto alpha = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(0, 0, 272, 38));
    EventCounter brightnessChanges(*brightness, UIControlEventValueChanged);
    expectColors(*alpha->gradientLayer(),
                 {UIColor::whiteColor()->CGColor(),
                  UIColor::whiteColor()->colorWithAlphaComponent(0)->CGColor()});

    brightness->setKeyColor(UIColor::redColor());
    alpha->setKeyColor(UIColor::redColor());
    expectColors(*brightness->gradientLayer(), {rgb(1, 0, 0, 1), rgb(0, 0, 0, 1)});
    expectColors(*alpha->gradientLayer(), {rgb(1, 0, 0, 1), rgb(1, 0, 0, 0)});
    EXPECT_EQ(brightnessChanges.count(), 0);
}

TEST(ColorPickerSliders, NewFrameMovesTrackAndKeepsTheValue) {
    Stage stage;
    auto brightness = std::make_shared<HVColorPickerBrightnessSlider>(CGRectMake(24, 277, 272, 38));
    auto alpha = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(24, 321, 272, 38));
    brightness->setValue(0.25f);
    alpha->setValue(0.25f);

    brightness->setFrame(CGRectMake(300, 40, 165, 38));
    alpha->setFrame(CGRectMake(300, 83, 165, 38));
    // 0.75 * 125 - 15 = 78.75 -> 79, + 35.
    EXPECT_EQ(brightness->sliderKnobView()->center(), CGPointMake(114, 19));
    EXPECT_EQ(alpha->sliderKnobView()->center(), CGPointMake(114, 19));
    EXPECT_EQ(brightness->value(), 0.25f);
    EXPECT_EQ(brightness->gradientLayer()->bounds(), CGRectMake(18, 6, 129, 26));
    EXPECT_EQ(brightness->gradientLayer()->position(), CGPointMake(82.5f, 19));
    EXPECT_EQ(alpha->checkerboard()->frame(), CGRectMake(18, 6, 129, 26));
    EXPECT_EQ(alpha->gradientLayer()->bounds(), CGRectMake(18, 6, 129, 26));
    EXPECT_EQ(alpha->gradientLayer()->position(), CGPointMake(64.5f, 13));

    // A frame of the other aspect keeps the horizontal insets and direction.
    alpha->setFrame(CGRectMake(0, 0, 38, 272));
    EXPECT_EQ(alpha->checkerboard()->frame(), CGRectMake(18, 6, 2, 260));
    EXPECT_EQ(alpha->gradientLayer()->startPoint(), CGPointMake(0, 0.5f));
}

TEST(ColorPickerSliders, GradientEndsRenderKeyColourLeftAndBlackOrCheckerRight) {
    Stage stage;
    auto brightness = std::make_shared<HVColorPickerBrightnessSlider>(CGRectMake(24, 100, 272, 38));
    auto alpha = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(24, 200, 272, 38));
    stage.add(brightness);
    stage.add(alpha);
    brightness->setKeyColor(UIColor::redColor());
    alpha->setKeyColor(UIColor::blueColor());
    brightness->setValue(0.5f); // knob in the middle, clear of both ends
    alpha->setValue(0.5f);
    CAMediaTimeAdvance(1);

    CGImageRef image = stage.render(2);
    auto at = [&](CGFloat x, CGFloat y) {
        return CGImageGetPixel(image, static_cast<std::size_t>(x * 2),
                               static_cast<std::size_t>(y * 2));
    };
    // Track x 42..278 on screen, y 106..132 / 206..232; 4 points in from each end,
    // clear of the white border (2) and the corners.
    CGPixel leftBrightness = at(24 + 22, 119);
    CGPixel rightBrightness = at(24 + 250, 119);
    EXPECT_TRUE(near(leftBrightness, {250, 0, 0, 255}, 6)) << describe(leftBrightness);
    EXPECT_TRUE(near(rightBrightness, {5, 0, 0, 255}, 6)) << describe(rightBrightness);
    // The border is white.
    EXPECT_EQ(at(24 + 100, 106.25f), (CGPixel{255, 255, 255, 255})) << describe(at(124, 106.25f));

    // Alpha: blue at the left; at the right the checkerboard shows through.
    CGPixel leftAlpha = at(24 + 22, 219);
    EXPECT_TRUE(near(leftAlpha, {5, 5, 250, 255}, 8)) << describe(leftAlpha);
    CGPixel rightA = at(24 + 249.25f, 211.25f);
    CGPixel rightB = at(24 + 249.25f, 215.25f);
    EXPECT_GT(std::min(rightA.r, rightB.r), 195) << describe(rightA) << " " << describe(rightB);
    EXPECT_NE(rightA, rightB) << "checker squares differ";
}

} // namespace
