// The picker's value flow and wiring, and the settings app's start-up order.
#include "HVColorPicker.h"
#include "UIColor-Utilities.h"

#include <AppDelegate.h>
#include <HVDefaultColorViewController.h>

#include <Foundation/NSFileManager.h>
#include <QuartzCore/CAMediaTiming.h>
#include <TintPreferences.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIImage.h>
#include <UIKit/UIScreen.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::vector<float> components(const UIColorRef& color) {
    if (!color) {
        return {};
    }
    CGFloat r, g, b, a;
    if (!UIColor_Utilities::red(color, &r, &g, &b, &a)) {
        return {};
    }
    return {r, g, b, a};
}

class Picker : public ::testing::Test {
  protected:
    void SetUp() override {
        UIImage::setResourceDirectory(testsupport::buildDirectory() / "Resources");
        CAMediaTimeUseVirtualClock(0);
        picker = std::make_shared<HVColorPicker>(CGRectMake(0, 0, 320, 416));
        picker->addTarget(
            nullptr, "count", [this](id, UIEvent*) { ++events; }, UIControlEventValueChanged);
    }
    void TearDown() override {
        while (UIAlertView* alert = UIAlertView::visibleAlert()) {
            alert->dismissWithClickedButtonIndex(0, false);
        }
    }
    HVColorPickerSwatchView* swatch(std::size_t i) const {
        return ns_cast<HVColorPickerSwatchView>(picker->swatches()->objectAtIndex(i)).get();
    }
    HVColorPickerRef picker;
    int events = 0;
};

TEST_F(Picker, StartsWhiteWithEveryControlInLine) {
    EXPECT_EQ(components(picker->selectedColor()), (std::vector<float>{1, 1, 1, 1}));
    HSVType hsv = picker->colorWheel()->currentHSV();
    EXPECT_EQ(hsv.h, 0);
    EXPECT_EQ(hsv.s, 0);
    EXPECT_EQ(picker->brightnessSlider()->value(), 1);
    EXPECT_EQ(picker->alphaSlider()->value(), 1);
    EXPECT_EQ(components(picker->currentColorView()->currentColor()),
              (std::vector<float>{1, 1, 1, 1}));
    EXPECT_FALSE(picker->oldColor());
    EXPECT_EQ(picker->swatches()->count(), 6u);
    // The sliders are made and wired but never shown.
    EXPECT_EQ(picker->brightnessSlider()->superview(), nullptr);
    EXPECT_EQ(picker->alphaSlider()->superview(), nullptr);
}

TEST_F(Picker, SettingAColourDerivesEachControlAndSendsOneEvent) {
    picker->setSelectedColor(UIColor::colorWithRed(1, 0, 0, 1));
    EXPECT_EQ(events, 1);
    HSVType hsv = picker->colorWheel()->currentHSV();
    EXPECT_EQ(hsv.h, 1) << "red whose green equals its blue has hue 1";
    EXPECT_EQ(hsv.s, 1);
    EXPECT_EQ(picker->brightnessSlider()->value(), 1);
    EXPECT_EQ(picker->alphaSlider()->value(), 1);
    EXPECT_EQ(components(picker->currentColorView()->currentColor()),
              (std::vector<float>{1, 0, 0, 1}));

    // A translucent dark teal: brightness and alpha come from the colour itself.
    picker->setSelectedColor(UIColor::colorWithRed(0, 0.4f, 0.4f, 0.5f));
    EXPECT_EQ(events, 2);
    EXPECT_FLOAT_EQ(picker->brightnessSlider()->value(), 0.4f);
    EXPECT_FLOAT_EQ(picker->alphaSlider()->value(), 0.5f);
    auto keys = picker->brightnessSlider()->gradientLayer()->colors();
    ASSERT_EQ(keys.size(), 2u);
    const CGFloat* key = CGColorGetComponents(keys[0]);
    EXPECT_FLOAT_EQ(key[1], 1) << "the brightness key colour is at full brightness";
    EXPECT_FLOAT_EQ(key[2], 1);
    EXPECT_FLOAT_EQ(key[3], 1);

    picker->setSelectedColor(picker->selectedColor());
    EXPECT_EQ(events, 3) << "the same colour again still reports once";
}

