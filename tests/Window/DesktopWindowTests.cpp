// The programs as windows on a desktop (X11 in an Xvfb; Wayland in weston, with
// PRISMKEY_TEST_DESKTOP=wayland): named as their desktop entries, scaled from the
// desktop, resizable with the screen kept whole and centred, one PrismkeyFree
// window per device root. Skipped, saying why, when the desktop cannot start.
#include "DesktopSession.h"
#include "TestScene.h"
#include "TestSupport.h"
#include "WindowEvents.h"

#include <Host/Session/HostSession.h>
#include <Host/Window/HostWindow.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace {

using windowtest::DesktopSession;

std::unique_ptr<DesktopSession> desktop;

// A key of a desktop entry ("Name=...").
std::string desktopEntryValue(const std::string& file, const std::string& key) {
    std::ifstream entry(testsupport::sourceDirectory() / file);
    std::string line;
    while (std::getline(entry, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

std::size_t pngWidth(const std::filesystem::path& path) {
    CGImageRef image = CGImageCreateWithPNGFile(path);
    return image ? image->width() : 0;
}

class DesktopWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { desktop = std::make_unique<DesktopSession>(); }
    static void TearDownTestSuite() { desktop.reset(); }
    void SetUp() override {
        if (!desktop->failure().empty()) {
            GTEST_SKIP() << desktop->failure();
        }
    }
    std::string root() const { return (folder.path() / "device").string(); }
    testsupport::TemporaryDirectory folder;
};

struct Entry {
    const char* binary;
    const char* desktopFile;
};
const Entry entries[] = {
    {"PrismkeyFree", "PrismkeyFree/io.prismkey.PrismkeyFree.desktop"},
    {"keyboard-host", "KeyboardHost/io.prismkey.KeyboardHost.desktop"},
};

TEST_F(DesktopWindow, ProgramsAreNamedAsTheirDesktopEntries) {
    for (const Entry& entry : entries) {
        std::string name = desktopEntryValue(entry.desktopFile, "Name");
        std::string id = std::filesystem::path(entry.desktopFile).stem().string();
        EXPECT_EQ(desktopEntryValue(entry.desktopFile, "StartupWMClass"), id);
        if (desktop->wayland()) {
            // What the program tells the compositor, in libwayland's own trace.
            setenv("WAYLAND_DEBUG", "client", 1);
            auto run = testsupport::runProcess(
                {windowtest::builtProgram(entry.binary), "--root", root(), "--events", "-"},
                "wait 300\nquit\n");
            unsetenv("WAYLAND_DEBUG");
            EXPECT_EQ(run.exitCode, 0) << run.standardError.substr(0, 2000);
            EXPECT_NE(run.standardError.find("set_app_id(\"" + id + "\")"), std::string::npos)
                << entry.binary;
            EXPECT_NE(run.standardError.find("set_title(\"" + name + "\")"), std::string::npos)
                << entry.binary;
            continue;
        }
        windowtest::BackgroundProcess running(
            {windowtest::builtProgram(entry.binary), "--root", root()});
        // The window is listed from its creation, before it is shown with its icon, and
        // a loaded machine may list a window SDL replaces: find it and ask again until
        // the icon is there (or thirty seconds have passed).
        testsupport::ProcessResult properties;
        for (int attempt = 0; attempt < 300; ++attempt) {
            unsigned long window = windowtest::waitForWindow(name, 30);
            ASSERT_NE(window, 0u) << "no window titled \"" << name << "\"";
            char hex[32];
            std::snprintf(hex, sizeof hex, "0x%lx", window);
            properties = testsupport::runProcess(
                {"/usr/bin/env", "xprop", "-id", hex, "WM_CLASS", "WM_NAME", "_NET_WM_ICON"});
            if (properties.standardOutput.find("Icon (") != std::string::npos) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const std::string& text = properties.standardOutput;
        EXPECT_NE(text.find("WM_CLASS(STRING) = \"" + id + "\", \"" + id + "\""), std::string::npos)
            << text.substr(0, 300) << properties.standardError.substr(0, 300);
        EXPECT_NE(text.find("WM_NAME(STRING) = \"" + name + "\""), std::string::npos)
            << text.substr(0, 300);
        EXPECT_NE(text.find("Icon (64 x 64)"), std::string::npos) << "the shipped icon";
    }
}

TEST_F(DesktopWindow, AutoScaleFollowsTheDesktop) {
    struct Row {
        const char* xftDpi; // nullptr: no resource
        const char* gdkScale;
        std::size_t x11Width;
    };
    const Row rows[] = {{nullptr, nullptr, 320},
                        {"192", nullptr, 640},
                        {"192", "1", 320},      // GDK_SCALE first
                        {"288", nullptr, 640}}; // 3 would not fit 1024 pixels: lowered
    for (const Row& row : rows) {
        if (desktop->wayland() && row.xftDpi) {
            continue;
        }
        if (row.xftDpi) {
            testsupport::runProcess({"/usr/bin/env", "xprop", "-root", "-f", "RESOURCE_MANAGER",
                                     "8s", "-set", "RESOURCE_MANAGER",
                                     std::string("Xft.dpi:\t") + row.xftDpi});
        } else if (!desktop->wayland()) {
            testsupport::runProcess(
                {"/usr/bin/env", "xprop", "-root", "-remove", "RESOURCE_MANAGER"});
        }
        if (row.gdkScale) {
            setenv("GDK_SCALE", row.gdkScale, 1);
        }
        if (desktop->wayland()) {
            setenv("WAYLAND_DEBUG", "client", 1);
        }
        auto shot = folder.path() / "auto.png";
        auto run = testsupport::runProcess(
            {windowtest::builtProgram("PrismkeyFree"), "--root", root(), "--events", "-"},
            "screenshot " + shot.string() + "\nquit\n");
        unsetenv("GDK_SCALE");
        unsetenv("WAYLAND_DEBUG");
        ASSERT_EQ(run.exitCode, 0) << run.standardError.substr(0, 2000);
        if (!desktop->wayland()) {
            EXPECT_EQ(pngWidth(shot), row.x11Width) << (row.xftDpi ? row.xftDpi : "no Xft.dpi");
            continue;
        }
        // Wayland: one logical pixel a point, drawn in the output's own pixels and
        // handed to the compositor as such (not enlarged by it).
        // The output's scale, lowered while the screen's 480 points would not fit.
        int scale = desktop->outputScale();
        while (scale > 1 && 480 * scale > desktop->outputHeight()) {
            --scale;
        }
        EXPECT_EQ(pngWidth(shot), 320u * static_cast<unsigned>(scale));
        if (desktop->outputScale() > 1) {
            EXPECT_NE(run.standardError.find("set_buffer_scale(" +
                                             std::to_string(desktop->outputScale()) + ")"),
                      std::string::npos);
        }
    }
    if (!desktop->wayland()) {
        testsupport::runProcess({"/usr/bin/env", "xprop", "-root", "-remove", "RESOURCE_MANAGER"});
    }
}

// The window resized: the whole screen at the window's own size, centred, the rest
// letterbox; a click lands on the control drawn under it.
TEST_F(DesktopWindow, ResizedWindowShowsTheWholeScreenCentredAndClicksMapBack) {
    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
    ASSERT_NE(window, nullptr) << error;
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), desktop->wayland() ? "wayland" : "x11");
    CAMediaTimeUseVirtualClock(0);
    UIScreen::mainScreen()->setScale(1);
    auto delegate = std::make_shared<TestSceneAppDelegate>();
    UIApplication::sharedApplication()->setDelegate(delegate);
    ASSERT_TRUE(UIApplication::sharedApplication()->finishLaunching());
    HostSession session(1);
    window->present(session);

    // Window sizes and the mouse are in logical pixels; frames in the output's.
    const auto ratio = static_cast<std::size_t>(desktop->outputScale());
    SDL_SetWindowSize(window->sdl(), 900, 600);
    CGImageRef shown;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        window->processEvents(session, 50);
        window->present(session);
        shown = window->windowPixels();
    } while (shown && shown->width() != 900 * ratio && std::chrono::steady_clock::now() < end);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->width(), 900 * ratio);
    ASSERT_EQ(shown->height(), 600 * ratio);
    // 600 / 480 = 1.25 pixels a point: the screen is 400 x 600 at x 250 (each times
    // the output's scale).
    CGImageRef expected = CARenderLayerTree(UIScreen::mainScreen()->layer(), {320, 480},
                                            1.25f * static_cast<CGFloat>(ratio));
    ASSERT_EQ(expected->width(), 400 * ratio);
    std::size_t differing = 0, letterbox = 0, letterboxSamples = 0;
    for (std::size_t y = 0; y < 600 * ratio; y += 3) {
        for (std::size_t x = 0; x < 900 * ratio; x += 3) {
            CGPixel pixel = CGImageGetPixel(shown, x, y);
            if (x < 250 * ratio || x >= 650 * ratio) {
                ++letterboxSamples;
                letterbox += pixel.r == 0x20 && pixel.g == 0x20 && pixel.b == 0x20;
            } else {
                differing += !(pixel == CGImageGetPixel(expected, x - 250 * ratio, y));
            }
        }
    }
    EXPECT_EQ(differing, 0u) << "the screen drawn at 1.25, not stretched";
    EXPECT_EQ(letterbox, letterboxSamples) << "grey bars of 250 pixels each side";

    // "Show Alert" at (85, 106) points.
    pushMouse(SDL_MOUSEBUTTONDOWN, 250 + 106, 132);
    pushMouse(SDL_MOUSEBUTTONUP, 250 + 106, 132);
    window->processEvents(session, 100);
    EXPECT_NE(UIAlertView::visibleAlert(), nullptr) << "the click missed the button";
    if (UIAlertView* alert = UIAlertView::visibleAlert()) {
        alert->dismissWithClickedButtonIndex(0, false);
    }
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

