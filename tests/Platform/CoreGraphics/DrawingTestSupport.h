// Helpers for drawing tests: colours, pixel probes in points, images that cannot
// be drawn, and the rounded rectangle that the swatch and the compare view build
// from arc-to-points.
#pragma once

#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGPath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace drawingtest {

inline CGColorRef rgba(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) {
    const CGFloat components[] = {r, g, b, a};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

inline CGColorRef grey(CGFloat level, CGFloat alpha = 1) {
    const CGFloat components[] = {level, alpha};
    return CGColorCreate(CGColorSpaceCreateDeviceGray(), components);
}

inline const CGPixel kClear{0, 0, 0, 0};
inline const CGPixel kRed{255, 0, 0, 255};
inline const CGPixel kGreen{0, 255, 0, 255};
inline const CGPixel kBlue{0, 0, 255, 255};
inline const CGPixel kWhite{255, 255, 255, 255};
inline const CGPixel kBlack{0, 0, 0, 255};

// Every channel within `tolerance` steps.
inline ::testing::AssertionResult near(CGPixel actual, CGPixel expected, int tolerance = 2) {
    auto close = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
    if (close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b) &&
        close(actual.a, expected.a)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "pixel (" << +actual.r << "," << +actual.g << "," << +actual.b << "," << +actual.a
           << ") expected (" << +expected.r << "," << +expected.g << "," << +expected.b << ","
           << +expected.a << ")";
}

// The pixel that covers the point (x, y) of an image of any scale.
inline CGPixel at(const CGImageRef& image, double x, double y) {
    return CGImageGetPixel(image, static_cast<std::size_t>(std::floor(x * image->scale())),
                           static_cast<std::size_t>(std::floor(y * image->scale())));
}

// An image of no pixels at all.
inline CGImageRef emptyImage() {
    return std::make_shared<const CGImage>(
        CGImage::SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0)), 1);
}

// An image whose surface went into an error state after it was made (touched once
// finished): a Cairo context that paints from it enters an error state too.
inline CGImageRef damagedImage() {
    CGImage::SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4));
    cairo_surface_t* raw = surface.get();
    auto image = std::make_shared<const CGImage>(std::move(surface), 1);
    cairo_surface_finish(raw);
    cairo_surface_mark_dirty(raw);
    return image;
}

// Edges pulled one point in, four arc-to-points through the corners, closed.
inline CGMutablePathRef roundRect(CGRect r, CGFloat radius) {
    CGFloat left = CGRectGetMinX(r) + 1, top = CGRectGetMinY(r) + 1;
    CGFloat right = CGRectGetMaxX(r) - 1, bottom = CGRectGetMaxY(r) - 1;
    CGFloat midX = CGRectGetMidX(r), midY = CGRectGetMidY(r);
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, left, midY);
    CGPathAddArcToPoint(path, nullptr, left, top, midX, top, radius);
    CGPathAddArcToPoint(path, nullptr, right, top, right, midY, radius);
    CGPathAddArcToPoint(path, nullptr, right, bottom, midX, bottom, radius);
    CGPathAddArcToPoint(path, nullptr, left, bottom, left, midY, radius);
    CGPathCloseSubpath(path);
    return path;
}

} // namespace drawingtest
