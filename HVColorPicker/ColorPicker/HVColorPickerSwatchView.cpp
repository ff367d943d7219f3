#include "HVColorPickerSwatchView.h"

#include "HVRoundRectGeometry.h"

#include <Foundation/NSNumber.h>
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

HVColorPickerSwatchView::HVColorPickerSwatchView(CGRect frame) : UIControl(frame) {
    setOpaque(true);
    setBackgroundColor(UIColor::clearColor());
    color_ = UIColor::blueColor()->colorWithAlphaComponent(0.5f);
    borderWidth_ = 1.0f;

    auto highlight = CAShapeLayer::layer();
    highlight->setOpacity(0);
    touchDownLayer_ = highlight.get();
    layer()->addSublayer(std::move(highlight));

    auto checkmark = CALayer::layer();
    checkmark->setHidden(true);
    if (UIImageRef image = UIImage::imageNamed("PXColorViewCheckmark.png")) {
        checkmark->setContents(image->CGImage());
    }
    checkmark->setBounds(CGRectMake(0, 0, kCheckmarkWidth, kCheckmarkWidth));
    checkmarkLayer_ = checkmark.get();
    layer()->addSublayer(std::move(checkmark));

    cornerRadius_ = 6.0f;
    hasShadow_ = true;
}

void HVColorPickerSwatchView::setColor(UIColorRef color) {
    color_ = std::move(color);
    setNeedsDisplay();
}

const UIColorRef& HVColorPickerSwatchView::checkerboardColor() {
    if (!checkerboardColor_) {
        setCheckerboardColor(
            UIColor::colorWithPatternImage(UIImage::imageNamed("checkerboard.png")));
    }
    return checkerboardColor_;
}

void HVColorPickerSwatchView::setSelected(bool selected) {
    UIControl::setSelected(selected);
    checkmarkLayer_->setHidden(!selected);
}

void HVColorPickerSwatchView::setSelected(bool selected, bool animated) {
    if (animated) {
        setSelected(selected);
        return;
    }
    CATransaction::begin();
    CATransaction::setValue(NSNumber::numberWithFloat(0), kCATransactionAnimationDuration);
    setSelected(selected);
    CATransaction::commit();
}

void HVColorPickerSwatchView::drawRect(CGRect rect) {
    (void)rect;
    HVDrawSwatch(UIGraphicsGetCurrentContext(),
                 {bounds(), cgColor(color_), borderWidth_, cornerRadius_, hasShadow_},
                 [this] { return cgColor(checkerboardColor()); });
}

void HVColorPickerSwatchView::layoutSublayersOfLayer(CALayer* layer) {
    (void)layer;
    HVSwatchSublayerPlacement placement =
        HVSwatchSublayerPlacementForBounds(bounds(), cornerRadius_);
    touchDownLayer_->setPath(placement.highlightPath);
    checkmarkLayer_->setPosition(placement.checkmarkPosition);
}

bool HVColorPickerSwatchView::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    bool tracking = UIControl::beginTrackingWithTouch(touch, event);
    CATransaction::begin();
    CATransaction::setValue(kHighlightShowDuration, kCATransactionAnimationDuration);
    touchDownLayer_->setOpacity(kHighlightOpacity);
    CATransaction::commit();
    return tracking;
}

void HVColorPickerSwatchView::hideHighlight() {
    touchDownLayer_->setOpacity(0);
}

void HVColorPickerSwatchView::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    hideHighlight();
    UIControl::endTrackingWithTouch(touch, event);
}

void HVColorPickerSwatchView::cancelTrackingWithEvent(UIEvent* event) {
    hideHighlight();
    UIControl::cancelTrackingWithEvent(event);
}

CGMutablePathRef HVColorPickerSwatchView::newRoundRectPathForBoundingRect(CGRect rect,
                                                                          CGFloat radius) {
    return HVNewRoundRectPath(rect, radius);
}
