// A square control showing a colour wheel with a knob on it: the knob's angle
// round the centre is the hue, its distance from the centre the saturation.
// Brightness is not shown; the wheel keeps it at 1.
#pragma once

#include "HSV.h"

#include <UIKit/UIControl.h>
#include <UIKit/UIImageView.h>

class HVColorPickerHSWheel;
using HVColorPickerHSWheelRef = std::shared_ptr<HVColorPickerHSWheel>;

class HVColorPickerHSWheel : public UIControl {
  public:
    // initAtOrigin: the control is 240 x 240 points at `origin`, knob at the centre.
    explicit HVColorPickerHSWheel(CGPoint origin);

    HSVType currentHSV() const { return currentHSV_; }
    // Keeps hue and saturation, with brightness 1, and places the knob. Sends nothing.
    void setCurrentHSV(HSVType hsv);
    float hue() const { return currentHSV_.h; }
    float saturation() const { return currentHSV_.s; }
    float brightness() const { return currentHSV_.v; }

    // Takes the hue and saturation under `point` (in the wheel image's coordinates),
    // then sends value-changed, also when nothing changed.
    void mapPointToColor(CGPoint point);

    const UIImageViewRef& wheelImageView() const { return wheelImageView_; }
    void setWheelImageView(UIImageViewRef view) { wheelImageView_ = std::move(view); }
    const UIImageViewRef& wheelKnobView() const { return wheelKnobView_; }
    void setWheelKnobView(UIImageViewRef view) { wheelKnobView_ = std::move(view); }

    // A touch must begin inside the wheel image's square; once tracked, a finger
    // beyond the rim keeps steering the hue.
    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;

    // "Hue and saturation", adjustable, valued by the colour the knob shows; the
    // focus ring follows the wheel's rim.
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    std::string accessibilityValue() const override;
    UIAccessibilityTraits accessibilityTraits() const override;
    CGPathRef accessibilityPath() const override;

  private:
    UIImageViewRef wheelImageView_;
    UIImageViewRef wheelKnobView_;
    HSVType currentHSV_{0, 0, 1};
};
