#include <CoreGraphics/CGBlendModeCairo.h>
#include <CoreGraphics/CGContextCairo.h>
#include <CoreGraphics/CGImageCairo.h>
#include <CoreGraphics/CGPathCairo.h>
#include <CoreGraphics/CGShadowCairo.h>
#include <CoreGraphics/CGTextLayoutCairo.h>

#include <algorithm>
#include <cmath>

namespace {

bool finite(CGFloat v) {
    return std::isfinite(v);
}

// A colour's alpha as a coverage for Cairo: 0..1, NaN drawing nothing.
double unitAlpha(CGFloat alpha) {
    return std::isnan(alpha) ? 0.0 : std::clamp<double>(alpha, 0, 1);
}

// Runs `use` with the current path set aside and a path of just `rect` in its
// place; a rectangle that is not finite is refused.
template <class Use> void onRectangle(cairo_t* cairo, CGRect rect, Use use) {
    if (!CGRectIsFinite(rect)) {
        return;
    }
    CGCairoPathKeeper keeper(cairo);
    cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    use();
}

} // namespace

CGCairoContext::CGCairoContext(cairo_t* cairo, CGFloat deviceScale)
    : cairo_(cairo), deviceScale_(deviceScale) {
    cairo_get_matrix(cairo_, &baseMatrix_);
}

CGCairoContext::CGCairoContext(CairoSurfacePtr surface, CGFloat deviceScale)
    : ownedCairo_(cairo_create(surface.get())), ownedSurface_(std::move(surface)),
      deviceScale_(deviceScale) {
    cairo_ = ownedCairo_.get();
    cairo_scale(cairo_, deviceScale, deviceScale);
    cairo_get_matrix(cairo_, &baseMatrix_);
}

void CGCairoContext::markBaseSpace() {
    cairo_get_matrix(cairo_, &baseMatrix_);
}

CairoSurfacePtr CGCairoContext::releaseSurface() {
    ownedCairo_.reset();
    cairo_ = nullptr;
    return std::move(ownedSurface_);
}

void CGCairoContext::saveGState() {
    cairo_save(cairo_);
    states_.push_back(states_.back());
}

void CGCairoContext::restoreGState() {
    // An unbalanced restore is ignored, as Cairo would otherwise enter an error state.
    if (states_.size() > 1) {
        cairo_restore(cairo_);
        states_.pop_back();
    }
}

void CGCairoContext::beginPath() {
    cairo_new_path(cairo_);
}

void CGCairoContext::addPath(const CGPath& path) {
    CGPathAppendToCairo(cairo_, path);
}

void CGCairoContext::drawPath(CGPathDrawingMode mode) {
    switch (mode) {
    case kCGPathFill:
        paintPath(Paint::fill, FillRule::winding, AfterPaint::clearPath);
        break;
    case kCGPathEOFill:
        paintPath(Paint::fill, FillRule::evenOdd, AfterPaint::clearPath);
        break;
    case kCGPathStroke:
        paintPath(Paint::stroke, FillRule::winding, AfterPaint::clearPath);
        break;
    case kCGPathFillStroke:
    case kCGPathEOFillStroke:
        paintPath(Paint::fill, mode == kCGPathEOFillStroke ? FillRule::evenOdd : FillRule::winding,
                  AfterPaint::keepPath);
        paintPath(Paint::stroke, FillRule::winding, AfterPaint::clearPath);
        break;
    }
}

void CGCairoContext::setFillRule(FillRule rule) {
    cairo_set_fill_rule(cairo_, rule == FillRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                          : CAIRO_FILL_RULE_WINDING);
}

bool CGCairoContext::hasShadow() const {
    const State& s = states_.back();
    return s.shadowColor && CGColorGetDrawingRGBA(s.shadowColor).a > 0;
}

