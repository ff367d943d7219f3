// A desktop of the test's own: an Xvfb (X11), with openbox managing it
// (PRISMKEY_TEST_DESKTOP=openbox), weston's x11 backend inside a private Xvfb (=wayland;
// weston's headless backend offers no seat, and SDL 2.26 fails there), or GNOME's mutter,
// headless on a private session bus (=mutter). PRISMKEY_TEST_OUTPUT_SCALE is weston's
// output scale (1 unless set), PRISMKEY_TEST_OUTPUT_SIZE its size in logical pixels
// (1280x1024 unless set). The environment is set so that SDL, and the programs the
// tests start, use it.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace windowtest {

class DesktopSession {
  public:
    DesktopSession();
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool wayland() const { return wayland_; }
    const std::string& kind() const { return kind_; }
    // The compositor's log so far (weston's or mutter's).
    std::string compositorLog() const;
    // Pixels a logical pixel on weston's output; 1 on X11.
    int outputScale() const { return outputScale_; }
    // weston's output height in pixels (PRISMKEY_TEST_OUTPUT_SIZE is in logical ones).
    int outputHeight() const { return outputHeight_; }
    // Empty when the desktop started; otherwise why not.
    const std::string& failure() const { return failure_; }
    // The Xvfb's display (under weston too: the tests read X properties there only
    // on X11).
    const std::string& xDisplay() const { return x_ ? x_->name() : empty_; }

  private:
    bool startWeston();
    bool startMutter();
    bool startOpenbox();

    std::string kind_;
    bool wayland_ = false;
    int outputScale_ = 1;
    int outputHeight_ = 1024;
    std::string failure_;
    std::string empty_;
    std::unique_ptr<testsupport::VirtualDisplay> x_;
    std::unique_ptr<testsupport::TemporaryDirectory> runtime_;
    pid_t compositor_ = -1;
    std::string log_;
};

// A built program of the project, by name ("PrismkeyFree").
std::string builtProgram(const std::string& name);

// A test on a desktop of one kind (PRISMKEY_TEST_DESKTOP names it; "x11" when unset):
// skipped on the others, and when the desktop cannot start. Each test has a folder of
// its own.
class OnDesktop : public ::testing::Test {
  protected:
    void startDesktop(const std::string& kind);
    std::string path(const std::string& name) const { return (folder_.path() / name).string(); }
    std::unique_ptr<DesktopSession> desktop_;
    testsupport::TemporaryDirectory folder_;
};

// A program running in the background, stopped (SIGTERM) and reaped when this goes.
class BackgroundProcess {
  public:
    explicit BackgroundProcess(const std::vector<std::string>& arguments);
    ~BackgroundProcess();
    // Its exit status when it ends within `seconds`; none otherwise.
    std::optional<int> exitWithin(double seconds);
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  private:
    pid_t pid_ = -1;
};

// X11: the id of the top-level window titled `title` (0: none), and the top-level
// windows' titles from the bottom of the stack to its top.
unsigned long windowTitled(const std::string& title);
std::vector<std::string> stackedTitles();
// Waits up to `seconds` for a window titled `title`.
unsigned long waitForWindow(const std::string& title, double seconds);
// X11: where a window is on the desktop (its client area), from xwininfo.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
WindowGeometry windowGeometry(unsigned long id);
// The whole screen of the X server at `xDisplay` (under weston, its output), 0xRRGGBB
// row by row; empty when it cannot be read.
struct Screen {
    int width = 0, height = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};
Screen readScreen(const std::string& xDisplay);

// X11 without a window manager: watches the root's children from its making on.
// `firstMap` waits up to `seconds` for the first map of a window titled `title`:
// how many windows of that title were mapped and unmapped before it, and its pixels
// (as 0xRRGGBB, row by row) read the moment the map was reported, and again
// `settleSeconds` later.
struct FirstMap {
    bool seen = false;
    int unmappedBefore = 0;
    int width = 0, height = 0;
    std::vector<unsigned long> atMap, settled;
};
class MapWatch {
  public:
    MapWatch();
    ~MapWatch();
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;
    FirstMap firstMap(const std::string& title, double seconds, double settleSeconds);

  private:
    void* display_ = nullptr;
};

} // namespace windowtest
