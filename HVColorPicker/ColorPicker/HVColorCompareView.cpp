#include "HVColorCompareView.h"

#include "HVRoundRectGeometry.h"
#include "UIColor-Utilities.h"

#include <UIKit/UIGraphics.h>

namespace {

void describe(UIAccessibilityElement& half, const UIColorRef& color) {
    std::string value = UIColor_Utilities::spokenDescription(color);
    if (value != half.accessibilityValue()) {
        half.setAccessibilityValue(std::move(value));
        UIAccessibilityPostNotification(UIAccessibilityNotification::valueChanged, &half);
    }
}

} // namespace

HVColorCompareView::HVColorCompareView(CGRect frame)
    : HVColorPatchControl(frame),
      oldColorElement_(UIAccessibilityElement::initWithAccessibilityContainer(this)),
      newColorElement_(UIAccessibilityElement::initWithAccessibilityContainer(this)) {
    oldColor_ = UIColor::blueColor()->colorWithAlphaComponent(0.6f);
    currentColor_ = UIColor::grayColor()->colorWithAlphaComponent(0.8f);
    for (const auto& [half, label, color] :
         {std::tuple{oldColorElement_, "Original color", oldColor_},
          std::tuple{newColorElement_, "New color", currentColor_}}) {
        half->setAccessibilityLabel(label);
        half->setAccessibilityTraits(UIAccessibilityTraitButton);
        describe(*half, color);
    }
    placeAccessibilityElements();
}

void HVColorCompareView::setOldColor(UIColorRef color) {
    oldColor_ = std::move(color);
    describe(*oldColorElement_, oldColor_);
    setNeedsDisplay();
}

void HVColorCompareView::setCurrentColor(UIColorRef color) {
    currentColor_ = std::move(color);
    describe(*newColorElement_, currentColor_);
    setNeedsDisplay();
}

std::vector<UIView*> HVColorCompareView::accessibilityElements() const {
    return {oldColorElement_.get(), newColorElement_.get()};
}

// The old colour fills the left half, the new one the right.
void HVColorCompareView::placeAccessibilityElements() {
    CGRect b = bounds();
    CGFloat half = b.size.width / 2;
    oldColorElement_->setAccessibilityFrameInContainerSpace(
        CGRectMake(b.origin.x, b.origin.y, half, b.size.height));
    newColorElement_->setAccessibilityFrameInContainerSpace(
        CGRectMake(b.origin.x + half, b.origin.y, b.size.width - half, b.size.height));
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
    placeAccessibilityElements();
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
