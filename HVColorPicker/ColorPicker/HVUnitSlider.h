// A touch control that holds one value in 0..1 and shows it as the position of a
// knob along a straight track. Value 1 lies at the start of the axis (left or top),
// 0 at its end. It draws nothing of its own; subclasses add their track.
#pragma once

#include <UIKit/UIControl.h>
#include <UIKit/UIImageView.h>

class HVUnitSlider;
using HVUnitSliderRef = std::shared_ptr<HVUnitSlider>;

class HVUnitSlider : public UIControl {
  public:
    // The orientation follows the frame now (wider than tall: horizontal) and is
    // kept for good.
    explicit HVUnitSlider(CGRect frame);

    float value() const { return value_; }
    // Clamps into 0..1 and places the knob. Sends nothing.
    void setValue(float value);
    // Takes the value under `point` (slider coordinates), then sends value-changed,
    // also when the value stayed the same.
    void mapPointToValue(CGPoint point);

    const UIImageViewRef& sliderKnobView() const { return sliderKnobView_; }
    void setSliderKnobView(UIImageViewRef view) { sliderKnobView_ = std::move(view); }

    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    // Keeps the knob above whatever a subclass adds later.
    void didAddSubview(UIView* subview) override;

  protected:
    bool horizontal() const { return horizontal_; }

  private:
    UIImageViewRef sliderKnobView_;
    bool horizontal_ = false;
    float value_ = 0;
};
