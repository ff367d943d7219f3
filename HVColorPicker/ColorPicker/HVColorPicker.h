// The composite colour picker: a hue/saturation wheel, six preset swatches and an
// old/new comparison patch (plus brightness and alpha sliders that are made, wired
// and laid out but not shown). It holds one selected colour, brings every control
// into line whenever it is set, and reports each change with one value-changed
// event.
#pragma once

#include "HSV.h"
#include "HVColorCompareView.h"
#include "HVColorPickerAlphaSlider.h"
#include "HVColorPickerBrightnessSlider.h"
#include "HVColorPickerHSWheel.h"
#include "HVColorPickerSwatchView.h"

#include <Foundation/NSArray.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIControl.h>

#include <memory>
#include <string>
#include <vector>

// Where the picker's two links lead: the paid product in the package manager, and
// the web page that lists the developer's packages.
inline constexpr const char* HVColorPickerProPackageIdentifier = "io.prismkey.pro";
inline constexpr const char* HVColorPickerDeveloperListingHost = "repo.prismkey.io";

class HVColorPicker;
using HVColorPickerRef = std::shared_ptr<HVColorPicker>;

class HVColorPicker : public UIControl, public UIAlertViewDelegate {
  public:
    // initWithFrame: the control, then `setup`.
    explicit HVColorPicker(CGRect frame);

    void awakeFromNib() { setup(); }
    void setup();

    const UIColorRef& selectedColor() const { return selectedColor_; }
    void setSelectedColor(UIColorRef color);
    void setSelectedColor(UIColorRef color, bool animated);
    const UIColorRef& oldColor() const { return oldColor_; }
    void setOldColor(UIColorRef color);

    void fixLocations();
    void layoutSubviews() override;

    // Read, and tabbed through, as the eye goes: the wheel, the swatches, the
    // comparison patch, the more-apps link.
    std::vector<UIView*> accessibilityElements() const override;

    // Actions, by their selector names in the event wiring.
    void colorWheelColorChanged(id sender);
    void brightnessChanged(id sender);
    void alphaChanged(id sender);
    void swatchAction(HVColorPickerSwatchView* sender);
    void oldColor(HVColorCompareView* sender);
    void morebyme();
    void alertViewClickedButtonAtIndex(UIAlertView* alertView, NSInteger buttonIndex) override;

    const HVColorPickerHSWheelRef& colorWheel() const { return colorWheel_; }
    void setColorWheel(HVColorPickerHSWheelRef wheel) { colorWheel_ = std::move(wheel); }
    const std::shared_ptr<HVColorPickerBrightnessSlider>& brightnessSlider() const {
        return brightnessSlider_;
    }
    void setBrightnessSlider(std::shared_ptr<HVColorPickerBrightnessSlider> slider) {
        brightnessSlider_ = std::move(slider);
    }
    const std::shared_ptr<HVColorPickerAlphaSlider>& alphaSlider() const { return alphaSlider_; }
    void setAlphaSlider(std::shared_ptr<HVColorPickerAlphaSlider> slider) {
        alphaSlider_ = std::move(slider);
    }
    const HVColorCompareViewRef& currentColorView() const { return currentColorView_; }
    void setCurrentColorView(HVColorCompareViewRef view) { currentColorView_ = std::move(view); }
    const std::shared_ptr<NSMutableArray>& swatches() const { return swatches_; }
    void setSwatches(std::shared_ptr<NSMutableArray> swatches) { swatches_ = std::move(swatches); }

    // The addresses the two links open.
    static std::string proPackageURL();
    static std::string developerListingURL();

  private:
    void addWheel();
    void addSliders();
    void addCompareView();
    void addSwatches();
    void addGradientBackground();
    void addMoreAppsButton();
    void markChosenSwatch();

    UIColorRef selectedColor_;
    UIColorRef oldColor_;
    HVColorPickerHSWheelRef colorWheel_;
    std::shared_ptr<HVColorPickerBrightnessSlider> brightnessSlider_;
    std::shared_ptr<HVColorPickerAlphaSlider> alphaSlider_;
    HVColorCompareViewRef currentColorView_;
    std::shared_ptr<NSMutableArray> swatches_;
    UIView* moreAppsButton_ = nullptr; // held by the view tree
};
