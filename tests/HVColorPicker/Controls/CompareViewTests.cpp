#include "ControlTestSupport.h"
#include "ExpectedDrawPlans.h"

#include "HVColorCompareView.h"

#include <QuartzCore/CAMediaTiming.h>

#include <gtest/gtest.h>

namespace {

using namespace controlstest;
using namespace expectedplans;

constexpr CGRect kFrame{{10, 10}, {44, 44}};

HVColorCompareViewRef makeCompare(Stage& stage) {
    auto view = std::make_shared<HVColorCompareView>(kFrame);
    stage.add(view);
    view->layoutIfNeeded();
    stage.render(); // on screen before it is touched
    CAMediaTimeAdvance(1);
    return view;
}

CGRecordingContext drawnOperations(HVColorCompareView& view) {
    CGRecordingContext context;
    view.drawLayerInContext(view.layer(), &context);
    return context;
}

TEST(CompareView, CreatedWithTranslucentBlueAndGreyAndAHiddenHighlight) {
    Stage stage;
    auto view = makeCompare(stage);
    EXPECT_TRUE(CGColorEqualToColor(view->oldColor()->CGColor(),
                                    UIColor::colorWithRed(0, 0, 1, 0.6f)->CGColor()));
    EXPECT_TRUE(CGColorEqualToColor(view->currentColor()->CGColor(),
                                    UIColor::colorWithWhite(0.5f, 0.8f)->CGColor()));
    EXPECT_TRUE(view->isOpaque());
    ASSERT_EQ(view->layer()->sublayers().size(), 1u);
    EXPECT_EQ(view->layer()->sublayers()[0].get(), view->touchDownLayer());
    EXPECT_EQ(view->touchDownLayer()->opacity(), 0);
    // The highlight has the old half's shape.
    EXPECT_TRUE(CGPathEqualToPath(view->touchDownLayer()->path(),
                                  HVNewLeftRoundRectPath(CGRectMake(0, 0, 23, 44), 7)));
}

TEST(CompareView, DrawsTheExactPlanCheckerboardOnlyUnderTranslucency) {
    Stage stage;
    auto view = makeCompare(stage);
    const CGColorRef& pattern = view->checkerboardColor()->CGColor();
    expectSameOperations(
        drawnOperations(*view),
        compare44(view->oldColor()->CGColor(), view->currentColor()->CGColor(), pattern));

    view->setOldColor(UIColor::redColor());
    view->setCurrentColor(UIColor::greenColor());
    expectSameOperations(
        drawnOperations(*view),
        compare44(UIColor::redColor()->CGColor(), UIColor::greenColor()->CGColor(), nullptr));

    view->setCurrentColor(UIColor::greenColor()->colorWithAlphaComponent(0));
    expectSameOperations(
        drawnOperations(*view),
        compare44(UIColor::redColor()->CGColor(), view->currentColor()->CGColor(), pattern));
}

TEST(CompareView, NoOldColourYetDrawsTheCheckerboardThroughTheLeftHalf) {
    // The picker gives the view its (still empty) old colour when it builds it.
    Stage stage;
    auto view = makeCompare(stage);
    view->setOldColor(nullptr);
    view->setCurrentColor(UIColor::redColor());
    expectSameOperations(drawnOperations(*view), compare44(nullptr, UIColor::redColor()->CGColor(),
                                                           view->checkerboardColor()->CGColor()));
    CGImageRef image = stage.render(1);
    CGPixel left = CGImageGetPixel(image, 10 + 8, 10 + 22);
    EXPECT_TRUE(near(left, kCheckerLight) || near(left, kCheckerDark)) << describe(left);
    EXPECT_EQ(CGImageGetPixel(image, 10 + 33, 10 + 22), (CGPixel{255, 0, 0, 255}));
}

TEST(CompareView, SettingTheSameColourStillRedraws) {
    Stage stage;
    auto view = makeCompare(stage);
    for (bool old : {true, false}) {
        stage.render();
        ASSERT_FALSE(view->layer()->needsDisplay());
        if (old) {
            view->setOldColor(view->oldColor());
        } else {
            view->setCurrentColor(view->currentColor());
        }
        EXPECT_TRUE(view->layer()->needsDisplay());
    }
}

TEST(CompareView, TouchUpInsideOnlyWhenLiftedInsideHighlightEitherWay) {
    Stage stage;
    auto view = makeCompare(stage);
    EventCounter taps(*view, UIControlEventTouchUpInside);
    CAShapeLayer* highlight = view->touchDownLayer();

    stage.down({20, 30});
    EXPECT_EQ(highlight->opacity(), 0.2f);
    CAMediaTimeAdvance(0.002);
    EXPECT_EQ(highlight->presentationOpacity(), 0.2f);
    stage.up({40, 30});
    EXPECT_EQ(taps.count(), 1);
    EXPECT_EQ(highlight->opacity(), 0);

    // Dragged out and released outside: no tap, the highlight still goes.
    CAMediaTimeAdvance(1);
    stage.down({20, 30});
    CAMediaTimeAdvance(0.002);
    stage.move({200, 200});
    stage.up({200, 200});
    EXPECT_EQ(taps.count(), 1);
    EXPECT_EQ(highlight->opacity(), 0);
    CAMediaTimeAdvance(0.1);
    EXPECT_GT(highlight->presentationOpacity(), 0); // fading with the default animation
    CAMediaTimeAdvance(0.5);
    EXPECT_EQ(highlight->presentationOpacity(), 0);

    stage.down({20, 30});
    stage.cancel();
    EXPECT_EQ(highlight->opacity(), 0);
    EXPECT_EQ(taps.count(), 1);
}

TEST(CompareView, HalvesMeetInTheMiddleInsideAWhiteBorder) {
    Stage stage;
    auto view = makeCompare(stage);
    view->setOldColor(UIColor::redColor());
    view->setCurrentColor(UIColor::blueColor());
    stage.window().setBackgroundColor(UIColor::blackColor());
    CGImageRef image = stage.render(2);
    auto at = [&](CGFloat x, CGFloat y) {
        return CGImageGetPixel(image, static_cast<std::size_t>((10 + x) * 2),
                               static_cast<std::size_t>((10 + y) * 2));
    };
    const CGPixel red{255, 0, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255},
        black{0, 0, 0, 255};
    EXPECT_EQ(at(21.75f, 22), red) << describe(at(21.75f, 22));
    EXPECT_EQ(at(22.25f, 22), blue) << describe(at(22.25f, 22));
    EXPECT_EQ(at(10, 22), red);
    EXPECT_EQ(at(34, 22), blue);
    // The border: 2 wide along x = 1..3 and y = 1..3, white over the halves.
    EXPECT_EQ(at(1.25f, 22), white) << describe(at(1.25f, 22));
    EXPECT_EQ(at(22, 1.25f), white);
    EXPECT_EQ(at(42.75f, 22), white);
    EXPECT_EQ(at(22, 42.75f), white);
    // Outside the shapes the window shows.
    EXPECT_EQ(at(0.25f, 22), black) << describe(at(0.25f, 22));
    EXPECT_EQ(at(43.75f, 22), black);
}

} // namespace
