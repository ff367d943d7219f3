#include "HVColorPicker.h"

#include "HVColorPickerGeometry.h"
#include "UIColor-Utilities.h"

#include <QuartzCore/CAGradientLayer.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIButton.h>

namespace {

UIColorRef hexColor(const char* hex) {
    return UIColor_Utilities::colorWithHexString(hex);
}

} // namespace

HVColorPicker::HVColorPicker(CGRect frame) : UIControl(frame) {
    setup();
}

void HVColorPicker::setup() {
    setBackgroundColor(hexColor("5856D6"));
    addWheel();
    addSliders();
    addCompareView();
    addSwatches();
    setSelectedColor(UIColor::whiteColor());
    fixLocations();
    addGradientBackground();
    addMoreAppsButton();
}

void HVColorPicker::addWheel() {
    auto wheel = std::make_shared<HVColorPickerHSWheel>(CGPointMake(40, 15));
    wheel->addTarget(this, "colorWheelColorChanged:", &HVColorPicker::colorWheelColorChanged,
                     UIControlEventValueChanged);
    addSubview(wheel);
    setColorWheel(wheel);
}

// The sliders are wired and laid out but never put on screen: the free edition
// offers only the wheel's prompt and the presets.
void HVColorPicker::addSliders() {
    auto brightness = std::make_shared<HVColorPickerBrightnessSlider>(CGRectMake(24, 277, 272, 38));
    brightness->addTarget(this, "brightnessChanged:", &HVColorPicker::brightnessChanged,
                          UIControlEventValueChanged);
    setBrightnessSlider(brightness);
    auto alpha = std::make_shared<HVColorPickerAlphaSlider>(CGRectMake(24, 321, 272, 38));
    alpha->addTarget(this, "alphaChanged:", &HVColorPicker::alphaChanged,
                     UIControlEventValueChanged);
    setAlphaSlider(alpha);
}

void HVColorPicker::addCompareView() {
    auto compare = std::make_shared<HVColorCompareView>(CGRectMake(10, 10, 44, 44));
    compare->addTarget(
        this, "oldColor:",
        static_cast<void (HVColorPicker::*)(HVColorCompareView*)>(&HVColorPicker::oldColor),
        UIControlEventTouchUpInside);
    compare->setOldColor(oldColor_);
    setCurrentColorView(compare);
    addSubview(compare);
}

void HVColorPicker::addSwatches() {
    setSwatches(NSMutableArray::array());
    std::vector<float> hues = HVColorPickerPaletteHues();
    std::vector<std::string> names = HVColorPickerPaletteNames();
    for (std::size_t i = 0; i < hues.size(); ++i) {
        auto swatch = std::make_shared<HVColorPickerSwatchView>(CGRectZero);
        swatch->setColor(UIColor::colorWithHue(hues[i], 1, 1, 1));
        swatch->setAccessibilityLabel(names[i]);
        swatch->addTarget(this, "swatchAction:", &HVColorPicker::swatchAction,
                          UIControlEventTouchUpInside);
        swatch->setFocusGroupIdentifier("HVColorPickerSwatches"); // the arrows move among them
        addSubview(swatch);
        swatches_->addObject(swatch);
    }
}

void HVColorPicker::addGradientBackground() {
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 320, bounds().size.height));
    gradient->setColors({hexColor("1AD6FD")->CGColor(), hexColor("1D62F0")->CGColor()});
    layer()->insertSublayer(gradient, 0);
}

void HVColorPicker::addMoreAppsButton() {
    auto button = std::make_shared<UIButton>(CGRectMake(130, 280, 200, 100));
    button->setTitle("-->More apps by me", UIControlStateNormal);
    button->setTitleColor(UIColor::greenColor(), UIControlStateNormal);
    button->addTarget(this, "morebyme", &HVColorPicker::morebyme, UIControlEventTouchDown);
    // It opens a web page: a link, named without the drawn arrow.
    button->setAccessibilityTraits(UIAccessibilityTraitLink);
    button->setAccessibilityLabel("More apps by me");
    moreAppsButton_ = button.get();
    addSubview(button);
}

