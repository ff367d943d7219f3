#include "ControlTestSupport.h"

#include "HVColorPickerHSWheel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace controlstest;

// The picker's wheel at (40, 15); wheel points map to screen points by this.
constexpr CGPoint kOrigin{40, 15};
CGPoint onScreen(CGPoint wheelPoint) {
    return {wheelPoint.x + kOrigin.x, wheelPoint.y + kOrigin.y};
}

struct Picked {
    float h, s;
};

// Every value-changed event with the hue and saturation at that moment.
std::shared_ptr<std::vector<Picked>> recordChanges(HVColorPickerHSWheel& wheel) {
    auto picks = std::make_shared<std::vector<Picked>>();
    wheel.addTarget(
        nullptr, "record",
        [picks, &wheel](id, UIEvent*) {
            picks->push_back({wheel.hue(), wheel.saturation()});
        },
        UIControlEventValueChanged);
    return picks;
}

void expectPick(const Picked& actual, float h, float s) {
    EXPECT_NEAR(actual.h, h, 1e-6);
    EXPECT_NEAR(actual.s, s, 1e-4);
}

TEST(HSWheel, CreatedAt240PointsWithKnobInTheCentre) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    EXPECT_EQ(wheel->frame(), CGRectMake(40, 15, 240, 240));
    EXPECT_EQ(wheel->wheelImageView()->frame(), CGRectMake(0, 0, 240, 240));
    EXPECT_EQ(wheel->wheelImageView()->contentMode(), UIViewContentModeTopLeft);
    ASSERT_EQ(wheel->subviews().size(), 2u);
    EXPECT_EQ(wheel->subviews().back(), wheel->wheelKnobView());
    EXPECT_EQ(wheel->wheelKnobView()->center(), CGPointMake(120, 120));
    HSVType hsv = wheel->currentHSV();
    EXPECT_EQ(hsv.h, 0);
    EXPECT_EQ(hsv.s, 0);
    EXPECT_EQ(hsv.v, 1);
}

TEST(HSWheel, SetCurrentHSVKeepsBrightnessOnePlacesKnobSendsNothing) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    auto picks = recordChanges(*wheel);
    wheel->setCurrentHSV(HSVTypeMake(0.125f, 1, 0.2f));
    EXPECT_EQ(wheel->wheelKnobView()->center(), CGPointMake(203, 37));
    wheel->setCurrentHSV(HSVTypeMake(0.3f, 0.4f, 0.2f));
    EXPECT_EQ(wheel->hue(), 0.3f);
    EXPECT_EQ(wheel->saturation(), 0.4f);
    EXPECT_EQ(wheel->brightness(), 1);
    EXPECT_TRUE(picks->empty());
}

TEST(HSWheel, DragSendsOneEventPerTouchAndSteersBeyondTheRim) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    stage.add(wheel);
    auto picks = recordChanges(*wheel);

    stage.down(onScreen({180, 60}));
    stage.move(onScreen({125, 125})); // dead zone: hue kept, saturation 0
    stage.move(onScreen({300, 120})); // beyond the rim, off the control
    stage.up(onScreen({300, 120}));
    ASSERT_EQ(picks->size(), 4u);
    expectPick((*picks)[0], 0.125f, 0.7071f);
    expectPick((*picks)[1], 0.875f, 0);
    expectPick((*picks)[2], 0, 1);
    expectPick((*picks)[3], 0, 1);
    EXPECT_EQ(wheel->wheelKnobView()->center(), CGPointMake(237, 120));
}

TEST(HSWheel, TouchInTheSquaresCornerIsTracked) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    stage.add(wheel);
    auto picks = recordChanges(*wheel);
    stage.down(onScreen({0, 0}));
    stage.up(onScreen({0, 0}));
    ASSERT_EQ(picks->size(), 2u);
    expectPick((*picks)[0], 0.375f, 1);
}

TEST(HSWheel, TouchBeginningOutsideTheImageIsRefusedAndSendsNothing) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    // A larger control than its image, so that touches beside the image reach it.
    wheel->setFrame(CGRectMake(kOrigin.x, kOrigin.y, 300, 300));
    stage.add(wheel);
    auto picks = recordChanges(*wheel);
    EventCounter touchDowns(*wheel, UIControlEventTouchDown);

    for (CGPoint outside : {CGPoint{240, 120}, CGPoint{120, 240}, CGPoint{260, 260}}) {
        ASSERT_TRUE(stage.down(onScreen(outside)));
        stage.move(onScreen({120, 60})); // moving onto the wheel does not start tracking
        stage.up(onScreen({120, 60}));
    }
    EXPECT_TRUE(picks->empty());
    EXPECT_EQ(touchDowns.count(), 3); // the touches did reach the control
    EXPECT_EQ(wheel->wheelKnobView()->center(), CGPointMake(120, 120));
}

TEST(HSWheel, KnobRendersAtTheHueSet) {
    Stage stage;
    auto wheel = std::make_shared<HVColorPickerHSWheel>(kOrigin);
    stage.add(wheel);
    struct Case {
        float hue;
        CGPoint knob; // in the wheel
    } cases[] = {{0, {237, 120}}, {0.25f, {120, 3}}, {0.5f, {3, 120}}, {0.75f, {120, 237}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hue);
        wheel->setCurrentHSV(HSVTypeMake(c.hue, 1, 1));
        CGImageRef image = stage.render(2);
        auto at = [&](CGFloat x, CGFloat y) {
            CGPoint p = onScreen({x, y});
            return CGImageGetPixel(image, static_cast<std::size_t>(p.x * 2),
                                   static_cast<std::size_t>(p.y * 2));
        };
        EXPECT_EQ(at(c.knob.x, c.knob.y), kKnobPixel) << describe(at(c.knob.x, c.knob.y));
        EXPECT_EQ(at(c.knob.x - 14.75f, c.knob.y - 14.75f), kKnobPixel);
        // Just beyond the knob's edge on the side towards the centre: the wheel.
        CGFloat towardCentreX = c.knob.x < 120 ? 15.25f : c.knob.x > 120 ? -15.25f : 0;
        CGFloat towardCentreY = c.knob.y < 120 ? 15.25f : c.knob.y > 120 ? -15.25f : 0;
        CGPixel inside = at(c.knob.x + towardCentreX, c.knob.y + towardCentreY);
        EXPECT_EQ(inside, kWheelPixel) << describe(inside);
        EXPECT_EQ(at(120, 120), kWheelPixel);
    }
}

} // namespace