void CGCairoContext::setSourceForColor(const CGColorRef& color, double& alpha) {
    const State& s = states_.back();
    alpha = s.alpha;
    if (color && color->pattern()) {
        const CGImageRef& image = color->pattern();
        CairoPatternPtr pattern(cairo_pattern_create_for_surface(image->cairoSurface()));
        // Tiles start at the base space's origin and show one image point per point,
        // however the CTM has moved since.
        cairo_matrix_t ctm, baseInverse = baseMatrix_, toPixels, step, matrix;
        cairo_get_matrix(cairo_, &ctm);
        cairo_matrix_invert(&baseInverse);
        cairo_matrix_init_scale(&toPixels, image->scale(), image->scale());
        cairo_matrix_multiply(&step, &ctm, &baseInverse);
        cairo_matrix_multiply(&matrix, &step, &toPixels);
        cairo_pattern_set_matrix(pattern.get(), &matrix);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        cairo_set_source(cairo_, pattern.get());
        alpha *= unitAlpha(color->alpha());
        return;
    }
    CGRGBA rgba = CGColorGetDrawingRGBA(color);
    cairo_set_source_rgba(cairo_, rgba.r, rgba.g, rgba.b, rgba.a * s.alpha);
    alpha = 1;
}

void CGCairoContext::paintPath(Paint paint, FillRule rule, AfterPaint after) {
    const State& s = states_.back();
    setFillRule(rule);
    const CGColorRef& color = paint == Paint::fill ? s.fillColor : s.strokeColor;
    if (hasShadow()) {
        paintShadow(paint, color);
    }
    double alpha = 1;
    setSourceForColor(color, alpha);
    cairo_set_operator(cairo_, CGCairoOperatorForBlendMode(s.blendMode));
    bool grouped = alpha < 1;
    if (grouped) {
        cairo_push_group(cairo_);
        cairo_set_operator(cairo_, CAIRO_OPERATOR_OVER);
    }
    if (paint == Paint::fill) {
        cairo_fill_preserve(cairo_);
    } else {
        cairo_stroke_preserve(cairo_);
    }
    if (grouped) {
        cairo_pop_group_to_source(cairo_);
        cairo_set_operator(cairo_, CGCairoOperatorForBlendMode(s.blendMode));
        cairo_paint_with_alpha(cairo_, alpha);
    }
    if (after == AfterPaint::clearPath) {
        cairo_new_path(cairo_);
    }
    hasDrawn_ = true;
}

// The shadow is painted beneath the shape, in the shadow colour through the shape's
// blurred coverage, with the current blend mode.
void CGCairoContext::paintShadow(Paint paint, const CGColorRef& color) {
    const State& s = states_.back();
    double coverage =
        color && color->pattern() ? unitAlpha(color->alpha()) : CGColorGetDrawingRGBA(color).a;
    double blurPixels = std::max(0.0, static_cast<double>(s.shadowBlur)) * deviceScale_;
    std::optional<CGShadowMask> mask =
        CGShadowMaskCreate(cairo_, paint == Paint::stroke, coverage, blurPixels);
    if (!mask) {
        return;
    }
    CGRGBA shadow = CGColorGetDrawingRGBA(s.shadowColor);
    cairo_save(cairo_);
    cairo_identity_matrix(cairo_);
    cairo_set_source_rgba(cairo_, shadow.r, shadow.g, shadow.b, shadow.a * s.alpha);
    cairo_set_operator(cairo_, CGCairoOperatorForBlendMode(s.blendMode));
    cairo_mask_surface(cairo_, mask->surface.get(), mask->x + s.shadowOffset.width * deviceScale_,
                       mask->y + s.shadowOffset.height * deviceScale_);
    cairo_restore(cairo_);
}

void CGCairoContext::clipToPath(bool evenOdd) {
    setFillRule(evenOdd ? FillRule::evenOdd : FillRule::winding);
    cairo_clip(cairo_);
}

void CGCairoContext::fillRect(CGRect rect) {
    onRectangle(cairo_, rect,
                [&] { paintPath(Paint::fill, FillRule::winding, AfterPaint::clearPath); });
}

void CGCairoContext::strokeRect(CGRect rect) {
    onRectangle(cairo_, rect,
                [&] { paintPath(Paint::stroke, FillRule::winding, AfterPaint::clearPath); });
}