// Whether the window titled `title` comes to the top of the stack within 30 s.
bool topWindowBecomes(const std::string& title) {
    for (int i = 0; i < 300; ++i) {
        std::vector<std::string> stack = windowtest::stackedTitles();
        if (!stack.empty() && stack.back() == title) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// A second window start in the same device root brings the first to the front and
// ends; a headless run there is not affected.
TEST_F(DesktopWindow, SecondPrismkeyFreeInTheSameRootRaisesTheFirstAndExits) {
    windowtest::BackgroundProcess first(
        {windowtest::builtProgram("PrismkeyFree"), "--root", root()});
    if (!desktop->wayland()) {
        ASSERT_NE(windowtest::waitForWindow("PrismkeyFree", 30), 0u);
    } else {
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    windowtest::BackgroundProcess other(
        {windowtest::builtProgram("keyboard-host"), "--root", root()});
    if (!desktop->wayland()) {
        ASSERT_NE(windowtest::waitForWindow("Prismkey Keyboard Host", 30), 0u);
        // SDL may replace a window it has just made: the order settles in a while.
        ASSERT_TRUE(topWindowBecomes("Prismkey Keyboard Host")) << "the newer window on top";
    }
    auto second =
        testsupport::runProcess({windowtest::builtProgram("PrismkeyFree"), "--root", root()});
    EXPECT_EQ(second.exitCode, 0);
    // weston offers no xdg-activation: a window there cannot bring itself forward.
    EXPECT_EQ(second.standardError,
              desktop->wayland()
                  ? "PrismkeyFree: already open for this device root, but the desktop did not "
                    "let its window come to the front; switch to it yourself\n"
                  : "PrismkeyFree: already open for this device root; brought its window to the "
                    "front\n");
    if (!desktop->wayland()) {
        EXPECT_TRUE(topWindowBecomes("PrismkeyFree")) << "the first window raised";
    }
    auto headless = testsupport::runProcess(
        {windowtest::builtProgram("PrismkeyFree"), "--headless", "--root", root(), "--events", "-"},
        "screenshot " + (folder.path() / "h.png").string() + "\n");
    EXPECT_EQ(headless.exitCode, 0) << headless.standardError;
    auto elsewhere = testsupport::runProcess({windowtest::builtProgram("PrismkeyFree"), "--root",
                                              (folder.path() / "other").string(), "--events", "-"},
                                             "quit\n");
    EXPECT_EQ(elsewhere.exitCode, 0) << "another device root has a window of its own";
    EXPECT_EQ(elsewhere.standardError.find("already open"), std::string::npos);
}

} // namespace
