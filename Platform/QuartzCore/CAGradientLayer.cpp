#include <QuartzCore/CAGradientLayer.h>

void CAGradientLayer::setColors(std::vector<CGColorRef> colors) {
    noteChange();
    colors_ = std::move(colors);
}

void CAGradientLayer::setLocations(std::vector<CGFloat> locations) {
    noteChange();
    locations_ = std::move(locations);
}

void CAGradientLayer::setStartPoint(CGPoint point) {
    changeAnimatable("startPoint", startPoint_, point);
}

void CAGradientLayer::setEndPoint(CGPoint point) {
    changeAnimatable("endPoint", endPoint_, point);
}

CGPoint CAGradientLayer::presentationStartPoint() const {
    return std::get<CGPoint>(presentationValue("startPoint", startPoint_));
}

CGPoint CAGradientLayer::presentationEndPoint() const {
    return std::get<CGPoint>(presentationValue("endPoint", endPoint_));
}
