// Wayland windows carry the desktop's decorations: under weston (whose output is a window
// of a private Xvfb, read back here) a title bar with its buttons is drawn above the
// screen; under GNOME's mutter the decorations' plug-in loads and no
// commit of ours is one the compositor calls invalid.
#include "DesktopSession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <CoreGraphics/CGImage.h>

#include <thread>

namespace {

using windowtest::BackgroundProcess;
using windowtest::builtProgram;
using windowtest::DesktopSession;
using windowtest::OnDesktop;

class WaylandDecorations : public OnDesktop {
  protected:
    void SetUp() override { startDesktop("wayland"); }
};

// Where the window's own pixels (its `screenshot`) sit on the screen: the first place
// whose row matches the shot's row `row` whole; x -1 when none does.
std::pair<int, int> findWindow(const windowtest::Screen& screen, const CGImageRef& shot,
                               std::size_t row) {
    auto width = static_cast<int>(shot->width());
    for (int y = static_cast<int>(row); y < screen.height; ++y) {
        for (int x = 0; x + width <= screen.width; ++x) {
            int k = 0;
            while (k < width) {
                CGPixel p = CGImageGetPixel(shot, static_cast<std::size_t>(k), row);
                unsigned long rgb = (static_cast<unsigned long>(p.r) << 16U) |
                                    (static_cast<unsigned long>(p.g) << 8U) | p.b;
                if (screen.at(x + k, y) != rgb) {
                    break;
                }
                ++k;
            }
            if (k == width) {
                return {x, y - static_cast<int>(row)};
            }
        }
    }
    return {-1, -1};
}

// For each program: above the screen, a band as tall as libdecor's title bar (24
// logical pixels) holds the title bar (mostly dark, active or not, where weston's
// desktop has none) with its close button at the right. (weston's x11 backend takes no
// pointer from the X server's test extension, so the button is not clicked here.)
TEST_F(WaylandDecorations, ATitleBarWithACloseButtonIsDrawnAboveTheScreen) {
    const int scale = desktop_->outputScale();
    for (const char* binary : {"PrismkeyFree", "keyboard-host"}) {
        std::string shot = path(std::string(binary) + ".png");
        // The window stays open once the script is done.
        testsupport::writeFile(path("script.txt"), "wait 1200\nscreenshot " + shot + "\n");
        BackgroundProcess scripted(
            {builtProgram(binary), "--root", path("device"), "--events", path("script.txt")});
        std::this_thread::sleep_for(std::chrono::seconds(3));
        CGImageRef own = CGImageCreateWithPNGFile(shot);
        ASSERT_TRUE(own) << binary << ": no screenshot";
        windowtest::Screen screen = windowtest::readScreen(desktop_->xDisplay());
        auto [x, y] = findWindow(screen, own, 30 * static_cast<std::size_t>(scale));
        ASSERT_GE(x, 0) << binary << ": its pixels are not on weston's output";
        const int band = 24 * scale, width = static_cast<int>(own->width());
        ASSERT_GE(y, band);
        int dark = 0;
        for (int row = y - band; row < y; ++row) {
            for (int column = x; column < x + width; ++column) {
                unsigned long p = screen.at(column, row);
                dark += (p >> 16U & 0xFFU) < 0x60 && (p >> 8U & 0xFFU) < 0x60 && (p & 0xFFU) < 0x60;
            }
        }
        EXPECT_GT(dark, band * width / 2) << binary << ": no title bar above the screen";

        // The close button, rightmost: a light cross on the dark bar.
        int light = 0;
        for (int row = y - band; row < y; ++row) {
            for (int column = x + width - band; column < x + width; ++column) {
                light += (screen.at(column, row) & 0xFFU) > 0xB0;
            }
        }
        EXPECT_GT(light, band / 2) << binary << ": no close button";
    }
}

class GnomeWayland : public OnDesktop {
  protected:
    void SetUp() override { startDesktop("mutter"); }
};

// PrismkeyFree shown, left idle (nothing on screen changes) and closed: libdecor found
// its plug-in, and mutter saw no window geometry it calls invalid (an acknowledged
// configure left uncommitted until the window went).
TEST_F(GnomeWayland, DecorationsLoadAndNoCommitIsInvalid) {
    for (const char* binary : {"PrismkeyFree", "keyboard-host"}) {
        auto run =
            testsupport::runProcess({"/usr/bin/timeout", "-s", "KILL", "60", builtProgram(binary),
                                     "--root", path("device"), "--events", "-"},
                                    "wait 1500\nquit\n");
        EXPECT_EQ(run.exitCode, 0) << run.standardError;
        EXPECT_EQ(run.standardError.find("No plugins found"), std::string::npos)
            << run.standardError;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string log = desktop_->compositorLog();
    EXPECT_EQ(log.find("Invalid window geometry"), std::string::npos) << log;
}

} // namespace
