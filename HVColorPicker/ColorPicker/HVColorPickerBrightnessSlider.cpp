#include "HVColorPickerBrightnessSlider.h"

#include "HVColorPickerSliderGeometry.h"

#include <QuartzCore/CATransaction.h>
#include <UIKit/UIScreen.h>

HVColorPickerBrightnessSlider::HVColorPickerBrightnessSlider(CGRect frame) : HVUnitSlider(frame) {
    auto gradient = CAGradientLayer::layer();
    gradientLayer_ = gradient.get();
    placeGradient();
    gradient->setStartPoint(kHVSliderGradientStartPoint);
    gradient->setEndPoint(kHVSliderGradientEndPoint);
    gradient->setCornerRadius(6);
    gradient->setBorderWidth(2);
    gradient->setBorderColor(UIColor::whiteColor()->CGColor());
    setContentScaleFactor(UIScreen::mainScreen()->scale());
    layer()->insertSublayer(std::move(gradient), 0);
    setKeyColor(UIColor::whiteColor());
}

void HVColorPickerBrightnessSlider::placeGradient() {
    HVLayerPlacement placement = HVBrightnessSliderGradientPlacement(frame().size, horizontal());
    gradientLayer_->setBounds(placement.bounds);
    gradientLayer_->setPosition(placement.position);
}

void HVColorPickerBrightnessSlider::setKeyColor(const UIColorRef& color) {
    CATransaction::begin();
    CATransaction::setValue(kCFBooleanTrue, kCATransactionDisableActions);
    gradientLayer_->setColors({color->CGColor(), UIColor::colorWithRed(0, 0, 0, 1)->CGColor()});
    CATransaction::commit();
}

void HVColorPickerBrightnessSlider::setFrame(CGRect frame) {
    HVUnitSlider::setFrame(frame);
    placeGradient();
    setValue(value());
}
