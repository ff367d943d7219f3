#include <Host/Window/HostWindowGeometry.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

int HostDesktopScale(std::optional<int> outputScale, const char* gdkScale,
                     std::optional<double> xftDpi) {
    if (outputScale && *outputScale >= 1) {
        return *outputScale;
    }
    if (gdkScale && *gdkScale) {
        char* end = nullptr;
        long value = std::strtol(gdkScale, &end, 10);
        if (*end == '\0' && value >= 1 && value <= 16) {
            return static_cast<int>(value);
        }
    }
    if (xftDpi && *xftDpi > 0) {
        return std::clamp(static_cast<int>(std::lround(*xftDpi / 96.0)), 1, 16);
    }
    return 1;
}

HostWindowScale HostChooseWindowScale(std::optional<int> requested, int desktopScale,
                                      int screenWidth, int screenHeight,
                                      std::optional<int> usableWidth,
                                      std::optional<int> usableHeight) {
    int wanted = std::max(requested.value_or(desktopScale), 1);
    int scale = wanted;
    auto fits = [&](int s) {
        return (!usableWidth || screenWidth * s <= *usableWidth) &&
               (!usableHeight || screenHeight * s <= *usableHeight);
    };
    while (scale > 1 && !fits(scale)) {
        --scale;
    }
    HostWindowScale result{scale, std::nullopt};
    if (requested && scale < wanted) {
        result.warning = "--scale " + std::to_string(wanted) + " does not fit the display (" +
                         std::to_string(usableWidth.value_or(0)) + " x " +
                         std::to_string(usableHeight.value_or(0)) + " pixels usable); using " +
                         std::to_string(scale);
    }
    return result;
}

HostWindowSize HostWindowSizeFor(CGSize screenPoints, int pixelsPerPoint, int outputScale) {
    double ratio = static_cast<double>(std::max(pixelsPerPoint, 1)) / std::max(outputScale, 1);
    return {std::max(1, static_cast<int>(std::lround(screenPoints.width * ratio))),
            std::max(1, static_cast<int>(std::lround(screenPoints.height * ratio)))};
}

HostWindowSize HostMinimumWindowSize(CGSize screenPoints, int pixelsPerPoint, int outputScale) {
    return HostWindowSizeFor({screenPoints.width / 2, screenPoints.height / 2}, pixelsPerPoint,
                             outputScale);
}

HostViewport HostViewport::fit(CGSize screenPoints, int windowWidth, int windowHeight) {
    HostViewport viewport;
    if (screenPoints.width <= 0 || screenPoints.height <= 0 || windowWidth <= 0 ||
        windowHeight <= 0) {
        return viewport;
    }
    viewport.scale = std::min(windowWidth / screenPoints.width, windowHeight / screenPoints.height);
    viewport.width =
        std::min(windowWidth, static_cast<int>(std::lround(screenPoints.width * viewport.scale)));
    viewport.height =
        std::min(windowHeight, static_cast<int>(std::lround(screenPoints.height * viewport.scale)));
    viewport.x = (windowWidth - viewport.width) / 2;
    viewport.y = (windowHeight - viewport.height) / 2;
    return viewport;
}

CGPoint HostViewport::toPoints(double pixelX, double pixelY) const {
    return {static_cast<CGFloat>((pixelX - x) / scale), static_cast<CGFloat>((pixelY - y) / scale)};
}
