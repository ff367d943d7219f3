#include "HVColorCompareView.h"

#include "HVRoundRectGeometry.h"

#include <UIKit/UIGraphics.h>

HVColorCompareView::HVColorCompareView(CGRect frame) : HVColorPatchControl(frame) {
    oldColor_ = UIColor::blueColor()->colorWithAlphaComponent(0.6f);
    currentColor_ = UIColor::grayColor()->colorWithAlphaComponent(0.8f);
}

void HVColorCompareView::setOldColor(UIColorRef color) {
    oldColor_ = std::move(color);
    setNeedsDisplay();
}

void HVColorCompareView::setCurrentColor(UIColorRef color) {
    currentColor_ = std::move(color);
    setNeedsDisplay();
}

void HVColorCompareView::drawRect(CGRect rect) {
    (void)rect;
    HVDrawColorCompare(UIGraphicsGetCurrentContext(), bounds(), drawableColor(oldColor_),
                       drawableColor(currentColor_),
                       [this] { return drawableColor(checkerboardColor()); });
}

void HVColorCompareView::layoutSublayersOfLayer(CALayer* layer) {
    (void)layer;
    touchDownLayer()->setPath(HVNewColorCompareHighlightPath(bounds()));
}

CGMutablePathRef HVColorCompareView::newRoundRectPathForBoundingRect(CGRect rect, CGFloat radius) {
    return HVNewRoundRectPath(rect, radius);
}

CGMutablePathRef HVColorCompareView::newLeftRoundRectPathForBoundingRect(CGRect rect,
                                                                         CGFloat radius) {
    return HVNewLeftRoundRectPath(rect, radius);
}

CGMutablePathRef HVColorCompareView::newRightRoundRectPathForBoundingRect(CGRect rect,
                                                                          CGFloat radius) {
    return HVNewRightRoundRectPath(rect, radius);
}
