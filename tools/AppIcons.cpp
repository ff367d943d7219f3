#include "AppIcons.h"

#include "ResourceImages.h"

#include <CoreGraphics/CGBitmapContext.h>

namespace appicons {

namespace {

// Both icons are designed on a 64-point tile and drawn at any size.
constexpr CGFloat kDesignSide = 64;

std::unique_ptr<CGContext> tile(std::size_t pixels) {
    return CGBitmapContextCreate(pixels, pixels, static_cast<CGFloat>(pixels) / kDesignSide);
}

CGPathRef roundedRect(CGRect rect, CGFloat radius) {
    CGMutablePathRef path = CGPathCreateMutable();
    CGFloat left = CGRectGetMinX(rect), right = CGRectGetMaxX(rect);
    CGFloat top = CGRectGetMinY(rect), bottom = CGRectGetMaxY(rect);
    CGPathMoveToPoint(path, nullptr, left + radius, top);
    CGPathAddArcToPoint(path, nullptr, right, top, right, bottom, radius);
    CGPathAddArcToPoint(path, nullptr, right, bottom, left, bottom, radius);
    CGPathAddArcToPoint(path, nullptr, left, bottom, left, top, radius);
    CGPathAddArcToPoint(path, nullptr, left, top, right, top, radius);
    CGPathCloseSubpath(path);
    return path;
}

void fillRoundedRect(CGContextRef c, CGRect rect, CGFloat radius) {
    CGContextAddPath(c, roundedRect(rect, radius));
    CGContextFillPath(c);
}

// The tile under each icon, with a soft shadow so that it reads on light and dark
// desktops alike.
void drawTile(CGContextRef c, CGFloat r, CGFloat g, CGFloat b) {
    CGContextSaveGState(c);
    CGContextSetShadow(c, CGSizeMake(0, 1.5f), 2);
    CGContextSetRGBFillColor(c, r, g, b, 1);
    fillRoundedRect(c, CGRectMake(4, 4, 56, 56), 13);
    CGContextRestoreGState(c);
}

} // namespace

// The picker's own wheel with its knob over the blue that the tour saves.
CGImageRef makeSettingsIcon(std::size_t pixels) {
    auto context = tile(pixels);
    CGContextRef c = context.get();
    drawTile(c, 0.16f, 0.17f, 0.22f);
    CGRect wheel = CGRectMake(11, 11, 42, 42);
    CGFloat pixelsPerPoint = static_cast<CGFloat>(pixels) / kDesignSide;
    CGContextDrawImage(
        c, wheel,
        resources::makeColorWheel(wheel.size.width * pixelsPerPoint / resources::kWheelSide));
    CGRect knob = CGRectMake(21, 40, 8, 8);
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, 2);
    CGContextStrokeEllipseInRect(c, knob);
    CGContextSetRGBStrokeColor(c, 0, 0, 0, 0.5f);
    CGContextSetLineWidth(c, 0.5f);
    CGContextStrokeEllipseInRect(c, CGRectInset(knob, -1.25f, -1.25f));
    return CGBitmapContextCreateImage(c);
}

// Two rows of keys and a space bar on the tint the keyboard takes.
CGImageRef makeKeyboardIcon(std::size_t pixels) {
    auto context = tile(pixels);
    CGContextRef c = context.get();
    drawTile(c, 0.2f, 0.4f, 0.6f);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    constexpr CGFloat key = 8, pitch = 10;
    for (int column = 0; column < 5; ++column) {
        fillRoundedRect(c, CGRectMake(8 + pitch * static_cast<CGFloat>(column), 17, key, key), 2);
    }
    for (int column = 0; column < 4; ++column) {
        fillRoundedRect(c, CGRectMake(13 + pitch * static_cast<CGFloat>(column), 28, key, key), 2);
    }
    fillRoundedRect(c, CGRectMake(18, 39, 28, key), 2);
    return CGBitmapContextCreateImage(c);
}

const std::vector<AppIcon>& allIcons() {
    static const std::vector<AppIcon> icons = {
        {"io.prismkey.PrismkeyFree", makeSettingsIcon},
        {"io.prismkey.KeyboardHost", makeKeyboardIcon},
    };
    return icons;
}

std::filesystem::path iconPath(const AppIcon& icon, std::size_t pixels) {
    std::string size = std::to_string(pixels) + "x" + std::to_string(pixels);
    return std::filesystem::path("hicolor") / size / "apps" / (icon.name + ".png");
}

} // namespace appicons
