#include "HVColorPickerAlphaSlider.h"

#include "HVColorPickerSliderGeometry.h"

#include <QuartzCore/CATransaction.h>
#include <UIKit/UIScreen.h>

HVColorPickerAlphaSlider::HVColorPickerAlphaSlider(CGRect frame) : HVUnitSlider(frame) {
    HVLayerPlacement placement = HVAlphaSliderGradientPlacement(frame.size, horizontal());

    auto checkerboard = std::make_shared<UIView>(placement.bounds);
    checkerboard->setBackgroundColor(
        UIColor::colorWithPatternImage(UIImage::imageNamed("checkerboard.png")));
    checkerboard->layer()->setCornerRadius(6);
    checkerboard->setClipsToBounds(true);
    checkerboard->setUserInteractionEnabled(false);
    checkerboard_ = checkerboard.get();
    addSubview(std::move(checkerboard));

    auto gradient = CAGradientLayer::layer();
    gradientLayer_ = gradient.get();
    gradient->setBounds(placement.bounds);
    gradient->setPosition(placement.position);
    gradient->setCornerRadius(4);
    gradient->setBorderWidth(2);
    gradient->setBorderColor(UIColor::whiteColor()->CGColor());
    setContentScaleFactor(UIScreen::mainScreen()->scale());
    if (horizontal()) {
        gradient->setStartPoint(kHVSliderGradientStartPoint);
        gradient->setEndPoint(kHVSliderGradientEndPoint);
    }
    checkerboard_->layer()->addSublayer(std::move(gradient));
    setKeyColor(UIColor::whiteColor());
}

void HVColorPickerAlphaSlider::setKeyColor(const UIColorRef& color) {
    CATransaction::begin();
    CATransaction::setValue(kCFBooleanTrue, kCATransactionDisableActions);
    gradientLayer_->setColors({color->CGColor(), color->colorWithAlphaComponent(0)->CGColor()});
    CATransaction::commit();
}

void HVColorPickerAlphaSlider::setFrame(CGRect frame) {
    HVUnitSlider::setFrame(frame);
    HVLayerPlacement placement = HVAlphaSliderGradientPlacement(frame.size, horizontal());
    gradientLayer_->setBounds(placement.bounds);
    checkerboard_->setFrame(gradientLayer_->bounds());
    gradientLayer_->setPosition(placement.position);
    setValue(value());
}
