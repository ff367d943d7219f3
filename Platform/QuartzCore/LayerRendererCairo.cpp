#include <CoreGraphics/CGContextCairo.h>
#include <CoreGraphics/CGImageCairo.h>
#include <CoreGraphics/CGPathCairo.h>
#include <CoreGraphics/CGTextLayoutCairo.h>
#include <QuartzCore/CAGradientLayerCairo.h>
#include <QuartzCore/CALayerGeometry.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CARenderDamage.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/LayerRendererCairo.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

CGRect unionRect(CGRect a, CGRect b) {
    if (a.size.width <= 0 || a.size.height <= 0) {
        return b;
    }
    if (b.size.width <= 0 || b.size.height <= 0) {
        return a;
    }
    return CGRectUnion(a, b);
}

} // namespace

void LayerRenderer::render(CALayer& layer) {
    std::optional<CALayerPlacement> placement;
    if (!isDrawn(layer) || !(placement = CALayerPresentationPlacement(layer))) {
        return;
    }
    CGRect bounds = placement->bounds;
    CGFloat radius = std::max<CGFloat>(0, layer.presentationCornerRadius());
    float opacity = layer.presentationOpacity();
    cairo_save(cairo_);
    cairo_translate(cairo_, placement->offset.x, placement->offset.y);
    if (opacity < 1) {
        beginOpacityGroup(layer, bounds);
    }
    renderBackground(layer, bounds, radius);
    if (!renderInsideBounds(layer, bounds, radius)) {
        return;
    }
    renderBorder(layer, bounds, radius);
    if (opacity < 1) {
        endOpacityGroup(opacity);
    }
    cairo_restore(cairo_);
    noteFault(layer);
}

// The layer's content, then its sublayers, clipped to the rounded bounds when the
// layer masks. False when a fault stopped the drawing.
bool LayerRenderer::renderInsideBounds(CALayer& layer, CGRect bounds, CGFloat radius) {
    cairo_save(cairo_);
    if (layer.masksToBounds()) {
        clipToBounds(bounds, radius);
    }
    renderOwnContent(layer, bounds, radius);
    if (noteFault(layer)) {
        return false;
    }
    // Drawing may change the tree (a delegate adding layers): walk a snapshot.
    std::vector<CALayerRef> sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) {
        render(*sublayer);
        if (fault_) {
            return false;
        }
    }
    cairo_restore(cairo_);
    return true;
}

bool LayerRenderer::isDrawn(const CALayer& layer) const {
    if (damage_ && !damage_->whole) {
        CGRect shown = layer.privateState().shown;
        bool recorded = shown.size.width > 0 && shown.size.height > 0;
        if (recorded && !damage_->touches(shown)) {
            return false;
        }
    }
    return !layer.isHidden() && layer.presentationOpacity() > 0 &&
           std::find(leftOut_.begin(), leftOut_.end(), &layer) == leftOut_.end();
}

// Sublayers report their own faults first, so the first layer to see the error
// state is the one whose drawing caused it.
bool LayerRenderer::noteFault(const CALayer& layer) {
    if (cairo_status(cairo_) == CAIRO_STATUS_SUCCESS) {
        return false;
    }
    fault_ = &layer;
    return true;
}

// What a layer and its drawn sublayers may cover, in the layer's coordinates: the
// clip for the group that opacity composites.
CGRect LayerRenderer::extent(const CALayer& layer, CGRect bounds) const {
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
        std::optional<CALayerPlacement> placement;
        if (!isDrawn(*sublayer) || !(placement = CALayerPresentationPlacement(*sublayer))) {
            continue;
        }
        CGRect sub = extent(*sublayer, placement->bounds);
        area = unionRect(area, CGRectOffset(sub, placement->offset.x, placement->offset.y));
    }
    return area;
}

void LayerRenderer::beginOpacityGroup(const CALayer& layer, CGRect bounds) {
    // The group's surface spans the clip: keep it to what the layer can cover. A
    // path or width that is not finite makes the extent unknown: no clip then.
    CGRect area = extent(layer, bounds);
    if (CGRectIsFinite(area)) {
        cairo_rectangle(cairo_, area.origin.x, area.origin.y, area.size.width, area.size.height);
        cairo_clip(cairo_);
    }
    cairo_push_group(cairo_);
}

void LayerRenderer::endOpacityGroup(float opacity) {
    cairo_pop_group_to_source(cairo_);
    cairo_paint_with_alpha(cairo_, opacity);
}

