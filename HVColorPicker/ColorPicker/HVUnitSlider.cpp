#include "HVUnitSlider.h"

#include "HVUnitSliderGeometry.h"

#include <UIKit/UITouch.h>

HVUnitSlider::HVUnitSlider(CGRect frame) : UIControl(frame) {
    horizontal_ = HVUnitSliderIsHorizontal(frame);
    auto knob = UIImageView::initWithImage(UIImage::imageNamed("colorPickerKnob.png"));
    addSubview(knob);
    sliderKnobView_ = std::move(knob);
    setBackgroundColor(UIColor::clearColor());
    setUserInteractionEnabled(true);
    setValue(0);
}

void HVUnitSlider::setValue(float value) {
    value_ = HVUnitSliderClampValue(value);
    if (!sliderKnobView_) {
        return;
    }
    sliderKnobView_->setCenter(HVUnitSliderKnobCenter(
        value_, horizontal_, frame().size, bounds().size, sliderKnobView_->bounds().size));
}

void HVUnitSlider::mapPointToValue(CGPoint point) {
    setValue(HVUnitSliderValueForPoint(point, horizontal_, frame().size));
    sendActionsForControlEvents(UIControlEventValueChanged);
}

bool HVUnitSlider::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)event;
    mapPointToValue(touch->locationInView(this));
    return true;
}

bool HVUnitSlider::continueTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)event;
    mapPointToValue(touch->locationInView(this));
    return true;
}

void HVUnitSlider::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    continueTrackingWithTouch(touch, event);
}

void HVUnitSlider::didAddSubview(UIView* subview) {
    (void)subview;
    if (sliderKnobView_) {
        bringSubviewToFront(sliderKnobView_.get());
    }
}