void HVColorPicker::setSelectedColor(UIColorRef color) {
    if (!color) {
        return; // nothing to show or report; no caller passes one
    }
    selectedColor_ = std::move(color);
    HSVType hsv = RGB_to_HSV(rgbWithUIColor(selectedColor_));
    colorWheel_->setCurrentHSV(hsv);
    brightnessSlider_->setValue(hsv.v);
    alphaSlider_->setValue(UIColor_Utilities::alpha(selectedColor_));
    brightnessSlider_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, 1, 1));
    alphaSlider_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, hsv.v, 1));
    currentColorView_->setCurrentColor(selectedColor_);
    markChosenSwatch();
    sendActionsForControlEvents(UIControlEventValueChanged);
}

// The swatch showing the picked colour, by the hex forms, is the chosen one.
void HVColorPicker::markChosenSwatch() {
    std::size_t count = swatches_ ? swatches_->count() : 0;
    bool rgb = UIColor_Utilities::canProvideRGBComponents(selectedColor_);
    for (std::size_t i = 0; i < count; ++i) {
        auto swatch = ns_cast<HVColorPickerSwatchView>(swatches_->objectAtIndex(i));
        swatch->setChosen(rgb && UIColor_Utilities::canProvideRGBComponents(swatch->color()) &&
                          UIColor_Utilities::rgbaHex(swatch->color()) ==
                              UIColor_Utilities::rgbaHex(selectedColor_));
    }
}

std::vector<UIView*> HVColorPicker::accessibilityElements() const {
    std::vector<UIView*> elements{colorWheel_.get()};
    std::size_t count = swatches_ ? swatches_->count() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        elements.push_back(ns_cast<HVColorPickerSwatchView>(swatches_->objectAtIndex(i)).get());
    }
    elements.push_back(currentColorView_.get());
    if (moreAppsButton_ != nullptr) {
        elements.push_back(moreAppsButton_);
    }
    return elements;
}

void HVColorPicker::setSelectedColor(UIColorRef color, bool animated) {
    if (!animated) {
        setSelectedColor(std::move(color));
        return;
    }
    UIView::beginAnimations();
    setSelectedColor(std::move(color));
    UIView::commitAnimations();
}

void HVColorPicker::setOldColor(UIColorRef color) {
    oldColor_ = std::move(color);
    currentColorView_->setOldColor(oldColor_);
}

void HVColorPicker::fixLocations() {
    std::size_t count = swatches_ ? swatches_->count() : 0;
    HVColorPickerLayout layout = HVColorPickerLayoutForBounds(bounds().size, count);
    for (std::size_t i = 0; i < count; ++i) {
        auto swatch = ns_cast<HVColorPickerSwatchView>(swatches_->objectAtIndex(i));
        swatch->setFrame(layout.swatchFrames[i]);
    }
    brightnessSlider_->setFrame(layout.brightnessSliderFrame);
    alphaSlider_->setFrame(layout.alphaSliderFrame);
}

void HVColorPicker::layoutSubviews() {
    UIView::beginAnimations();
    fixLocations();
    UIView::commitAnimations();
}

void HVColorPicker::colorWheelColorChanged(id) {
    UIAlertView::initWithTitle(
        "Sorry",
        "free version you can only use the bottom color,if you want more,you can "
        "try HuetonePro :)",
        this, "Later", {"Try now!"})
        ->show();
}

void HVColorPicker::brightnessChanged(id) {
    HSVType hsv = colorWheel_->currentHSV();
    setSelectedColor(
        UIColor::colorWithHue(hsv.h, hsv.s, brightnessSlider_->value(), alphaSlider_->value()));
}

void HVColorPicker::alphaChanged(id sender) {
    brightnessChanged(sender);
}

void HVColorPicker::swatchAction(HVColorPickerSwatchView* sender) {
    if (sender != nullptr) {
        setSelectedColor(sender->color(), true);
    }
}

void HVColorPicker::oldColor(HVColorCompareView* sender) {
    if (sender != nullptr) {
        setSelectedColor(sender->oldColor(), true);
    }
}

void HVColorPicker::alertViewClickedButtonAtIndex(UIAlertView*, NSInteger buttonIndex) {
    if (buttonIndex == 1) {
        UIApplication::sharedApplication()->openURL(proPackageURL());
    }
}

void HVColorPicker::morebyme() {
    UIApplication::sharedApplication()->openURL(developerListingURL());
}

std::string HVColorPicker::proPackageURL() {
    return std::string("cydia://package/") + HVColorPickerProPackageIdentifier;
}

std::string HVColorPicker::developerListingURL() {
    return std::string("http://") + HVColorPickerDeveloperListingHost +
           "/packagesfordev.php?name=Prismkey";
}
