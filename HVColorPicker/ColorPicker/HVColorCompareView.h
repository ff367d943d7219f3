// Two colours side by side in one rounded, white-bordered box: the old colour on
// the left, the current colour on the right, a checkerboard behind translucent
// ones. Touching it darkens the old half; its owner listens for touch-up-inside.
#pragma once

#include "HVColorCompareGeometry.h"
#include "HVColorPatchControl.h"

#include <UIKit/UIAccessibilityElement.h>

#include <vector>

class HVColorCompareView;
using HVColorCompareViewRef = std::shared_ptr<HVColorCompareView>;

class HVColorCompareView : public HVColorPatchControl {
  public:
    explicit HVColorCompareView(CGRect frame);

    // Each setter redraws, also for the same colour.
    const UIColorRef& oldColor() const { return oldColor_; }
    void setOldColor(UIColorRef color);
    const UIColorRef& currentColor() const { return currentColor_; }
    void setCurrentColor(UIColorRef color);

    // Draws the whole control from the bounds, whatever `rect` asks for.
    void drawRect(CGRect rect) override;
    // Gives the highlight the shape of the old half, and places the two halves'
    // elements.
    void layoutSublayersOfLayer(CALayer* layer) override;

    // Two elements, the halves: "Original color" and "New color", each valued by
    // its colour as spoken; a tap on either brings the original back.
    std::vector<UIView*> accessibilityElements() const override;
    UIAccessibilityElement* oldColorElement() const { return oldColorElement_.get(); }
    UIAccessibilityElement* newColorElement() const { return newColorElement_.get(); }

    // New paths one point inside `rect`, owned by the caller: closed and rounded at
    // all four corners; rounded on the left only, open on the right; and the mirror.
    static CGMutablePathRef newRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);
    static CGMutablePathRef newLeftRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);
    static CGMutablePathRef newRightRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);

  private:
    void placeAccessibilityElements();

    UIColorRef oldColor_;
    UIColorRef currentColor_;
    UIAccessibilityElementRef oldColorElement_;
    UIAccessibilityElementRef newColorElement_;
};