bool isFinite(CGPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Stored colours that a hostile or damaged preferences file can hold. Their HSV
// may be infinite or not a number; every control must still be placed where it
// can be drawn, and the colour itself is kept exactly as given.
TEST_F(Picker, DamagedColourLeavesEveryControlFiniteAndTheColourAsGiven) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float r, g, b, a;
        float brightness, alpha; // the sliders' clamped values
    } cases[] = {
        {"red -1", -1, 0.4f, 0.6f, 1, 0.6f, 1},
        {"black but red -1: saturation infinite", -1, 0, 0, 1, 0, 1},
        {"red 1e39: hue and saturation not a number", inf, 0.4f, 0.6f, 1, 1, 1},
        {"red -1e39", -inf, 0.4f, 0.6f, 1, 0.6f, 1},
        {"red not a number", nan, 0.4f, 0.6f, 1, 0.6f, 1},
        {"all 1e39", inf, inf, inf, 1, 1, 1},
        {"grey -1", -1, -1, -1, 1, 0, 1},
        {"alpha 1e39", 0.2f, 0.4f, 0.6f, inf, 0.6f, 1},
        {"alpha -1", 0.2f, 0.4f, 0.6f, -1, 0.6f, 0},
        {"alpha not a number", 0.2f, 0.4f, 0.6f, nan, 0.6f, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UIColorRef damaged = UIColor::colorWithRed(c.r, c.g, c.b, c.a);
        int before = events;
        ASSERT_NO_THROW(picker->setSelectedColor(damaged));
        EXPECT_EQ(events, before + 1);
        EXPECT_TRUE(isFinite(picker->colorWheel()->wheelKnobView()->center()));
        EXPECT_FLOAT_EQ(picker->brightnessSlider()->value(), c.brightness);
        EXPECT_EQ(picker->alphaSlider()->value(), c.alpha);
        EXPECT_TRUE(isFinite(picker->brightnessSlider()->sliderKnobView()->center()));
        EXPECT_TRUE(isFinite(picker->alphaSlider()->sliderKnobView()->center()));
        // No clamping on the way: the picker and its compare view hold the colour given.
        EXPECT_EQ(picker->selectedColor(), damaged);
        EXPECT_EQ(picker->currentColorView()->currentColor(), damaged);
        // A slider change afterwards builds a colour from the wheel without failing.
        ASSERT_NO_THROW(picker->alphaChanged(nullptr));
        EXPECT_TRUE(isFinite(picker->colorWheel()->wheelKnobView()->center()));
    }
}

// Brightness key: the colour's hue and saturation at full brightness; alpha key:
// its hue, saturation and brightness, opaque. The far ends: black, and the alpha
// key made transparent.
TEST_F(Picker, SliderKeyColoursFollowTheSelectedColour) {
    struct Case {
        const char* name;
        UIColorRef color;
        std::vector<float> brightnessKey, alphaKey;
    } cases[] = {
        {"red", UIColor::colorWithRed(1, 0, 0, 1), {1, 0, 0, 1}, {1, 0, 0, 1}},
        {"translucent dark teal",
         UIColor::colorWithRed(0, 0.4f, 0.4f, 0.5f),
         {0, 1, 1, 1},
         {0, 0.4f, 0.4f, 1}},
        {"grey in the white space",
         UIColor::colorWithWhite(0.5f, 0.25f),
         {1, 1, 1, 1},
         {0.5f, 0.5f, 0.5f, 1}},
        {"slate blue",
         UIColor::colorWithRed(0.2f, 0.4f, 0.6f, 0.3f),
         {1.0f / 3, 2.0f / 3, 1, 1},
         {0.2f, 0.4f, 0.6f, 1}},
    };
    auto expectNear = [](CGColorRef color, const std::vector<float>& expected) {
        const CGFloat* c = CGColorGetComponents(color);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(c[i], expected[i], 1e-6) << i;
        }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        picker->setSelectedColor(c.color);
        auto brightness = picker->brightnessSlider()->gradientLayer()->colors();
        auto alpha = picker->alphaSlider()->gradientLayer()->colors();
        ASSERT_EQ(brightness.size(), 2u);
        ASSERT_EQ(alpha.size(), 2u);
        expectNear(brightness[0], c.brightnessKey);
        expectNear(brightness[1], {0, 0, 0, 1});
        expectNear(alpha[0], c.alphaKey);
        std::vector<float> transparent = c.alphaKey;
        transparent[3] = 0;
        expectNear(alpha[1], transparent);
    }
}

TEST_F(Picker, SwatchesCompareViewAndSlidersSetTheColour) {
    picker->swatchAction(swatch(4));
    EXPECT_EQ(components(picker->selectedColor()), (std::vector<float>{0, 0, 1, 1}));
    picker->setOldColor(UIColor::colorWithRed(0, 1, 0, 1));
    picker->oldColor(picker->currentColorView().get());
    EXPECT_EQ(components(picker->selectedColor()), (std::vector<float>{0, 1, 0, 1}));
    EXPECT_EQ(events, 2);

    picker->colorWheel()->setCurrentHSV(HSVTypeMake(0.5f, 0.5f, 0));
    picker->brightnessSlider()->setValue(0.5f);
    picker->alphaSlider()->setValue(0.25f);
    picker->brightnessChanged(nullptr);
    EXPECT_EQ(components(picker->selectedColor()),
              components(UIColor::colorWithHue(0.5f, 0.5f, 0.5f, 0.25f)));
    EXPECT_EQ(events, 3);
}

