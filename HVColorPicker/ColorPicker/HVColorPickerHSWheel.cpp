#include "HVColorPickerHSWheel.h"

#include "HVColorPickerHSWheelGeometry.h"
#include "UIColor-Utilities.h"

#include <UIKit/UITouch.h>

HVColorPickerHSWheel::HVColorPickerHSWheel(CGPoint origin)
    : UIControl(
          CGRectMake(origin.x, origin.y, kHVColorPickerHSWheelSize, kHVColorPickerHSWheelSize)) {
    auto wheel = UIImageView::initWithImage(UIImage::imageNamed("pickerColorWheel.png"));
    wheel->setContentMode(UIViewContentModeTopLeft);
    wheel->setFrame(CGRectMake(0, 0, kHVColorPickerHSWheelSize, kHVColorPickerHSWheelSize));
    addSubview(wheel);
    wheelImageView_ = std::move(wheel);

    auto knob = UIImageView::initWithImage(UIImage::imageNamed("colorPickerKnob.png"));
    addSubview(knob);
    wheelKnobView_ = std::move(knob);

    setUserInteractionEnabled(true);
    setCurrentHSV(HSVTypeMake(0, 0, 1));
}

void HVColorPickerHSWheel::setCurrentHSV(HSVType hsv) {
    bool moved = hsv.h != currentHSV_.h || hsv.s != currentHSV_.s;
    currentHSV_ = HSVTypeMake(hsv.h, hsv.s, 1);
    if (moved) {
        UIAccessibilityPostNotification(UIAccessibilityNotification::valueChanged, this);
    }
    wheelKnobView_->setCenter(HVColorPickerHSWheelKnobCenter(
        currentHSV_.h, currentHSV_.s, wheelImageView_->bounds().size,
        wheelImageView_->frame().origin, wheelKnobView_->bounds().size));
}

void HVColorPickerHSWheel::mapPointToColor(CGPoint point) {
    HVHueSaturation hs =
        HVColorPickerHSWheelHueSaturationForPoint(point, wheelImageView_->bounds().size);
    setCurrentHSV(HSVTypeMake(hs.hue, hs.saturation, 1));
    sendActionsForControlEvents(UIControlEventValueChanged);
}

bool HVColorPickerHSWheel::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)event;
    if (!CGRectContainsPoint(wheelImageView_->frame(), touch->locationInView(this))) {
        return false;
    }
    mapPointToColor(touch->locationInView(wheelImageView_.get()));
    return true;
}

bool HVColorPickerHSWheel::continueTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)event;
    mapPointToColor(touch->locationInView(wheelImageView_.get()));
    return true;
}

void HVColorPickerHSWheel::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    continueTrackingWithTouch(touch, event);
}

bool HVColorPickerHSWheel::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string HVColorPickerHSWheel::accessibilityLabel() const {
    return accessibilitySettings().label.value_or("Hue and saturation");
}

std::string HVColorPickerHSWheel::accessibilityValue() const {
    return accessibilitySettings().value.value_or(UIColor_Utilities::spokenDescription(
        UIColor::colorWithHue(currentHSV_.h, currentHSV_.s, 1, 1)));
}

UIAccessibilityTraits HVColorPickerHSWheel::accessibilityTraits() const {
    return accessibilitySettings().traits.value_or(UIAccessibilityTraitAdjustable) |
           accessibilityStateTraits();
}

// A circle round the wheel image, a little outside its rim.
CGPathRef HVColorPickerHSWheel::accessibilityPath() const {
    CGRect rim = wheelImageView_->convertRectToView(wheelImageView_->bounds(), nullptr);
    return CGPathCreateWithEllipseInRect(CGRectInset(rim, -4, -4), nullptr);
}
