#include <CoreGraphics/CGContextCairo.h>
#include <CoreGraphics/CGTextLayoutCairo.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

CGPathRef roundedRectPath(CGRect rect, CGFloat radius) {
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

void appendPath(cairo_t* cairo, const CGPath& path) {
    for (const auto& e : path.elements()) {
        switch (e.type) {
        case kCGPathElementMoveToPoint:
            cairo_move_to(cairo, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddLineToPoint:
            cairo_line_to(cairo, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddCurveToPoint:
            cairo_curve_to(cairo, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                           e.points[2].x, e.points[2].y);
            break;
        case kCGPathElementCloseSubpath:
            cairo_close_path(cairo);
            break;
        default:
            break;
        }
    }
}

CGRect unionRect(CGRect a, CGRect b) {
    if (a.size.width <= 0 || a.size.height <= 0) {
        return b;
    }
    if (b.size.width <= 0 || b.size.height <= 0) {
        return a;
    }
    return CGRectUnion(a, b);
}

// Where `contents` goes in the bounds, by the layer's gravity.
CGRect contentsRect(const CALayer& layer, CGRect bounds, const CGImage& image) {
    CGSize size = image.sizeInPoints();
    CGFloat spareX = bounds.size.width - size.width, spareY = bounds.size.height - size.height;
    auto at = [&](CGFloat fx, CGFloat fy) {
        return CGRectMake(bounds.origin.x + spareX * fx, bounds.origin.y + spareY * fy, size.width,
                          size.height);
    };
    switch (layer.contentsGravity()) {
    case CAContentsGravity::resize:
        return bounds;
    case CAContentsGravity::resizeAspect:
    case CAContentsGravity::resizeAspectFill: {
        CGFloat sx = bounds.size.width / size.width, sy = bounds.size.height / size.height;
        CGFloat s = layer.contentsGravity() == CAContentsGravity::resizeAspect ? std::min(sx, sy)
                                                                               : std::max(sx, sy);
        CGFloat w = size.width * s, h = size.height * s;
        return CGRectMake(CGRectGetMidX(bounds) - w / 2, CGRectGetMidY(bounds) - h / 2, w, h);
    }
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

class LayerRenderer {
  public:
    LayerRenderer(cairo_t* cairo, CGFloat scale) : cairo_(cairo), scale_(scale) {}
    void render(CALayer& layer);

  private:
    static bool isVisible(const CALayer& layer) {
        return !layer.isHidden() && layer.presentationOpacity() > 0;
    }
    CGRect extent(const CALayer& layer) const;
    void paintImage(const CGImage& image, CGRect rect, bool opaque = false);
    bool paintImageOnPixelGrid(const CGImage& image, CGRect rect, bool opaque);
    void renderOwnContent(CALayer& layer, CGRect bounds, CGFloat radius);
    void renderShape(const CAShapeLayer& shape);
    void renderGradient(const CAGradientLayer& gradient, CGRect bounds, CGFloat radius);
    static bool isOpaqueRectangle(const CAGradientLayer& gradient, CGFloat radius);
    CGImageRef rasterizeGradient(const CAGradientLayer& gradient, CGSize size, CGFloat radius,
                                 CGPoint start, CGPoint end) const;
    void renderText(const CATextLayer& text, CGRect bounds);
    void renderBorder(const CALayer& layer, CGRect bounds, CGFloat radius);

    cairo_t* cairo_;
    CGFloat scale_;
};

// What a layer and its visible sublayers may cover, in the layer's coordinates: the
// clip for the group that opacity composites.
CGRect LayerRenderer::extent(const CALayer& layer) const {
    CGRect bounds = CGRectStandardize(layer.presentationBounds());
    if (layer.masksToBounds()) {
        return bounds;
    }
    CGRect area = bounds;
    if (auto* shape = dynamic_cast<const CAShapeLayer*>(&layer); shape && shape->path()) {
        CGFloat grow = shape->presentationLineWidth();
        area = unionRect(area, CGRectInset(CGPathGetBoundingBox(shape->path()), -grow, -grow));
    }
    if (auto* text = dynamic_cast<const CATextLayer*>(&layer)) {
        CGSize size = text->textLayout().size();
        area = unionRect(area, CGRectMake(bounds.origin.x, bounds.origin.y,
                                          std::max(size.width, bounds.size.width),
                                          std::max(size.height, bounds.size.height)));
    }
    for (const auto& sublayer : layer.sublayers()) {
        if (!isVisible(*sublayer)) {
            continue;
        }
        CGRect sub = extent(*sublayer);
        CGRect subBounds = sublayer->presentationBounds();
        CGPoint position = sublayer->presentationPosition(), anchor = sublayer->anchorPoint();
        sub.origin.x += position.x - anchor.x * subBounds.size.width - subBounds.origin.x;
        sub.origin.y += position.y - anchor.y * subBounds.size.height - subBounds.origin.y;
        area = unionRect(area, sub);
    }
    return area;
}

void LayerRenderer::paintImage(const CGImage& image, CGRect rect, bool opaque) {
    if (rect.size.width <= 0 || rect.size.height <= 0) {
        return;
    }
    if (paintImageOnPixelGrid(image, rect, opaque)) {
        return;
    }
    cairo_save(cairo_);
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cairo_);
    cairo_translate(cairo_, rect.origin.x, rect.origin.y);
    cairo_scale(cairo_, rect.size.width / static_cast<double>(image.width()),
                rect.size.height / static_cast<double>(image.height()));
    cairo_set_source_surface(cairo_, image.cairoSurface(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cairo_), CAIRO_EXTEND_PAD);
    cairo_paint(cairo_);
    cairo_restore(cairo_);
}

// An image whose pixels land one to one on whole device pixels is copied without
// a transform: Pixman's plain blit, instead of a filtered resample that rounding
// would otherwise trigger. An opaque image replaces what is under it: a copy.
bool LayerRenderer::paintImageOnPixelGrid(const CGImage& image, CGRect rect, bool opaque) {
    cairo_matrix_t m;
    cairo_get_matrix(cairo_, &m);
    if (m.xy != 0 || m.yx != 0) {
        return false;
    }
    double x = rect.origin.x, y = rect.origin.y;
    cairo_user_to_device(cairo_, &x, &y);
    double width = rect.size.width * m.xx, height = rect.size.height * m.yy;
    auto whole = [](double v) { return std::fabs(v - std::round(v)) < 1e-3; };
    if (!whole(x) || !whole(y) || std::fabs(width - static_cast<double>(image.width())) > 1e-3 ||
        std::fabs(height - static_cast<double>(image.height())) > 1e-3) {
        return false;
    }
    cairo_save(cairo_);
    cairo_identity_matrix(cairo_);
    cairo_set_source_surface(cairo_, image.cairoSurface(), std::round(x), std::round(y));
    if (opaque) {
        cairo_set_operator(cairo_, CAIRO_OPERATOR_SOURCE);
    }
    cairo_rectangle(cairo_, std::round(x), std::round(y), static_cast<double>(image.width()),
                    static_cast<double>(image.height()));
    cairo_fill(cairo_);
    cairo_restore(cairo_);
    return true;
}

void LayerRenderer::renderShape(const CAShapeLayer& shape) {
    if (!shape.path() || shape.path()->isEmpty()) {
        return;
    }
    CGCairoContext context(cairo_, scale_);
    if (CGColorRef fill = shape.presentationFillColor()) {
        context.setFillColor(fill);
        context.addPath(*shape.path());
        context.drawPath(shape.fillsEvenOdd() ? kCGPathEOFill : kCGPathFill);
    }
    CGColorRef stroke = shape.presentationStrokeColor();
    CGFloat width = shape.presentationLineWidth();
    if (stroke && width > 0) {
        context.setStrokeColor(stroke);
        context.setLineWidth(width);
        context.addPath(*shape.path());
        context.drawPath(kCGPathStroke);
    }
}

// Filling a gradient costs far more than copying pixels, so the gradient is drawn
// once into a bitmap and kept until one of its inputs changes.
void LayerRenderer::renderGradient(const CAGradientLayer& gradient, CGRect bounds, CGFloat radius) {
    const auto& colors = gradient.colors();
    if (colors.empty() || bounds.size.width <= 0 || bounds.size.height <= 0) {
        return;
    }
    CGPoint start = gradient.presentationStartPoint(), end = gradient.presentationEndPoint();
    std::vector<double> key = {
        scale_, bounds.size.width, bounds.size.height, radius, start.x, start.y, end.x, end.y};
    for (std::size_t i = 0; i < colors.size(); ++i) {
        CGRGBA c = CGColorGetDrawingRGBA(colors[i]);
        key.insert(key.end(), {c.r, c.g, c.b, c.a});
    }
    key.insert(key.end(), gradient.locations().begin(), gradient.locations().end());
    CALayer::Private& state = gradient.privateState();
    if (!state.raster || state.rasterKey != key) {
        state.raster = rasterizeGradient(gradient, bounds.size, radius, start, end);
        state.rasterKey = std::move(key);
    }
    if (state.raster) {
        CGSize size = state.raster->sizeInPoints();
        paintImage(*state.raster,
                   CGRectMake(bounds.origin.x, bounds.origin.y, size.width, size.height),
                   isOpaqueRectangle(gradient, radius));
    }
}

bool LayerRenderer::isOpaqueRectangle(const CAGradientLayer& gradient, CGFloat radius) {
    return radius <= 0 &&
           std::all_of(gradient.colors().begin(), gradient.colors().end(),
                       [](const CGColorRef& c) { return CGColorGetDrawingRGBA(c).a >= 1; });
}

CGImageRef LayerRenderer::rasterizeGradient(const CAGradientLayer& gradient, CGSize size,
                                            CGFloat radius, CGPoint start, CGPoint end) const {
    double width = std::ceil(static_cast<double>(size.width) * scale_);
    double height = std::ceil(static_cast<double>(size.height) * scale_);
    if (!(width >= 1 && height >= 1 && width <= 16384 && height <= 16384)) {
        return nullptr;
    }
    CGImage::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    CairoPtr cairo(cairo_create(surface.get()));
    cairo_scale(cairo.get(), scale_, scale_);
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
    appendPath(cairo.get(), *roundedRectPath(CGRectMake(0, 0, size.width, size.height), radius));
    cairo_set_source(cairo.get(), pattern.get());
    cairo_fill(cairo.get());
    cairo.reset();
    return std::make_shared<const CGImage>(std::move(surface), scale_);
}

void LayerRenderer::renderText(const CATextLayer& text, CGRect bounds) {
    if (text.string().empty()) {
        return;
    }
    CGRGBA c = CGColorGetDrawingRGBA(text.presentationForegroundColor());
    cairo_set_source_rgba(cairo_, c.r, c.g, c.b, c.a);
    text.textLayout().draw(cairo_, bounds);
}

void LayerRenderer::renderOwnContent(CALayer& layer, CGRect bounds, CGFloat radius) {
    if (layer.contents()) {
        paintImage(*layer.contents(), contentsRect(layer, bounds, *layer.contents()));
    }
    CALayer::Private& state = layer.privateState();
    if (state.drawsContent) {
        if (layer.needsDisplay() || state.contentScale != scale_) {
            CALayerDisplay(layer, scale_);
        }
        if (state.content) {
            CGSize drawn = state.content->sizeInPoints();
            paintImage(*state.content,
                       CGRectMake(bounds.origin.x, bounds.origin.y, drawn.width, drawn.height));
        }
    }
    if (auto* shape = dynamic_cast<CAShapeLayer*>(&layer)) {
        renderShape(*shape);
    } else if (auto* gradient = dynamic_cast<CAGradientLayer*>(&layer)) {
        renderGradient(*gradient, bounds, radius);
    } else if (auto* text = dynamic_cast<CATextLayer*>(&layer)) {
        renderText(*text, bounds);
    }
}

// The border lies inside the bounds, following the corner radius, above content
// and sublayers.
void LayerRenderer::renderBorder(const CALayer& layer, CGRect bounds, CGFloat radius) {
    CGFloat width =
        std::min({layer.presentationBorderWidth(), bounds.size.width / 2, bounds.size.height / 2});
    CGColorRef color = layer.presentationBorderColor();
    if (!(width > 0) || !color) {
        return;
    }
    CGRect outer = bounds;
    CGRect inner = CGRectInset(bounds, width, width);
    CGCairoContext context(cairo_, scale_);
    context.setFillColor(color);
    context.addPath(*roundedRectPath(outer, radius));
    if (inner.size.width > 0 && inner.size.height > 0) {
        context.addPath(*roundedRectPath(inner, std::max<CGFloat>(0, radius - width)));
    }
    context.drawPath(kCGPathEOFill);
}

void LayerRenderer::render(CALayer& layer) {
    if (!isVisible(layer)) {
        return;
    }
    CGRect bounds = CGRectStandardize(layer.presentationBounds());
    CGPoint position = layer.presentationPosition(), anchor = layer.anchorPoint();
    CGFloat radius = std::max<CGFloat>(0, layer.presentationCornerRadius());
    float opacity = layer.presentationOpacity();

    cairo_save(cairo_);
    cairo_translate(cairo_, position.x - anchor.x * bounds.size.width - bounds.origin.x,
                    position.y - anchor.y * bounds.size.height - bounds.origin.y);
    bool grouped = opacity < 1;
    if (grouped) {
        // The group's surface spans the clip: keep it to what the layer can cover.
        CGRect area = extent(layer);
        cairo_rectangle(cairo_, area.origin.x, area.origin.y, area.size.width, area.size.height);
        cairo_clip(cairo_);
        cairo_push_group(cairo_);
    }
    if (CGColorRef background = layer.presentationBackgroundColor()) {
        CGCairoContext context(cairo_, scale_);
        context.setFillColor(background);
        context.addPath(*roundedRectPath(bounds, radius));
        context.drawPath(kCGPathFill);
    }
    cairo_save(cairo_);
    if (layer.masksToBounds()) {
        appendPath(cairo_, *roundedRectPath(bounds, radius));
        cairo_clip(cairo_);
    }
    renderOwnContent(layer, bounds, radius);
    std::vector<CALayerRef> sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) {
        render(*sublayer);
    }
    cairo_restore(cairo_);
    renderBorder(layer, bounds, radius);
    if (grouped) {
        cairo_pop_group_to_source(cairo_);
        cairo_paint_with_alpha(cairo_, opacity);
    }
    cairo_restore(cairo_);
}

void displayTree(CALayer& layer, CGFloat scale) {
    if (layer.isHidden()) {
        return;
    }
    if (layer.needsDisplay()) {
        CALayerDisplay(layer, scale);
    }
    std::vector<CALayerRef> sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) {
        displayTree(*sublayer, scale);
    }
}

} // namespace

CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale) {
    if (!(scale > 0) || !std::isfinite(scale)) {
        scale = 1;
    }
    double width = std::ceil(static_cast<double>(sizeInPoints.width) * scale);
    double height = std::ceil(static_cast<double>(sizeInPoints.height) * scale);
    if (!(width >= 1 && height >= 1 && width <= 16384 && height <= 16384)) {
        return nullptr;
    }
    CGImage::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    if (root) {
        root->layoutIfNeeded();
        // Drawing before compositing lets a delegate's drawing change layers safely.
        displayTree(*root, scale);
        CALayerMarkPresented(*root);
        CairoPtr cairo(cairo_create(surface.get()));
        cairo_scale(cairo.get(), scale, scale);
        CGRect frame = root->frame();
        cairo_translate(cairo.get(), -frame.origin.x, -frame.origin.y);
        LayerRenderer(cairo.get(), scale).render(*root);
    }
    return std::make_shared<const CGImage>(std::move(surface), scale);
}

bool CARendererHasRunningAnimations(CALayer* root) {
    if (!root) {
        return false;
    }
    if (root->hasRunningAnimations()) {
        return true;
    }
    return std::any_of(
        root->sublayers().begin(), root->sublayers().end(),
        [](const CALayerRef& sublayer) { return CARendererHasRunningAnimations(sublayer.get()); });
}
