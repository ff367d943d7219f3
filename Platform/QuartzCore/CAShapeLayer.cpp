#include <QuartzCore/CAShapeLayer.h>

namespace {

CGColorRef opaqueBlack() {
    static const CGFloat components[] = {0, 0, 0, 1};
    static const CGColorRef black = CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
    return black;
}

} // namespace

CAShapeLayer::CAShapeLayer() : fillColor_(opaqueBlack()) {}

void CAShapeLayer::setPath(const CGPathRef& path) {
    noteChange();
    path_ = CGPathCreateCopy(path);
}

void CAShapeLayer::setFillColor(CGColorRef color) {
    changeAnimatable("fillColor", fillColor_, std::move(color));
}

void CAShapeLayer::setStrokeColor(CGColorRef color) {
    changeAnimatable("strokeColor", strokeColor_, std::move(color));
}

void CAShapeLayer::setLineWidth(CGFloat width) {
    changeAnimatable("lineWidth", lineWidth_, width);
}

CGColorRef CAShapeLayer::presentationFillColor() const {
    return std::get<CGColorRef>(presentationValue("fillColor", fillColor_));
}

CGColorRef CAShapeLayer::presentationStrokeColor() const {
    return std::get<CGColorRef>(presentationValue("strokeColor", strokeColor_));
}

CGFloat CAShapeLayer::presentationLineWidth() const {
    return std::get<CGFloat>(presentationValue("lineWidth", lineWidth_));
}
