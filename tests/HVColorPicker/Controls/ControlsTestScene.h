// controls-test-scene: the picker's controls on one screen, wired to each other so
// that a person (or an event script) can try each: the wheel, both sliders (shown
// here, unlike in the picker), six swatches (blue translucent, to show the
// checkerboard) and the compare view. Each event writes a log line
// ("controls-test-scene: wheel 0.125 0.71") and shows it in a label.
#pragma once

#include "HVColorCompareView.h"
#include "HVColorPickerAlphaSlider.h"
#include "HVColorPickerBrightnessSlider.h"
#include "HVColorPickerHSWheel.h"
#include "HVColorPickerSwatchView.h"

#include <UIKit/UIKit.h>

#include <string>
#include <vector>

class ControlsSceneViewController : public UIViewController {
  public:
    // Frames in the view, which starts below the 20-point status bar.
    static constexpr CGPoint wheelOrigin{40, 15};
    static constexpr CGRect compareFrame{{10, 10}, {44, 44}};
    static constexpr CGRect brightnessFrame{{24, 262}, {272, 38}};
    static constexpr CGRect alphaFrame{{24, 304}, {272, 38}};
    static constexpr CGFloat swatchRowY = 350;
    static CGRect swatchFrame(std::size_t index);

    void loadView() override;

    HVColorPickerHSWheel* wheel() const { return wheel_.get(); }
    HVColorPickerBrightnessSlider* brightnessSlider() const { return brightness_.get(); }
    HVColorPickerAlphaSlider* alphaSlider() const { return alpha_.get(); }
    HVColorCompareView* compareView() const { return compare_.get(); }
    HVColorPickerSwatchView* swatch(std::size_t index) const { return swatches_.at(index).get(); }
    const std::vector<std::string>& log() const { return log_; }

  private:
    void wheelChanged(HVColorPickerHSWheel* wheel);
    void brightnessChanged(HVColorPickerBrightnessSlider* slider);
    void alphaChanged(HVColorPickerAlphaSlider* slider);
    void swatchTapped(HVColorPickerSwatchView* swatch);
    void compareTapped(HVColorCompareView* compare);

    // Shows `color` on every control, as the picker does when its colour is set.
    void showColor(const UIColorRef& color);
    // The colour of the wheel's hue and saturation with the sliders' values.
    void showControlsColor();
    void record(const std::string& line);

    HVColorPickerHSWheelRef wheel_;
    std::shared_ptr<HVColorPickerBrightnessSlider> brightness_;
    std::shared_ptr<HVColorPickerAlphaSlider> alpha_;
    HVColorCompareViewRef compare_;
    std::vector<HVColorPickerSwatchViewRef> swatches_;
    UILabelRef status_;
    std::vector<std::string> log_;
};

class ControlsSceneAppDelegate : public UIResponder, public UIApplicationDelegate {
  public:
    bool
    applicationDidFinishLaunchingWithOptions(UIApplication* application,
                                             const std::shared_ptr<NSDictionary>& options) override;
    ControlsSceneViewController* scene() const { return scene_.get(); }

  private:
    UIWindowRef window_;
    std::shared_ptr<ControlsSceneViewController> scene_;
};
