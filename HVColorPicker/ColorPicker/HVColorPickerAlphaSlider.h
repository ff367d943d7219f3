// A unit slider over a gradient from a key colour (at value 1, the start of the
// axis) to the same colour fully transparent, on a checkerboard that makes the
// transparency visible.
#pragma once

#include "HVUnitSlider.h"

#include <QuartzCore/CAGradientLayer.h>

class HVColorPickerAlphaSlider : public HVUnitSlider {
  public:
    explicit HVColorPickerAlphaSlider(CGRect frame);

    // Recolours the gradient at once, without a fade. The key colour is not kept.
    void setKeyColor(const UIColorRef& color);
    // Moves the checkerboard and the gradient to the new track and the knob to the
    // same value; the gradient's direction stays as created.
    void setFrame(CGRect frame) override;

    // Held by the checkerboard's layer, not by the slider.
    CAGradientLayer* gradientLayer() const { return gradientLayer_; }
    // Held by the slider's view tree.
    UIView* checkerboard() const { return checkerboard_; }

  private:
    CAGradientLayer* gradientLayer_ = nullptr;
    UIView* checkerboard_ = nullptr;
};
