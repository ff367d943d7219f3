#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGContextCairo.h>
#include <CoreGraphics/CGImageCairo.h>

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
    return std::make_shared<const CGImage>(
        CGImageSurfaceCreateARGB32Copy(cairoContext->ownedSurface()), cairoContext->deviceScale());
}
