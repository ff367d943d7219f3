#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGContextCairo.h>

#include <cmath>

std::unique_ptr<CGContext> CGBitmapContextCreate(std::size_t width, std::size_t height,
                                                 CGFloat scale) {
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || !(scale > 0) ||
        !std::isfinite(scale)) {
        return nullptr;
    }
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                       static_cast<int>(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<CGCairoContext>(std::move(surface), scale);
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
    auto* cairoContext = dynamic_cast<CGCairoContext*>(context);
    if (!cairoContext || !cairoContext->ownedSurface()) {
        return nullptr;
    }
    cairo_surface_t* source = cairoContext->ownedSurface();
    cairo_surface_flush(source);
    int width = cairo_image_surface_get_width(source),
        height = cairo_image_surface_get_height(source);
    CGImage::SurfacePtr copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    CairoPtr cairo(cairo_create(copy.get()));
    cairo_set_source_surface(cairo.get(), source, 0, 0);
    cairo_set_operator(cairo.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cairo.get());
    cairo.reset();
    return std::make_shared<const CGImage>(std::move(copy), cairoContext->deviceScale());
}