void LayerRenderer::paintImage(const CGImage& original, CGRect rect, ImageCover cover) {
    if (!CGImageIsDrawable(original) || !CGRectIsFinite(rect) || rect.size.width <= 0 ||
        rect.size.height <= 0) {
        return;
    }
    // The image's file nearest to the device pixels a point here.
    cairo_matrix_t m;
    cairo_get_matrix(cairo_, &m);
    const CGImage& image = original.representationFor(static_cast<CGFloat>(std::hypot(m.xx, m.yx)));
    if (!CGImageIsDrawable(image)) {
        return;
    }
    if (paintImageOnPixelGrid(image, rect, cover)) {
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
// would otherwise trigger.
bool LayerRenderer::paintImageOnPixelGrid(const CGImage& image, CGRect rect, ImageCover cover) {
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
    if (cover == ImageCover::replace) {
        cairo_set_operator(cairo_, CAIRO_OPERATOR_SOURCE);
    }
    cairo_rectangle(cairo_, std::round(x), std::round(y), static_cast<double>(image.width()),
                    static_cast<double>(image.height()));
    cairo_fill(cairo_);
    cairo_restore(cairo_);
    return true;
}

void LayerRenderer::renderBackground(const CALayer& layer, CGRect bounds, CGFloat radius) {
    if (CGColorRef background = layer.presentationBackgroundColor()) {
        CGCairoContext context(cairo_, scale_);
        context.setFillColor(background);
        context.addPath(*CALayerRoundedRectPath(bounds, radius));
        context.drawPath(kCGPathFill);
    }
}

void LayerRenderer::clipToBounds(CGRect bounds, CGFloat radius) {
    CGPathAppendToCairo(cairo_, *CALayerRoundedRectPath(bounds, radius));
    cairo_clip(cairo_);
}

void LayerRenderer::renderOwnContent(CALayer& layer, CGRect bounds, CGFloat radius) {
    if (const auto& contents = layer.contents()) {
        paintImage(*contents,
                   CALayerContentsRect(layer.contentsGravity(), bounds, contents->sizeInPoints()));
    }
    renderDrawnContent(layer, bounds);
    if (auto* shape = dynamic_cast<CAShapeLayer*>(&layer)) {
        renderShape(*shape);
    } else if (auto* gradient = dynamic_cast<CAGradientLayer*>(&layer)) {
        if (CGImageRef raster = CAGradientLayerRaster(*gradient, bounds.size, radius, scale_)) {
            CGSize size = raster->sizeInPoints();
            paintImage(*raster,
                       CGRectMake(bounds.origin.x, bounds.origin.y, size.width, size.height),
                       CAGradientLayerIsOpaqueRectangle(*gradient, radius) ? ImageCover::replace
                                                                           : ImageCover::blend);
        }
    } else if (auto* text = dynamic_cast<CATextLayer*>(&layer)) {
        renderText(*text, bounds);
    }
}

// The delegate's drawing, kept as a bitmap until the layer is marked again.
void LayerRenderer::renderDrawnContent(CALayer& layer, CGRect bounds) {
    CALayer::Private& state = layer.privateState();
    if (!state.drawsContent) {
        return;
    }
    if (layer.needsDisplay() || state.contentScale != scale_) {
        CALayerDisplay(layer, scale_);
    }
    if (state.content) {
        CGSize drawn = state.content->sizeInPoints();
        paintImage(*state.content,
                   CGRectMake(bounds.origin.x, bounds.origin.y, drawn.width, drawn.height));
    }
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
    if (stroke && width > 0 && std::isfinite(width)) {
        context.setStrokeColor(stroke);
        context.setLineWidth(width);
        context.addPath(*shape.path());
        context.drawPath(kCGPathStroke);
    }
}

void LayerRenderer::renderText(const CATextLayer& text, CGRect bounds) {
    if (text.string().empty()) {
        return;
    }
    CGRGBA c = CGColorGetDrawingRGBA(text.presentationForegroundColor());
    cairo_set_source_rgba(cairo_, c.r, c.g, c.b, c.a);
    text.textLayout().draw(cairo_, bounds);
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
    CGRect inner = CGRectInset(bounds, width, width);
    CGCairoContext context(cairo_, scale_);
    context.setFillColor(color);
    context.addPath(*CALayerRoundedRectPath(bounds, radius));
    if (inner.size.width > 0 && inner.size.height > 0) {
        context.addPath(*CALayerRoundedRectPath(inner, std::max<CGFloat>(0, radius - width)));
    }
    context.drawPath(kCGPathEOFill);
}
