#include "ResourceImages.h"

#include <CoreGraphics/CGBitmapContext.h>
#include <UIKit/UIColorHexcone.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace resources {

namespace {

CGColorRef rgba(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    const CGFloat components[] = {r, g, b, a};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

std::size_t pixels(CGFloat points, CGFloat scale) {
    return static_cast<std::size_t>(std::lround(points * scale));
}

std::uint8_t channel(double value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

std::unique_ptr<CGContext> canvas(CGFloat side, CGFloat scale) {
    return CGBitmapContextCreate(pixels(side, scale), pixels(side, scale), scale);
}

} // namespace

RGB hueSaturationColor(double hue, double saturation) {
    UIHexconeRGB<double> rgb = UIHexconeToRGB(hue, saturation, 1.0);
    return {rgb.red, rgb.green, rgb.blue};
}

HueSaturation wheelHueSaturation(double x, double y) {
    double radius = kWheelSide / 2;
    double dx = x - radius, dy = radius - y; // dy grows upwards on screen
    double angle = std::atan2(dy, dx);
    if (angle < 0) {
        angle += 2 * std::numbers::pi;
    }
    return {angle / (2 * std::numbers::pi), std::hypot(dx, dy) / radius};
}

// Each pixel shows the colour of its centre; the rim's alpha is the pixel's
// coverage, so the disc edge is smooth at either scale.
CGImageRef makeColorWheel(CGFloat scale) {
    std::size_t side = pixels(kWheelSide, scale);
    std::vector<CGPixel> image(side * side);
    double radius = kWheelSide / 2;
    for (std::size_t row = 0; row < side; ++row) {
        for (std::size_t column = 0; column < side; ++column) {
            double x = (static_cast<double>(column) + 0.5) / scale,
                   y = (static_cast<double>(row) + 0.5) / scale;
            HueSaturation hs = wheelHueSaturation(x, y);
            double coverage = std::clamp((radius - hs.saturation * radius) * scale + 0.5, 0.0, 1.0);
            if (coverage <= 0) {
                continue;
            }
            RGB c = hueSaturationColor(hs.hue, std::min(hs.saturation, 1.0));
            image[row * side + column] = {channel(c.r), channel(c.g), channel(c.b),
                                          channel(coverage)};
        }
    }
    return CGImageCreateWithPixels(side, side, scale, image);
}

// A white ring with a dark hairline on both edges and a soft shadow below: it reads
// on white, on black and on every hue, and leaves the colour under it visible.
CGImageRef makeKnob(CGFloat scale) {
    auto context = canvas(kKnobSide, scale);
    CGContextRef c = context.get();
    CGRect outer = CGRectMake(3, 2.5f, 24, 24);
    CGRect inner = CGRectInset(outer, 4, 4);
    auto ring = CGPathCreateMutable();
    CGPathAddEllipseInRect(ring, nullptr, outer);
    CGPathAddEllipseInRect(ring, nullptr, inner);

    CGContextSaveGState(c);
    CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 2, rgba(0, 0, 0, 0.6f));
    CGContextSetFillColorWithColor(c, rgba(1, 1, 1, 1));
    CGContextAddPath(c, ring);
    CGContextEOFillPath(c);
    CGContextRestoreGState(c);

    CGContextSetStrokeColorWithColor(c, rgba(0, 0, 0, 0.45f));
    CGContextSetLineWidth(c, 1);
    CGContextStrokeEllipseInRect(c, CGRectInset(outer, 0.5f, 0.5f));
    CGContextStrokeEllipseInRect(c, CGRectInset(inner, -0.5f, -0.5f));
    return CGBitmapContextCreateImage(c);
}

// Two tones of 8-point squares: white and light grey, white at the top-left.
CGImageRef makeCheckerboard(CGFloat scale) {
    auto context = canvas(kCheckerboardSide, scale);
    CGContextRef c = context.get();
    CGContextSetFillColorWithColor(c, rgba(1, 1, 1, 1));
    CGContextFillRect(c, CGRectMake(0, 0, kCheckerboardSide, kCheckerboardSide));
    CGContextSetFillColorWithColor(c, rgba(0.8f, 0.8f, 0.8f, 1));
    CGFloat half = kCheckerboardSide / 2;
    CGContextFillRect(c, CGRectMake(half, 0, half, half));
    CGContextFillRect(c, CGRectMake(0, half, half, half));
    return CGBitmapContextCreateImage(c);
}

// A white tick on a dark disc with a thin white rim.
CGImageRef makeCheckmark(CGFloat scale) {
    auto context = canvas(kCheckmarkSide, scale);
    CGContextRef c = context.get();
    CGRect disc = CGRectMake(1, 1, 20, 20);
    CGContextSetFillColorWithColor(c, rgba(0.13f, 0.13f, 0.16f, 0.92f));
    CGContextFillEllipseInRect(c, disc);
    CGContextSetStrokeColorWithColor(c, rgba(1, 1, 1, 1));
    CGContextSetLineWidth(c, 1);
    CGContextStrokeEllipseInRect(c, CGRectInset(disc, 0.5f, 0.5f));

    auto tick = CGPathCreateMutable();
    CGPathMoveToPoint(tick, nullptr, 6.5f, 11.5f);
    CGPathAddLineToPoint(tick, nullptr, 9.5f, 14.5f);
    CGPathAddLineToPoint(tick, nullptr, 15.5f, 7.5f);
    CGContextSetLineWidth(c, 2.5f);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineJoin(c, kCGLineJoinRound);
    CGContextAddPath(c, tick);
    CGContextStrokePath(c);
    return CGBitmapContextCreateImage(c);
}

const std::vector<Resource>& allResources() {
    static const std::vector<Resource> list = {
        {"colorPickerKnob", makeKnob},
        {"checkerboard", makeCheckerboard},
        {"pickerColorWheel", makeColorWheel},
        {"PXColorViewCheckmark", makeCheckmark},
    };
    return list;
}

} // namespace resources
