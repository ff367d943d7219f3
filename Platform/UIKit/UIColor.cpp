#include <UIKit/UIColor.h>

#include <UIKit/UIColorHexcone.h>

#include <charconv>

UIColorRef UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
    const CGFloat components[] = {red, green, blue, alpha};
    return std::make_shared<UIColor>(CGColorCreate(CGColorSpaceCreateDeviceRGB(), components));
}

UIColorRef UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
    const CGFloat components[] = {white, alpha};
    return std::make_shared<UIColor>(CGColorCreate(CGColorSpaceCreateDeviceGray(), components));
}

UIColorRef UIColor::colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness,
                                 CGFloat alpha) {
    UIHexconeRGB<CGFloat> rgb = UIHexconeToRGB(hue, saturation, brightness);
    return colorWithRed(rgb.red, rgb.green, rgb.blue, alpha);
}

UIColorRef UIColor::colorWithCGColor(CGColorRef color) {
    return color ? std::make_shared<UIColor>(std::move(color)) : nullptr;
}

UIColorRef UIColor::blackColor() {
    return colorWithWhite(0, 1);
}
UIColorRef UIColor::darkGrayColor() {
    return colorWithWhite(1.0f / 3, 1);
}
UIColorRef UIColor::lightGrayColor() {
    return colorWithWhite(2.0f / 3, 1);
}
UIColorRef UIColor::whiteColor() {
    return colorWithWhite(1, 1);
}
UIColorRef UIColor::grayColor() {
    return colorWithWhite(0.5f, 1);
}
UIColorRef UIColor::redColor() {
    return colorWithRed(1, 0, 0, 1);
}
UIColorRef UIColor::greenColor() {
    return colorWithRed(0, 1, 0, 1);
}
UIColorRef UIColor::blueColor() {
    return colorWithRed(0, 0, 1, 1);
}
UIColorRef UIColor::cyanColor() {
    return colorWithRed(0, 1, 1, 1);
}
UIColorRef UIColor::yellowColor() {
    return colorWithRed(1, 1, 0, 1);
}
UIColorRef UIColor::magentaColor() {
    return colorWithRed(1, 0, 1, 1);
}
UIColorRef UIColor::orangeColor() {
    return colorWithRed(1, 0.5f, 0, 1);
}
UIColorRef UIColor::purpleColor() {
    return colorWithRed(0.5f, 0, 0.5f, 1);
}
UIColorRef UIColor::brownColor() {
    return colorWithRed(0.6f, 0.4f, 0.2f, 1);
}
UIColorRef UIColor::clearColor() {
    return colorWithWhite(0, 0);
}

UIColorRef UIColor::colorWithAlphaComponent(CGFloat alpha) const {
    return std::make_shared<UIColor>(CGColorCreateCopyWithAlpha(color_, alpha));
}

namespace {

const char* spaceWord(CGColorSpaceModel model) {
    switch (model) {
    case kCGColorSpaceModelMonochrome:
        return "UIDeviceWhiteColorSpace";
    case kCGColorSpaceModelRGB:
        return "UIDeviceRGBColorSpace";
    case kCGColorSpaceModelCMYK:
        return "UIDeviceCMYKColorSpace";
    case kCGColorSpaceModelPattern:
        return "UIPatternColorSpace";
    default:
        return "UIUnknownColorSpace";
    }
}

} // namespace

std::string UIColor::description() const {
    std::string text = spaceWord(CGColorSpaceGetModel(CGColorGetColorSpace(color_)));
    for (CGFloat component : color_->components()) {
        char number[32];
        auto result = std::to_chars(number, number + sizeof number, component);
        text += ' ';
        text.append(number, result.ptr);
    }
    return text;
}

bool UIColor::isEqual(const NSObject* other) const {
    auto color = dynamic_cast<const UIColor*>(other);
    return color != nullptr && CGColorEqualToColor(color_, color->color_);
}
