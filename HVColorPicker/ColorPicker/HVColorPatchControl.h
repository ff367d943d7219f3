// What the swatch and the compare view share: an opaque control on a clear
// background that shows colour patches, with a checkerboard pattern behind
// translucent colours and a dark highlight laid over it while a finger is down.
// The subclass gives the highlight its shape.
#pragma once

#include <QuartzCore/CAShapeLayer.h>
#include <UIKit/UIControl.h>

class HVColorPatchControl : public UIControl {
  public:
    // Held by the view's layer (as its first sublayer), not by the control. Black,
    // the shape layer's default fill, at opacity 0 until touched.
    CAShapeLayer* touchDownLayer() const { return touchDownLayer_; }
    void setTouchDownLayer(CAShapeLayer* layer) { touchDownLayer_ = layer; }

    // Made from "checkerboard.png" on first use and kept.
    const UIColorRef& checkerboardColor();
    void setCheckerboardColor(UIColorRef color) { checkerboardColor_ = std::move(color); }

    // Touch down shows the highlight at once; lift-off and cancel fade it out with
    // the layer's default animation.
    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void cancelTrackingWithEvent(UIEvent* event) override;

  protected:
    explicit HVColorPatchControl(CGRect frame);

    // No colour (or a pattern whose image is missing) draws as nothing, not a crash.
    static CGColorRef drawableColor(const UIColorRef& color) {
        return color ? color->CGColor() : nullptr;
    }

  private:
    CAShapeLayer* touchDownLayer_ = nullptr;
    UIColorRef checkerboardColor_;
};
