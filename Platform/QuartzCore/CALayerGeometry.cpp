#include <QuartzCore/CALayerGeometry.h>

#include <algorithm>
#include <numbers>

std::optional<CALayerPlacement> CALayerPresentationPlacement(const CALayer& layer) {
    CGRect bounds = CGRectStandardize(layer.presentationBounds());
    CGPoint position = layer.presentationPosition(), anchor = layer.anchorPoint();
    CGPoint offset{position.x - anchor.x * bounds.size.width - bounds.origin.x,
                   position.y - anchor.y * bounds.size.height - bounds.origin.y};
    // The offset is checked too: finite values may still sum past the float range.
    if (!CGRectIsFinite(bounds) || !CGPointIsFinite(anchor) || !CGPointIsFinite(offset)) {
        return std::nullopt;
    }
    return CALayerPlacement{bounds, offset};
}

CGPathRef CALayerRoundedRectPath(CGRect rect, CGFloat radius) {
    auto path = CGPathCreateMutable();
    radius = std::min({radius, rect.size.width / 2, rect.size.height / 2});
    if (!(radius > 0)) {
        CGPathAddRect(path, nullptr, rect);
        return path;
    }
    constexpr CGFloat half = std::numbers::pi_v<CGFloat> / 2;
    CGFloat minX = CGRectGetMinX(rect), minY = CGRectGetMinY(rect);
    CGFloat maxX = CGRectGetMaxX(rect), maxY = CGRectGetMaxY(rect);
    path->addArc({maxX - radius, minY + radius}, radius, -half, 0, false);
    path->addArc({maxX - radius, maxY - radius}, radius, 0, half, false);
    path->addArc({minX + radius, maxY - radius}, radius, half, 2 * half, false);
    path->addArc({minX + radius, minY + radius}, radius, 2 * half, 3 * half, false);
    path->close();
    return path;
}

namespace {

CGRect scaledToFit(CAContentsGravity gravity, CGRect bounds, CGSize size) {
    CGFloat sx = bounds.size.width / size.width, sy = bounds.size.height / size.height;
    CGFloat s = gravity == CAContentsGravity::resizeAspect ? std::min(sx, sy) : std::max(sx, sy);
    CGFloat w = size.width * s, h = size.height * s;
    return CGRectMake(CGRectGetMidX(bounds) - w / 2, CGRectGetMidY(bounds) - h / 2, w, h);
}

} // namespace

CGRect CALayerContentsRect(CAContentsGravity gravity, CGRect bounds, CGSize size) {
    CGFloat spareX = bounds.size.width - size.width, spareY = bounds.size.height - size.height;
    auto at = [&](CGFloat fx, CGFloat fy) {
        return CGRectMake(bounds.origin.x + spareX * fx, bounds.origin.y + spareY * fy, size.width,
                          size.height);
    };
    switch (gravity) {
    case CAContentsGravity::resize:
        return bounds;
    case CAContentsGravity::resizeAspect:
    case CAContentsGravity::resizeAspectFill:
        return scaledToFit(gravity, bounds, size);
    case CAContentsGravity::center:
        return at(0.5f, 0.5f);
    case CAContentsGravity::top:
        return at(0.5f, 0);
    case CAContentsGravity::bottom:
        return at(0.5f, 1);
    case CAContentsGravity::left:
        return at(0, 0.5f);
    case CAContentsGravity::right:
        return at(1, 0.5f);
    case CAContentsGravity::topLeft:
        return at(0, 0);
    case CAContentsGravity::topRight:
        return at(1, 0);
    case CAContentsGravity::bottomLeft:
        return at(0, 1);
    case CAContentsGravity::bottomRight:
        return at(1, 1);
    }
    return bounds;
}
