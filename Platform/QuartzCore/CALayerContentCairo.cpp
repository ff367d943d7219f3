#include <CoreGraphics/CGContextCairo.h>
#include <QuartzCore/CALayerPrivate.h>

#include <cmath>

void CALayerDisplay(CALayer& layer, CGFloat scale) {
    CALayer::Private& state = layer.privateState();
    layer.needsDisplay_ = false;
    state.drawsContent = true;
    state.contentScale = scale;
    state.content.reset();
    CGRect bounds = CGRectStandardize(layer.bounds());
    double width = std::ceil(static_cast<double>(bounds.size.width) * scale);
    double height = std::ceil(static_cast<double>(bounds.size.height) * scale);
    if (!(width >= 1 && height >= 1 && width <= 16384 && height <= 16384)) {
        return;
    }
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                       static_cast<int>(height)));
    CGCairoContext context(std::move(surface), scale);
    context.translateCTM(-bounds.origin.x, -bounds.origin.y);
    context.markBaseSpace();
    layer.drawInContext(&context);
    // A layer whose delegate draws nothing keeps no bitmap and costs nothing to render.
    if (context.hasDrawn()) {
        CairoSurfacePtr drawn = context.releaseSurface();
        state.content =
            std::make_shared<const CGImage>(CGImage::SurfacePtr(drawn.release()), scale);
    }
}
