#include "HVColorCompareView.h"

#include "HVRoundRectGeometry.h"

#include <QuartzCore/CATransaction.h>
#include <UIKit/UIGraphics.h>
#include <UIKit/UIImage.h>

namespace {
// Long enough to count as an animation, short enough to show at once.
constexpr double kHighlightShowDuration = 0.001;
constexpr float kHighlightOpacity = 0.2f;

// No colour (or a pattern whose image is missing) draws as nothing, not a crash.
CGColorRef cgColor(const UIColorRef& color) {
    return color ? color->CGColor() : nullptr;
}
} // namespace

HVColorCompareView::HVColorCompareView(CGRect frame) : UIControl(frame) {
    setOpaque(true);
    setBackgroundColor(UIColor::clearColor());
    oldColor_ = UIColor::blueColor()->colorWithAlphaComponent(0.6f);
    currentColor_ = UIColor::grayColor()->colorWithAlphaComponent(0.8f);

    auto highlight = CAShapeLayer::layer();
    highlight->setOpacity(0);
    touchDownLayer_ = highlight.get();
    layer()->addSublayer(std::move(highlight));
}

void HVColorCompareView::setOldColor(UIColorRef color) {
    oldColor_ = std::move(color);
    setNeedsDisplay();
}

void HVColorCompareView::setCurrentColor(UIColorRef color) {
    currentColor_ = std::move(color);
    setNeedsDisplay();
}

const UIColorRef& HVColorCompareView::checkerboardColor() {
    if (!checkerboardColor_) {
        setCheckerboardColor(
            UIColor::colorWithPatternImage(UIImage::imageNamed("checkerboard.png")));
    }
    return checkerboardColor_;
}

void HVColorCompareView::drawRect(CGRect rect) {
    (void)rect;
    HVDrawColorCompare(UIGraphicsGetCurrentContext(), bounds(), cgColor(oldColor_),
                       cgColor(currentColor_), [this] { return cgColor(checkerboardColor()); });
}

void HVColorCompareView::layoutSublayersOfLayer(CALayer* layer) {
    (void)layer;
    touchDownLayer_->setPath(HVNewColorCompareHighlightPath(bounds()));
}

bool HVColorCompareView::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    bool tracking = UIControl::beginTrackingWithTouch(touch, event);
    CATransaction::begin();
    CATransaction::setValue(kHighlightShowDuration, kCATransactionAnimationDuration);
    touchDownLayer_->setOpacity(kHighlightOpacity);
    CATransaction::commit();
    return tracking;
}

void HVColorCompareView::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    touchDownLayer_->setOpacity(0);
    UIControl::endTrackingWithTouch(touch, event);
}

void HVColorCompareView::cancelTrackingWithEvent(UIEvent* event) {
    touchDownLayer_->setOpacity(0);
    UIControl::cancelTrackingWithEvent(event);
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