// Tools hear each preset as a radio button named by the palette (its green is the
// web's "lime", #00FF00), valued by its spoken colour, the one the picker shows chosen.
TEST_F(Picker, SwatchesAreRadioButtonsNamedByThePaletteTheShownOneSelected) {
    struct Row {
        const char* label;
        const char* value;
    };
    const Row rows[] = {
        {"red", "red, #FF0000"},   {"yellow", "yellow, #FFFF00"}, {"green", "lime, #00FF00"},
        {"cyan", "cyan, #00FFFF"}, {"blue", "blue, #0000FF"},     {"magenta", "magenta, #FF00FF"},
    };
    auto traitsOf = [&](std::size_t i) {
        return UIAccessibilityTraitNames(swatch(i)->accessibilityTraits());
    };
    using Names = std::vector<std::string>;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(swatch(i)->accessibilityLabel(), rows[i].label);
        EXPECT_EQ(swatch(i)->accessibilityValue(), rows[i].value);
        EXPECT_EQ(traitsOf(i), (Names{"button", "radioButton"})) << "white: none chosen";
    }
    for (std::size_t chosen : {4u, 2u}) {
        picker->swatchAction(swatch(chosen));
        for (std::size_t i = 0; i < 6; ++i) {
            Names expected = i == chosen ? Names{"button", "selected", "radioButton"}
                                         : Names{"button", "radioButton"};
            EXPECT_EQ(traitsOf(i), expected) << rows[chosen].label << " chosen, swatch " << i;
        }
    }
}

TEST_F(Picker, WheelChangePromptsAndKeepsTheColour) {
    picker->colorWheelColorChanged(picker->colorWheel().get());
    UIAlertView* alert = UIAlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Sorry");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Later");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Try now!");
    EXPECT_EQ(events, 0);
    EXPECT_EQ(components(picker->selectedColor()), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(HVColorPicker::proPackageURL(), "cydia://package/io.prismkey.pro");
    EXPECT_EQ(HVColorPicker::developerListingURL(),
              "http://repo.prismkey.io/packagesfordev.php?name=Prismkey");
}

TEST_F(Picker, EventsAreWiredToTheirActions) {
    id target = picker.get();
    EXPECT_EQ(picker->colorWheel()->actionsForTarget(target, UIControlEventValueChanged),
              std::vector<std::string>{"colorWheelColorChanged:"});
    EXPECT_EQ(picker->brightnessSlider()->actionsForTarget(target, UIControlEventValueChanged),
              std::vector<std::string>{"brightnessChanged:"});
    EXPECT_EQ(picker->alphaSlider()->actionsForTarget(target, UIControlEventValueChanged),
              std::vector<std::string>{"alphaChanged:"});
    EXPECT_EQ(picker->currentColorView()->actionsForTarget(target, UIControlEventTouchUpInside),
              std::vector<std::string>{"oldColor:"});
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(swatch(i)->actionsForTarget(target, UIControlEventTouchUpInside),
                  std::vector<std::string>{"swatchAction:"});
    }
}

TEST_F(Picker, LayoutFollowsTheBounds) {
    picker->setFrame(CGRectMake(0, 0, 480, 256));
    picker->layoutIfNeeded();
    EXPECT_EQ(swatch(3)->frame().origin, CGPointMake(308.66666f, 193));
    EXPECT_EQ(picker->alphaSlider()->frame(), CGRectMake(300, 83, 165, 38));
}

// Start-up gives the screen white before it builds its view; building it takes the
// stored colour, if there is one, as both the old and the new colour.
TEST(SettingsStartUp, ScreenHoldsWhiteUntilItsViewTakesTheStoredColour) {
    testsupport::TemporaryDirectory root;
    NSFileManager::setDeviceRoot(root.path().string());
    NSFileManager::defaultManager()->createStandardDeviceFolders();
    UIImage::setResourceDirectory(testsupport::buildDirectory() / "Resources");
    TintPreferences::loadForScreen();
    ASSERT_TRUE(TintPreferences::storeColor(UIColor::colorWithRed(0, 0, 1, 1)).succeeded());

    auto screen = std::make_shared<HVDefaultColorViewController>();
    screen->setSelectedColor(UIColor::whiteColor());
    EXPECT_FALSE(screen->isViewLoaded());
    EXPECT_EQ(components(screen->selectedColor()), (std::vector<float>{1, 1, 1, 1}));
    screen->view();
    EXPECT_EQ(components(screen->selectedColor()), (std::vector<float>{0, 0, 1, 1}));
    EXPECT_EQ(components(screen->picker()->oldColor()), (std::vector<float>{0, 0, 1, 1}));
    EXPECT_EQ(components(screen->picker()->selectedColor()), (std::vector<float>{0, 0, 1, 1}));
    EXPECT_EQ(screen->toggleButton()->title(), "TurnOn");
    EXPECT_FALSE(screen->saveButton()->isEnabled());
}

} // namespace
