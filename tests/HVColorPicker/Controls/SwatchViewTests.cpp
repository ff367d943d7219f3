#include "ControlTestSupport.h"
#include "ExpectedDrawPlans.h"

#include "HVColorPickerSwatchView.h"

#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CATransaction.h>

#include <gtest/gtest.h>

namespace {

using namespace controlstest;
using namespace expectedplans;

constexpr CGRect kFrame{{100, 100}, {36, 36}};

HVColorPickerSwatchViewRef makeSwatch(Stage& stage) {
    auto swatch = std::make_shared<HVColorPickerSwatchView>(kFrame);
    stage.add(swatch);
    swatch->layoutIfNeeded();
    stage.render(); // on screen before it is touched
    CAMediaTimeAdvance(1);
    return swatch;
}

CGRecordingContext drawnOperations(HVColorPickerSwatchView& swatch) {
    CGRecordingContext context;
    swatch.drawLayerInContext(swatch.layer(), &context);
    return context;
}

TEST(SwatchView, CreatedTranslucentBlueWithHiddenCheckmarkAndNoHighlight) {
    Stage stage;
    auto swatch = makeSwatch(stage);
    EXPECT_TRUE(CGColorEqualToColor(swatch->color()->CGColor(),
                                    UIColor::colorWithRed(0, 0, 1, 0.5f)->CGColor()));
    EXPECT_EQ(swatch->borderWidth(), 1);
    EXPECT_EQ(swatch->cornerRadius(), 6);
    EXPECT_TRUE(swatch->hasShadow());
    EXPECT_TRUE(swatch->isOpaque());
    const auto& sublayers = swatch->layer()->sublayers();
    ASSERT_EQ(sublayers.size(), 2u);
    EXPECT_EQ(sublayers[0].get(), swatch->touchDownLayer());
    EXPECT_EQ(sublayers[1].get(), swatch->checkmarkLayer());
    EXPECT_EQ(swatch->touchDownLayer()->opacity(), 0);
    EXPECT_TRUE(swatch->checkmarkLayer()->isHidden());
    EXPECT_EQ(swatch->checkmarkLayer()->bounds(), CGRectMake(0, 0, 22, 22));
    // Placed by the layout pass: 3 points inside the lower right corner.
    EXPECT_EQ(swatch->checkmarkLayer()->frame(), CGRectMake(11, 11, 22, 22));
    EXPECT_NE(swatch->checkmarkLayer()->contents(), nullptr);
}

TEST(SwatchView, DrawsTheExactPlanCheckerboardOnlyUnderTranslucency) {
    Stage stage;
    auto swatch = makeSwatch(stage);
    const CGColorRef& pattern = swatch->checkerboardColor()->CGColor();
    EXPECT_EQ(CGColorSpaceGetModel(CGColorGetColorSpace(pattern)), kCGColorSpaceModelPattern);

    expectSameOperations(drawnOperations(*swatch), swatch36(swatch->color()->CGColor(), pattern));
    swatch->setColor(UIColor::redColor());
    expectSameOperations(drawnOperations(*swatch),
                         swatch36(UIColor::redColor()->CGColor(), nullptr));
    swatch->setHasShadow(false);
    swatch->setColor(UIColor::redColor()->colorWithAlphaComponent(0.999f));
    expectSameOperations(drawnOperations(*swatch),
                         swatch36(swatch->color()->CGColor(), pattern, false));
    // The pattern colour is made once and kept.
    EXPECT_EQ(swatch->checkerboardColor().get(), swatch->checkerboardColor().get());
}

TEST(SwatchView, SetColorRedrawsOtherSettersWaitForTheNextPass) {
    Stage stage;
    auto swatch = makeSwatch(stage);
    stage.render();
    EXPECT_FALSE(swatch->layer()->needsDisplay());
    swatch->setBorderWidth(3);
    swatch->setCornerRadius(9);
    EXPECT_FALSE(swatch->layer()->needsDisplay());
    EXPECT_FALSE(swatch->layer()->needsLayout());
    // The highlight keeps its old shape until the next sublayer layout.
    EXPECT_TRUE(CGPathEqualToPath(swatch->touchDownLayer()->path(),
                                  HVNewRoundRectPath(CGRectMake(0, 0, 36, 36), 6)));
    swatch->setColor(swatch->color());
    EXPECT_TRUE(swatch->layer()->needsDisplay());
    swatch->layer()->setNeedsLayout();
    swatch->layoutIfNeeded();
    EXPECT_TRUE(CGPathEqualToPath(swatch->touchDownLayer()->path(),
                                  HVNewRoundRectPath(CGRectMake(0, 0, 36, 36), 9)));
}

TEST(SwatchView, HighlightShowsAtOnceAndFadesOnLiftOffOrCancel) {
    for (bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "cancelled" : "lifted");
        Stage stage;
        auto swatch = makeSwatch(stage);
        CAShapeLayer* highlight = swatch->touchDownLayer();

        stage.down({118, 118});
        EXPECT_EQ(highlight->opacity(), 0.2f);
        CAMediaTimeAdvance(0.002);
        EXPECT_EQ(highlight->presentationOpacity(), 0.2f);

        if (cancelled) {
            stage.cancel();
        } else {
            stage.up({118, 118});
        }
        EXPECT_EQ(highlight->opacity(), 0);
        CAMediaTimeAdvance(0.1);
        EXPECT_GT(highlight->presentationOpacity(), 0); // still fading
        EXPECT_LT(highlight->presentationOpacity(), 0.2f);
        CAMediaTimeAdvance(0.5);
        EXPECT_EQ(highlight->presentationOpacity(), 0);
    }
}

