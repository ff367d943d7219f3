// The drawing side of UIColor: pattern colours and making a colour current.
#include <UIKit/UIColor.h>
#include <UIKit/UIGraphics.h>
#include <UIKit/UIImage.h>

UIColorRef UIColor::colorWithPatternImage(const std::shared_ptr<UIImage>& image) {
    if (!image || !image->CGImage()) {
        return nullptr;
    }
    return std::make_shared<UIColor>(CGColorCreateWithPattern(image->CGImage(), 1));
}

void UIColor::setFill() const {
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color_);
}

void UIColor::setStroke() const {
    CGContextSetStrokeColorWithColor(UIGraphicsGetCurrentContext(), color_);
}
