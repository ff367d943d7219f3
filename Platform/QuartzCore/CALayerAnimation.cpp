// A layer's animations: what a property change animates (its delegate's action, else
// the transaction's implicit one), the presentation values they give at the clock's
// time, and the interpolation between two values.
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CATransaction.h>

#include <algorithm>

void CALayer::didChange(const std::string& key, const CAAnimatableValue& from) {
    std::optional<CAAction> action =
        delegate_ ? delegate_->actionForLayer(this, key) : std::nullopt;
    bool implicit = !action;
    if (implicit) {
        action = CATransaction::disableActions()
                     ? CAAction::none()
                     : CAAction::animated(CATransaction::animationDuration());
    }
    auto& animations = private_->animations;
    std::erase_if(animations, [&](const CAPropertyAnimation& a) { return a.key == key; });
    if (action->animates()) {
        animations.push_back({key, from, CACurrentMediaTime(), action->duration, implicit});
    }
}

CAAnimatableValue CALayer::presentationValue(const std::string& key,
                                             const CAAnimatableValue& model) const {
    for (const auto& animation : private_->animations) {
        if (animation.key != key) {
            continue;
        }
        double progress = (CACurrentMediaTime() - animation.beginTime) / animation.duration;
        if (progress >= 1) {
            return model;
        }
        return CAInterpolate(animation.from, model, std::max(progress, 0.0));
    }
    return model;
}

CGRect CALayer::presentationBounds() const {
    return std::get<CGRect>(presentationValue("bounds", bounds_));
}
CGPoint CALayer::presentationPosition() const {
    return std::get<CGPoint>(presentationValue("position", position_));
}
float CALayer::presentationOpacity() const {
    return std::get<CGFloat>(presentationValue("opacity", opacity_));
}
CGFloat CALayer::presentationCornerRadius() const {
    return std::get<CGFloat>(presentationValue("cornerRadius", cornerRadius_));
}
CGFloat CALayer::presentationBorderWidth() const {
    return std::get<CGFloat>(presentationValue("borderWidth", borderWidth_));
}
CGColorRef CALayer::presentationBackgroundColor() const {
    return std::get<CGColorRef>(presentationValue("backgroundColor", backgroundColor_));
}
CGColorRef CALayer::presentationBorderColor() const {
    return std::get<CGColorRef>(presentationValue("borderColor", borderColor_));
}

namespace {

void dropFinishedAnimations(std::vector<CAPropertyAnimation>& animations) {
    if (animations.empty()) {
        return; // most layers, most frames: no clock to read
    }
    double now = CACurrentMediaTime();
    std::erase_if(animations,
                  [now](const CAPropertyAnimation& a) { return now >= a.beginTime + a.duration; });
}

} // namespace

std::vector<std::string> CALayer::animationKeys() const {
    dropFinishedAnimations(private_->animations);
    std::vector<std::string> keys;
    for (const auto& animation : private_->animations) {
        keys.push_back(animation.key);
    }
    return keys;
}

// Asked of every layer several times a frame: without building the list of keys.
bool CALayer::hasRunningAnimations() const {
    dropFinishedAnimations(private_->animations);
    return !private_->animations.empty();
}

void CALayer::removeAllAnimations() {
    noteChange();
    private_->animations.clear();
}

namespace {

CGFloat mix(CGFloat a, CGFloat b, double t) {
    return static_cast<CGFloat>(a + (static_cast<double>(b) - a) * t);
}

CGColorRef mixColors(const CGColorRef& a, const CGColorRef& b, double t) {
    if ((a && a->pattern()) || (b && b->pattern())) {
        return b;
    }
    CGRGBA from = CGColorGetDrawingRGBA(a), to = CGColorGetDrawingRGBA(b);
    if (!a) {
        from = {to.r, to.g, to.b, 0};
    }
    if (!b) {
        to = {from.r, from.g, from.b, 0};
    }
    const CGFloat components[] = {mix(static_cast<CGFloat>(from.r), static_cast<CGFloat>(to.r), t),
                                  mix(static_cast<CGFloat>(from.g), static_cast<CGFloat>(to.g), t),
                                  mix(static_cast<CGFloat>(from.b), static_cast<CGFloat>(to.b), t),
                                  mix(static_cast<CGFloat>(from.a), static_cast<CGFloat>(to.a), t)};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

} // namespace

CAAnimatableValue CAInterpolate(const CAAnimatableValue& from, const CAAnimatableValue& to,
                                double progress) {
    if (from.index() != to.index()) {
        return to;
    }
    if (auto* a = std::get_if<CGFloat>(&from)) {
        return mix(*a, std::get<CGFloat>(to), progress);
    }
    if (auto* a = std::get_if<CGPoint>(&from)) {
        const auto& b = std::get<CGPoint>(to);
        return CGPoint{mix(a->x, b.x, progress), mix(a->y, b.y, progress)};
    }
    if (auto* a = std::get_if<CGRect>(&from)) {
        const auto& b = std::get<CGRect>(to);
        return CGRectMake(mix(a->origin.x, b.origin.x, progress),
                          mix(a->origin.y, b.origin.y, progress),
                          mix(a->size.width, b.size.width, progress),
                          mix(a->size.height, b.size.height, progress));
    }
    return mixColors(std::get<CGColorRef>(from), std::get<CGColorRef>(to), progress);
}

bool CAAnimatableEqual(const CAAnimatableValue& a, const CAAnimatableValue& b) {
    if (a.index() != b.index()) {
        return false;
    }
    if (auto* color = std::get_if<CGColorRef>(&a)) {
        return CGColorEqualToColor(*color, std::get<CGColorRef>(b));
    }
    return a == b;
}
