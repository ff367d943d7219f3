#include <CoreGraphics/CGImageCairo.h>

#include <cmath>

void CGImage::SurfaceDeleter::operator()(cairo_surface_t* surface) const {
    cairo_surface_destroy(surface);
}

CGImage::CGImage(SurfacePtr surface, CGFloat scale) : surface_(std::move(surface)) {
    cairo_surface_flush(surface_.get());
    width_ = static_cast<std::size_t>(cairo_image_surface_get_width(surface_.get()));
    height_ = static_cast<std::size_t>(cairo_image_surface_get_height(surface_.get()));
    scale_ = scale > 0 && std::isfinite(scale) ? scale : 1;
}

void CGImage::setAlternateFile(const std::filesystem::path& path, CGFloat scale) {
    alternatePath_ = path;
    alternateScale_ = scale > 0 && std::isfinite(scale) ? scale : 0;
    alternate_.reset();
    alternateRead_ = false;
}

const CGImage& CGImage::representationFor(CGFloat pixelsPerPoint) const {
    if (alternateScale_ <= 0 || !std::isfinite(pixelsPerPoint) ||
        std::fabs(alternateScale_ - pixelsPerPoint) > std::fabs(scale_ - pixelsPerPoint) ||
        (std::fabs(alternateScale_ - pixelsPerPoint) == std::fabs(scale_ - pixelsPerPoint) &&
         alternateScale_ < scale_)) {
        return *this;
    }
    if (!alternateRead_) {
        alternateRead_ = true;
        CGImageRef read = CGImageCreateWithPNGFile(alternatePath_, alternateScale_);
        // A file of another size in points is another picture, not a representation.
        if (read && std::fabs(read->sizeInPoints().width - sizeInPoints().width) < 0.5f &&
            std::fabs(read->sizeInPoints().height - sizeInPoints().height) < 0.5f) {
            alternate_ = std::move(read);
        }
    }
    return alternate_ ? *alternate_ : *this;
}

const std::uint8_t* CGImage::bytes() const {
    return cairo_image_surface_get_data(surface_.get());
}

std::size_t CGImage::bytesPerRow() const {
    return static_cast<std::size_t>(cairo_image_surface_get_stride(surface_.get()));
}

CGImage::SurfacePtr CGImageSurfaceCreateARGB32Copy(cairo_surface_t* source) {
    cairo_surface_flush(source);
    int width = cairo_image_surface_get_width(source),
        height = cairo_image_surface_get_height(source);
    CGImage::SurfacePtr copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    CairoPtr cairo(cairo_create(copy.get()));
    cairo_set_source_surface(cairo.get(), source, 0, 0);
    cairo_set_operator(cairo.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cairo.get());
    return copy;
}

bool CGImageIsDrawable(const CGImage& image) {
    return image.width() > 0 && image.height() > 0 &&
           cairo_surface_status(image.cairoSurface()) == CAIRO_STATUS_SUCCESS;
}

CGImageRef CGImageCreateWithPNGFile(const std::filesystem::path& path, CGFloat scale) {
    CairoSurfacePtr loaded(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(loaded.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    CGImage::SurfacePtr surface;
    if (cairo_image_surface_get_format(loaded.get()) == CAIRO_FORMAT_ARGB32) {
        surface.reset(loaded.release());
    } else {
        surface = CGImageSurfaceCreateARGB32Copy(loaded.get()); // RGB24, A8...
    }
    return std::make_shared<const CGImage>(std::move(surface), scale);
}

CGImageRef CGImageCreateWithPixels(std::size_t width, std::size_t height, CGFloat scale,
                                   const std::vector<CGPixel>& pixels) {
    if (width == 0 || height == 0 || width > 32768 || height > 32768 ||
        pixels.size() != width * height) {
        return nullptr;
    }
    CGImage::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    auto premultiply = [](std::uint8_t c, std::uint8_t a) {
        return static_cast<std::uint32_t>((c * a + 127) / 255);
    };
    for (std::size_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * static_cast<std::size_t>(stride));
        for (std::size_t x = 0; x < width; ++x) {
            const CGPixel& p = pixels[y * width + x];
            row[x] = static_cast<std::uint32_t>(p.a) << 24 | premultiply(p.r, p.a) << 16 |
                     premultiply(p.g, p.a) << 8 | premultiply(p.b, p.a);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return std::make_shared<const CGImage>(std::move(surface), scale);
}

std::size_t CGImageGetWidth(const CGImageRef& image) {
    return image ? image->width() : 0;
}
std::size_t CGImageGetHeight(const CGImageRef& image) {
    return image ? image->height() : 0;
}

CGPixel CGImageGetPixel(const CGImageRef& image, std::size_t x, std::size_t y) {
    if (!image || x >= image->width() || y >= image->height()) {
        return {};
    }
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(image->bytes() + y * image->bytesPerRow());
    std::uint32_t argb = row[x];
    auto a = static_cast<std::uint8_t>(argb >> 24);
    if (a == 0) {
        return {};
    }
    auto unpremultiply = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>((c * 255 + a / 2) / a);
    };
    return {unpremultiply(argb >> 16 & 0xff), unpremultiply(argb >> 8 & 0xff),
            unpremultiply(argb & 0xff), a};
}