TEST(SwatchView, TouchUpInsideOnlyWhenLiftedInside) {
    Stage stage;
    auto swatch = makeSwatch(stage);
    EventCounter taps(*swatch, UIControlEventTouchUpInside);
    EventCounter changes(*swatch, UIControlEventValueChanged);
    stage.down({110, 110});
    stage.move({130, 130});
    stage.up({130, 130});
    EXPECT_EQ(taps.count(), 1);
    stage.down({110, 110});
    stage.move({200, 200});
    stage.up({200, 200});
    EXPECT_EQ(taps.count(), 1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(CGColorEqualToColor(swatch->color()->CGColor(),
                                    UIColor::colorWithRed(0, 0, 1, 0.5f)->CGColor()));
}

// Records the transaction in force when the checkmark changes.
class SpySwatch : public HVColorPickerSwatchView {
  public:
    using HVColorPickerSwatchView::HVColorPickerSwatchView;
    using HVColorPickerSwatchView::setSelected;
    void setSelected(bool selected) override {
        durations.push_back(CATransaction::animationDuration());
        HVColorPickerSwatchView::setSelected(selected);
    }
    std::vector<double> durations;
};

TEST(SwatchView, SelectionShowsCheckmarkWithOrWithoutAnimation) {
    Stage stage;
    auto swatch = std::make_shared<SpySwatch>(kFrame);
    swatch->setSelected(true);
    EXPECT_TRUE(swatch->isSelected());
    EXPECT_FALSE(swatch->checkmarkLayer()->isHidden());
    swatch->setSelected(false, false);
    EXPECT_TRUE(swatch->checkmarkLayer()->isHidden());
    swatch->setSelected(true, true);
    EXPECT_FALSE(swatch->checkmarkLayer()->isHidden());
    swatch->setSelected(false, true);
    EXPECT_TRUE(swatch->checkmarkLayer()->isHidden());
    EXPECT_FALSE(swatch->isSelected());
    // Plain and animated: the default implicit change; not animated: a zero-length
    // transaction, closed again.
    EXPECT_EQ(swatch->durations, (std::vector<double>{0.25, 0, 0.25, 0.25}));
    EXPECT_EQ(CATransaction::depth(), 0u);
}

TEST(SwatchView, RendersColourBorderHighlightAndCheckmark) {
    Stage stage;
    auto swatch = makeSwatch(stage);
    swatch->setColor(UIColor::redColor());
    CGImageRef image = stage.render(2);
    auto at = [&](CGFloat x, CGFloat y) {
        return CGImageGetPixel(image, static_cast<std::size_t>((100 + x) * 2),
                               static_cast<std::size_t>((100 + y) * 2));
    };
    EXPECT_EQ(at(18, 18), (CGPixel{255, 0, 0, 255})) << describe(at(18, 18));
    // The border runs 1..2 along the top: grey 0.6 multiplied into red, over the
    // red fill (the fill reaches 1 point inside the bounds).
    CGPixel border = at(18, 1.25f);
    EXPECT_TRUE(near(border, {153, 0, 0, 255}, 3)) << describe(border);
    // Below the bottom border the white shadow (offset 1 down) shows over the
    // window's white; outside the shape nothing is drawn.
    EXPECT_EQ(at(18, 0.25f), (CGPixel{255, 255, 255, 255})) << describe(at(18, 0.25f));
    EXPECT_EQ(at(-1, 18), (CGPixel{255, 255, 255, 255}));

    swatch->setSelected(true);
    stage.down({118, 118});
    CAMediaTimeAdvance(0.01);
    image = stage.render(2);
    // Highlight: black at 0.2 over red; the checkmark covers 11..33 and is on top.
    EXPECT_TRUE(near(at(5, 5), {204, 0, 0, 255}, 2)) << describe(at(5, 5));
    EXPECT_EQ(at(11.25f, 11.25f), kCheckmarkPixel) << describe(at(11.25f, 11.25f));
    EXPECT_EQ(at(32.75f, 32.75f), kCheckmarkPixel);
    stage.up({118, 118});
}

} // namespace
