// Two colours side by side in one rounded, white-bordered box: the old colour on
// the left, the current colour on the right, a checkerboard behind translucent
// ones. Touching it darkens the old half; its owner listens for touch-up-inside.
#pragma once

#include "HVColorCompareGeometry.h"

#include <QuartzCore/CAShapeLayer.h>
#include <UIKit/UIControl.h>

class HVColorCompareView;
using HVColorCompareViewRef = std::shared_ptr<HVColorCompareView>;

class HVColorCompareView : public UIControl {
  public:
    explicit HVColorCompareView(CGRect frame);

    // Each setter redraws, also for the same colour.
    const UIColorRef& oldColor() const { return oldColor_; }
    void setOldColor(UIColorRef color);
    const UIColorRef& currentColor() const { return currentColor_; }
    void setCurrentColor(UIColorRef color);

    // Held by the view's layer, not by the view.
    CAShapeLayer* touchDownLayer() const { return touchDownLayer_; }
    void setTouchDownLayer(CAShapeLayer* layer) { touchDownLayer_ = layer; }

    // Made from "checkerboard.png" on first use and kept.
    const UIColorRef& checkerboardColor();
    void setCheckerboardColor(UIColorRef color) { checkerboardColor_ = std::move(color); }

    // Draws the whole control from the bounds, whatever `rect` asks for.
    void drawRect(CGRect rect) override;
    // Gives the highlight the shape of the old half; nothing else.
    void layoutSublayersOfLayer(CALayer* layer) override;

    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void cancelTrackingWithEvent(UIEvent* event) override;

    // New paths one point inside `rect`, owned by the caller: closed and rounded at
    // all four corners; rounded on the left only, open on the right; and the mirror.
    static CGMutablePathRef newRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);
    static CGMutablePathRef newLeftRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);
    static CGMutablePathRef newRightRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);

  private:
    UIColorRef oldColor_;
    UIColorRef currentColor_;
    CAShapeLayer* touchDownLayer_ = nullptr;
    UIColorRef checkerboardColor_;
};
