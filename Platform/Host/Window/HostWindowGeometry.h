// The window's arithmetic, apart from SDL so that it can be tested alone: the scale a
// window opens at, and where the screen sits in a window of any size.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <optional>
#include <string>

// The desktop's own scale: Wayland's output scale when known; on X11 GDK_SCALE when
// set (a whole number >= 1), else Xft.dpi / 96 rounded, at least 1.
int HostDesktopScale(std::optional<int> outputScale, const char* gdkScale,
                     std::optional<double> xftDpi);

struct HostWindowScale {
    int scale = 1;
    // Set when an explicit scale had to be lowered to fit.
    std::optional<std::string> warning;
};

// The requested scale (none: the desktop's), lowered while a `screenWidth` x
// `screenHeight` point screen would not fit `usableWidth` x `usableHeight` pixels
// (none: the display's size is unknown). Never below 1.
HostWindowScale HostChooseWindowScale(std::optional<int> requested, int desktopScale,
                                      int screenWidth, int screenHeight,
                                      std::optional<int> usableWidth,
                                      std::optional<int> usableHeight);

// A window's size in window coordinates (`outputScale` pixels each: a Wayland output's
// scale, 1 on X11) for a screen of `screenPoints` at `pixelsPerPoint`, and its minimum
// size: half the screen. Never below 1 x 1.
struct HostWindowSize {
    int width = 0, height = 0;
    bool operator==(const HostWindowSize&) const = default;
};
HostWindowSize HostWindowSizeFor(CGSize screenPoints, int pixelsPerPoint, int outputScale);
HostWindowSize HostMinimumWindowSize(CGSize screenPoints, int pixelsPerPoint, int outputScale);

// The screen in a window: the largest rectangle of the screen's aspect that fits,
// centred (the rest of the window is letterbox), in window pixels, and its scale in
// pixels per point.
struct HostViewport {
    CGFloat scale = 1;
    int x = 0, y = 0, width = 0, height = 0;

    static HostViewport fit(CGSize screenPoints, int windowWidth, int windowHeight);
    bool operator==(const HostViewport&) const = default;
    // A window pixel as a screen point (outside the screen it lies past its edges).
    CGPoint toPoints(double pixelX, double pixelY) const;
};
