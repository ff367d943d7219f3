// Images: premultiplied ARGB32 pixels in native byte order (Cairo's layout) with a
// scale in pixels per point. Immutable once made; shared through CGImageRef.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

// Cairo's own tag, declared here so that this header stays free of cairo.h.
typedef struct _cairo_surface cairo_surface_t; // NOLINT(bugprone-reserved-identifier)

// Straight (unpremultiplied) 8-bit channels.
struct CGPixel {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const CGPixel&, const CGPixel&) = default;
};

class CGImage {
  public:
    struct SurfaceDeleter {
        void operator()(cairo_surface_t* surface) const;
    };
    using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

    // Takes an ARGB32 image surface.
    CGImage(SurfacePtr surface, CGFloat scale);

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    CGFloat scale() const { return scale_; }
    CGSize sizeInPoints() const {
        return {static_cast<CGFloat>(width_) / scale_, static_cast<CGFloat>(height_) / scale_};
    }
    const std::uint8_t* bytes() const;
    std::size_t bytesPerRow() const;
    // For drawing code in the Cairo files; the surface is not to be modified.
    cairo_surface_t* cairoSurface() const { return surface_.get(); }

    // The same picture in another file at another scale ("name@2x.png" beside
    // "name.png"), read only when a drawing asks for it.
    void setAlternateFile(const std::filesystem::path& path, CGFloat scale);
    // This image, or its alternate when that one's scale is nearer to `pixelsPerPoint`
    // (a tie goes to the larger) and its file reads as the same size in points.
    const CGImage& representationFor(CGFloat pixelsPerPoint) const;

  private:
    SurfacePtr surface_;
    std::filesystem::path alternatePath_;
    CGFloat alternateScale_ = 0;
    mutable std::shared_ptr<const CGImage> alternate_;
    mutable bool alternateRead_ = false;
    std::size_t width_ = 0;
    std::size_t height_ = 0;
    CGFloat scale_ = 1;
};

using CGImageRef = std::shared_ptr<const CGImage>;

// nullptr when the file is missing or not a PNG.
CGImageRef CGImageCreateWithPNGFile(const std::filesystem::path& path, CGFloat scale = 1);
// True when the whole file was written; otherwise errno says why (ENOSPC for a full
// device), and nothing has been printed.
bool CGImageWritePNG(const CGImageRef& image, const std::filesystem::path& path);
// `pixels` holds width x height straight RGBA pixels, row by row from the top.
CGImageRef CGImageCreateWithPixels(std::size_t width, std::size_t height, CGFloat scale,
                                   const std::vector<CGPixel>& pixels);

std::size_t CGImageGetWidth(const CGImageRef& image);
std::size_t CGImageGetHeight(const CGImageRef& image);
// Transparent black outside the image.
CGPixel CGImageGetPixel(const CGImageRef& image, std::size_t x, std::size_t y);
