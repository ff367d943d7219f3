#include "ControlTestSupport.h"

#include "HVColorPickerAlphaSlider.h"
#include "HVColorPickerHSWheel.h"
#include "HVUnitSlider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using namespace controlstest;

// The picker's slider size at (24, 277); the test knob is 30 x 30.
constexpr CGRect kFrame{{24, 277}, {272, 38}};

CGPoint knobCentre(const HVUnitSlider& slider) {
    return slider.sliderKnobView()->center();
}

TEST(UnitSlider, CreatedAtValueZeroWithKnobAtTheEndAndOnTop) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(knobCentre(*slider), CGPointMake(252, 19));
    EXPECT_EQ(slider->sliderKnobView()->bounds().size, CGSizeMake(30, 30));
    ASSERT_EQ(slider->subviews().size(), 1u);
    EXPECT_EQ(slider->subviews().back(), slider->sliderKnobView());
    EXPECT_TRUE(slider->isUserInteractionEnabled());
    EXPECT_EQ(CGColorGetAlpha(slider->backgroundColor()->CGColor()), 0);
}

TEST(UnitSlider, SetValueClampsPlacesKnobAndSendsNothing) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    EventCounter changes(*slider, UIControlEventValueChanged);
    struct Case {
        float in, stored;
        CGFloat knobX;
    } cases[] = {{1.7f, 1, 20},
                 {-0.2f, 0, 252},
                 {0.5f, 0.5f, 136},
                 {std::numeric_limits<float>::quiet_NaN(), 1, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        slider->setValue(c.in);
        EXPECT_EQ(slider->value(), c.stored);
        EXPECT_EQ(knobCentre(*slider), CGPointMake(c.knobX, 19));
    }
    EXPECT_EQ(changes.count(), 0);
}

TEST(UnitSlider, EachTrackedTouchMapsAndSendsOneValueChanged) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    stage.add(slider);
    EventCounter changes(*slider, UIControlEventValueChanged);
    std::vector<float> values;
    slider->addTarget(
        nullptr, "record", [&](id, UIEvent*) { values.push_back(slider->value()); },
        UIControlEventValueChanged);

    // Screen points: the slider's origin is (24, 277).
    stage.down({24 + 136, 290}); // middle
    stage.move({24 + 10, 290});  // before the travel: 1
    stage.move({24 + 262, 300}); // past it: 0
    stage.up({24 + 262, 300});   // lifted without moving: same value again
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(values, (std::vector<float>{0.5f, 1, 0, 0}));
    EXPECT_EQ(knobCentre(*slider), CGPointMake(252, 19));
}

// A cancelled touch gets no handling of the control's own: the events sent while
// it was down stay the only ones, and nothing is mapped from the cancellation.
TEST(TrackedControls, CancelledTouchSendsNothingMore) {
    struct Case {
        const char* name;
        std::function<std::shared_ptr<UIControl>()> make;
        CGPoint down; // in screen points
        std::function<float(UIControl&)> value;
    } cases[] = {
        {"unit slider",
         [] { return std::make_shared<HVUnitSlider>(kFrame); },
         {24 + 136, 290},
         [](UIControl& c) { return static_cast<HVUnitSlider&>(c).value(); }},
        {"alpha slider",
         [] { return std::make_shared<HVColorPickerAlphaSlider>(kFrame); },
         {24 + 78, 290},
         [](UIControl& c) { return static_cast<HVUnitSlider&>(c).value(); }},
        {"wheel",
         [] { return std::make_shared<HVColorPickerHSWheel>(CGPointMake(40, 15)); },
         {40 + 180, 15 + 60},
         [](UIControl& c) { return static_cast<HVColorPickerHSWheel&>(c).hue(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stage stage;
        std::shared_ptr<UIControl> control = c.make();
        stage.add(control);
        EventCounter changes(*control, UIControlEventValueChanged);
        stage.down(c.down);
        float picked = c.value(*control);
        stage.cancel(); // the stage reports the cancellation at (0, 0)
        stage.move({24 + 10, 290});
        stage.up({24 + 10, 290});
        EXPECT_EQ(changes.count(), 1);
        EXPECT_EQ(c.value(*control), picked);
    }
}

TEST(UnitSlider, NewFrameKeepsKnobAndOrientation) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    slider->setValue(0.5f);
    slider->setFrame(CGRectMake(0, 0, 38, 400));
    EXPECT_EQ(knobCentre(*slider), CGPointMake(136, 19));
    // Still horizontal: the next placement runs along x of the narrow new frame
    // (38 - 40 = -2 points of travel) and centres across its 400-point height.
    slider->setValue(0);
    EXPECT_EQ(knobCentre(*slider), CGPointMake(18, 200));
}

TEST(UnitSlider, ShortSlidersTakeTouchesWithoutFailing) {
    // 40 points or less: the mapping divides by zero or a negative length;
    // the stored value is still clamped and the knob stays where it can be drawn.
    for (CGFloat length : {40.0f, 30.0f}) {
        SCOPED_TRACE(length);
        Stage stage;
        auto slider = std::make_shared<HVUnitSlider>(CGRectMake(100, 100, length, 20));
        stage.add(slider);
        EventCounter changes(*slider, UIControlEventValueChanged);
        for (CGFloat x : {0.0f, 20.0f, length - 1}) {
            stage.down({100 + x, 110});
            stage.up({100 + x, 110});
            EXPECT_GE(slider->value(), 0);
            EXPECT_LE(slider->value(), 1);
            EXPECT_TRUE(std::isfinite(knobCentre(*slider).x));
        }
        EXPECT_EQ(changes.count(), 6);
    }
}

TEST(UnitSlider, ViewsAddedLaterStayBeneathTheKnob) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    auto later = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
    slider->addSubview(later);
    EXPECT_EQ(slider->subviews().back(), slider->sliderKnobView());
    // The alpha slider's checkerboard too.
    auto alpha = std::make_shared<HVColorPickerAlphaSlider>(kFrame);
    ASSERT_EQ(alpha->subviews().size(), 2u);
    EXPECT_EQ(alpha->subviews().front().get(), alpha->checkerboard());
    EXPECT_EQ(alpha->subviews().back(), alpha->sliderKnobView());
}

TEST(UnitSlider, KnobRendersWhereTheValuePutsIt) {
    Stage stage;
    auto slider = std::make_shared<HVUnitSlider>(kFrame);
    stage.add(slider);
    slider->setValue(1); // knob centre (20, 19): covers x 5..35, y 4..34 in the slider
    CGImageRef image = stage.render(2);
    auto at = [&](CGFloat x, CGFloat y) {
        return CGImageGetPixel(image, static_cast<std::size_t>((24 + x) * 2),
                               static_cast<std::size_t>((277 + y) * 2));
    };
    EXPECT_EQ(at(5.25f, 4.25f), kKnobPixel) << describe(at(5.25f, 4.25f));
    EXPECT_EQ(at(34.75f, 33.75f), kKnobPixel);
    EXPECT_EQ(at(4.75f, 19), (CGPixel{255, 255, 255, 255})) << describe(at(4.75f, 19));
    EXPECT_EQ(at(35.25f, 19), (CGPixel{255, 255, 255, 255}));
}

} // namespace
