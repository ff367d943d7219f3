#include "ControlsTestScene.h"

#include "HSV.h"

#include <Foundation/NSLog.h>

#include <cstdio>

namespace {

std::string format(const char* pattern, double a, double b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

} // namespace

CGRect ControlsSceneViewController::swatchFrame(std::size_t index) {
    return CGRectMake(25 + 46 * static_cast<CGFloat>(index), swatchRowY, 36, 36);
}

void ControlsSceneViewController::loadView() {
    auto view = std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame());
    view->setBackgroundColor(UIColor::colorWithRed(0.345f, 0.337f, 0.839f, 1));
    setView(view);

    wheel_ = std::make_shared<HVColorPickerHSWheel>(wheelOrigin);
    wheel_->addTarget(this, "wheelChanged:", &ControlsSceneViewController::wheelChanged,
                      UIControlEventValueChanged);
    view->addSubview(wheel_);

    compare_ = std::make_shared<HVColorCompareView>(compareFrame);
    compare_->addTarget(this, "compareTapped:", &ControlsSceneViewController::compareTapped,
                        UIControlEventTouchUpInside);
    view->addSubview(compare_);

    brightness_ = std::make_shared<HVColorPickerBrightnessSlider>(brightnessFrame);
    brightness_->addTarget(this,
                           "brightnessChanged:", &ControlsSceneViewController::brightnessChanged,
                           UIControlEventValueChanged);
    view->addSubview(brightness_);
    alpha_ = std::make_shared<HVColorPickerAlphaSlider>(alphaFrame);
    alpha_->addTarget(this, "alphaChanged:", &ControlsSceneViewController::alphaChanged,
                      UIControlEventValueChanged);
    view->addSubview(alpha_);

    for (std::size_t i = 0; i < 6; ++i) {
        auto swatch = std::make_shared<HVColorPickerSwatchView>(swatchFrame(i));
        CGFloat alpha = i == 4 ? 0.5f : 1; // a translucent blue shows the checkerboard
        swatch->setColor(UIColor::colorWithHue(static_cast<CGFloat>(i) / 6, 1, 1, alpha));
        swatch->addTarget(this, "swatchTapped:", &ControlsSceneViewController::swatchTapped,
                          UIControlEventTouchUpInside);
        view->addSubview(swatch);
        swatches_.push_back(std::move(swatch));
    }

    status_ = std::make_shared<UILabel>(CGRectMake(20, 400, 280, 30));
    status_->setTextColor(UIColor::whiteColor());
    view->addSubview(status_);

    UIColorRef start = UIColor::colorWithHue(0.08f, 0.8f, 0.9f, 1);
    compare_->setOldColor(start);
    showColor(start);
    record("ready");
}

void ControlsSceneViewController::showColor(const UIColorRef& color) {
    HSVType hsv = RGB_to_HSV(rgbWithUIColor(color));
    wheel_->setCurrentHSV(hsv);
    brightness_->setValue(hsv.v);
    alpha_->setValue(CGColorGetAlpha(color->CGColor()));
    brightness_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, 1, 1));
    alpha_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, hsv.v, 1));
    compare_->setCurrentColor(color);
}

void ControlsSceneViewController::showControlsColor() {
    HSVType hsv = wheel_->currentHSV();
    UIColorRef color = UIColor::colorWithHue(hsv.h, hsv.s, brightness_->value(), alpha_->value());
    brightness_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, 1, 1));
    alpha_->setKeyColor(UIColor::colorWithHue(hsv.h, hsv.s, brightness_->value(), 1));
    compare_->setCurrentColor(color);
}

void ControlsSceneViewController::wheelChanged(HVColorPickerHSWheel* wheel) {
    showControlsColor();
    record(format("wheel %.3f %.2f", wheel->hue(), wheel->saturation()));
}

void ControlsSceneViewController::brightnessChanged(HVColorPickerBrightnessSlider* slider) {
    showControlsColor();
    record(format("brightness %.2f", slider->value()));
}

void ControlsSceneViewController::alphaChanged(HVColorPickerAlphaSlider* slider) {
    showControlsColor();
    record(format("alpha %.2f", slider->value()));
}

void ControlsSceneViewController::swatchTapped(HVColorPickerSwatchView* swatch) {
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        bool tapped = swatches_[i].get() == swatch;
        swatches_[i]->setSelected(tapped, false);
        if (tapped) {
            record(format("swatch %.0f", static_cast<double>(i)));
        }
    }
    showColor(swatch->color());
}

void ControlsSceneViewController::compareTapped(HVColorCompareView* compare) {
    showColor(compare->oldColor());
    record("compare");
}

void ControlsSceneViewController::record(const std::string& line) {
    log_.push_back(line);
    status_->setText(line);
    NSLog("%s", line.c_str());
}

bool ControlsSceneAppDelegate::applicationDidFinishLaunchingWithOptions(
    UIApplication* application, const std::shared_ptr<NSDictionary>& options) {
    (void)application;
    (void)options;
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    scene_ = std::make_shared<ControlsSceneViewController>();
    window_->setRootViewController(scene_);
    window_->setBackgroundColor(UIColor::blackColor());
    window_->makeKeyAndVisible();
    return true;
}
