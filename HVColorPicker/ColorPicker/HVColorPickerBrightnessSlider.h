// A unit slider over a gradient from a key colour (at value 1, the start of the
// axis) to opaque black (value 0).
#pragma once

#include "HVUnitSlider.h"

#include <QuartzCore/CAGradientLayer.h>

class HVColorPickerBrightnessSlider : public HVUnitSlider {
  public:
    explicit HVColorPickerBrightnessSlider(CGRect frame);

    // Recolours the gradient at once, without a fade: the picker calls this on every
    // move of a finger. The key colour is not kept.
    void setKeyColor(const UIColorRef& color);
    // Moves the gradient to the new track and the knob to the same value.
    void setFrame(CGRect frame) override;

    // Held by the slider's layer, not by the slider.
    CAGradientLayer* gradientLayer() const { return gradientLayer_; }

  private:
    void placeGradient();

    CAGradientLayer* gradientLayer_ = nullptr;
};