void CGCairoContext::clearRect(CGRect rect) {
    onRectangle(cairo_, rect, [&] {
        cairo_save(cairo_);
        cairo_set_operator(cairo_, CAIRO_OPERATOR_CLEAR);
        cairo_fill(cairo_);
        cairo_restore(cairo_);
    });
}

void CGCairoContext::clipToRect(CGRect rect) {
    onRectangle(cairo_, rect, [&] { cairo_clip(cairo_); });
}

void CGCairoContext::setFillColor(CGColorRef color) {
    states_.back().fillColor = std::move(color);
}
void CGCairoContext::setStrokeColor(CGColorRef color) {
    states_.back().strokeColor = std::move(color);
}

void CGCairoContext::setLineWidth(CGFloat width) {
    if (finite(width) && width >= 0) {
        cairo_set_line_width(cairo_, width);
    }
}

void CGCairoContext::setLineCap(CGLineCap cap) {
    cairo_set_line_cap(cairo_, cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                               : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                         : CAIRO_LINE_CAP_BUTT);
}

void CGCairoContext::setLineJoin(CGLineJoin join) {
    cairo_set_line_join(cairo_, join == kCGLineJoinRound   ? CAIRO_LINE_JOIN_ROUND
                                : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                           : CAIRO_LINE_JOIN_MITER);
}

void CGCairoContext::setBlendMode(CGBlendMode mode) {
    states_.back().blendMode = mode;
}

void CGCairoContext::setAlpha(CGFloat alpha) {
    states_.back().alpha = finite(alpha) ? std::clamp<CGFloat>(alpha, 0, 1) : 1;
}

void CGCairoContext::setShadow(CGSize offset, CGFloat blur, CGColorRef color) {
    State& s = states_.back();
    bool usable = CGSizeIsFinite(offset) && finite(blur);
    s.shadowOffset = usable ? offset : CGSizeZero;
    s.shadowBlur = usable ? blur : 0;
    s.shadowColor = usable ? std::move(color) : nullptr;
}

void CGCairoContext::translateCTM(CGFloat tx, CGFloat ty) {
    if (finite(tx) && finite(ty)) {
        cairo_translate(cairo_, tx, ty);
    }
}

void CGCairoContext::scaleCTM(CGFloat sx, CGFloat sy) {
    // A zero scale makes the matrix singular, which Cairo treats as an error.
    if (finite(sx) && finite(sy) && sx != 0 && sy != 0) {
        cairo_scale(cairo_, sx, sy);
    }
}

void CGCairoContext::drawImage(CGRect rect, const CGImageRef& image) {
    // An image without pixels would scale the CTM by infinity; one Cairo cannot
    // read would put the context into an error state.
    if (!image || !CGImageIsDrawable(*image) || !CGRectIsFinite(rect) || rect.size.width == 0 ||
        rect.size.height == 0) {
        return;
    }
    CGCairoPathKeeper keeper(cairo_);
    cairo_save(cairo_);
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cairo_);
    cairo_translate(cairo_, rect.origin.x, rect.origin.y);
    cairo_scale(cairo_, rect.size.width / static_cast<double>(image->width()),
                rect.size.height / static_cast<double>(image->height()));
    cairo_set_source_surface(cairo_, image->cairoSurface(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cairo_), CAIRO_EXTEND_PAD);
    cairo_set_operator(cairo_, CGCairoOperatorForBlendMode(states_.back().blendMode));
    cairo_paint_with_alpha(cairo_, states_.back().alpha);
    cairo_restore(cairo_);
    hasDrawn_ = true;
}

void CGCairoContext::drawText(const std::string& text, CGRect rect, CGFloat fontSize, bool bold,
                              CGTextAlignment alignment) {
    if (text.empty() || !CGRectIsFinite(rect)) {
        return;
    }
    CGTextLayout layout(text, {fontSize, bold, alignment, rect.size.width});
    CGCairoPathKeeper keeper(cairo_);
    double alpha = 1;
    setSourceForColor(states_.back().fillColor, alpha);
    cairo_set_operator(cairo_, CGCairoOperatorForBlendMode(states_.back().blendMode));
    layout.draw(cairo_, rect);
    hasDrawn_ = true;
}
