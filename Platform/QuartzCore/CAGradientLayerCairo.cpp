#include <CoreGraphics/CGPathCairo.h>
#include <QuartzCore/CAGradientLayerCairo.h>
#include <QuartzCore/CALayerGeometry.h>
#include <QuartzCore/CALayerPrivate.h>

#include <algorithm>
#include <cmath>

namespace {

bool isDrawable(const CAGradientLayer& gradient, CGSize size, CGPoint start, CGPoint end) {
    return !gradient.colors().empty() && size.width > 0 && size.height > 0 &&
           CGPointIsFinite(start) && CGPointIsFinite(end) &&
           std::all_of(gradient.locations().begin(), gradient.locations().end(),
                       [](CGFloat location) { return std::isfinite(location); });
}

// What the raster was made from: a new raster is drawn when any of it changes.
std::vector<double> rasterKey(const CAGradientLayer& gradient, CGSize size, CGFloat radius,
                              CGFloat scale, CGPoint start, CGPoint end) {
    std::vector<double> key = {scale,   size.width, size.height, radius,
                               start.x, start.y,    end.x,       end.y};
    for (const auto& color : gradient.colors()) {
        CGRGBA c = CGColorGetDrawingRGBA(color);
        key.insert(key.end(), {c.r, c.g, c.b, c.a});
    }
    key.insert(key.end(), gradient.locations().begin(), gradient.locations().end());
    return key;
}

CairoPatternPtr linearPattern(const CAGradientLayer& gradient, CGSize size, CGPoint start,
                              CGPoint end) {
    CairoPatternPtr pattern(cairo_pattern_create_linear(start.x * size.width, start.y * size.height,
                                                        end.x * size.width, end.y * size.height));
    const auto& colors = gradient.colors();
    const auto& locations = gradient.locations();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        double offset = locations.size() == colors.size() ? locations[i]
                        : colors.size() == 1              ? 0.0
                                             : static_cast<double>(i) / (colors.size() - 1);
        CGRGBA c = CGColorGetDrawingRGBA(colors[i]);
        cairo_pattern_add_color_stop_rgba(pattern.get(), std::clamp(offset, 0.0, 1.0), c.r, c.g,
                                          c.b, c.a);
    }
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    return pattern;
}

CGImageRef rasterize(const CAGradientLayer& gradient, CGSize size, CGFloat radius, CGFloat scale,
                     CGPoint start, CGPoint end) {
    double width = std::ceil(static_cast<double>(size.width) * scale);
    double height = std::ceil(static_cast<double>(size.height) * scale);
    if (!(width >= 1 && height >= 1 && width <= 16384 && height <= 16384)) {
        return nullptr;
    }
    CGImage::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    CairoPtr cairo(cairo_create(surface.get()));
    cairo_scale(cairo.get(), scale, scale);
    CairoPatternPtr pattern = linearPattern(gradient, size, start, end);
    CGPathAppendToCairo(cairo.get(),
                        *CALayerRoundedRectPath(CGRectMake(0, 0, size.width, size.height), radius));
    cairo_set_source(cairo.get(), pattern.get());
    cairo_fill(cairo.get());
    cairo.reset();
    return std::make_shared<const CGImage>(std::move(surface), scale);
}

} // namespace

CGImageRef CAGradientLayerRaster(const CAGradientLayer& gradient, CGSize size, CGFloat radius,
                                 CGFloat scale) {
    CGPoint start = gradient.presentationStartPoint(), end = gradient.presentationEndPoint();
    if (!isDrawable(gradient, size, start, end)) {
        return nullptr;
    }
    std::vector<double> key = rasterKey(gradient, size, radius, scale, start, end);
    CALayer::Private& state = gradient.privateState();
    if (!state.raster || state.rasterKey != key) {
        state.raster = rasterize(gradient, size, radius, scale, start, end);
        state.rasterKey = std::move(key);
    }
    return state.raster;
}

bool CAGradientLayerIsOpaqueRectangle(const CAGradientLayer& gradient, CGFloat radius) {
    return radius <= 0 &&
           std::all_of(gradient.colors().begin(), gradient.colors().end(),
                       [](const CGColorRef& c) { return CGColorGetDrawingRGBA(c).a >= 1; });
}
