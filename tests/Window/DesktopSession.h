// A desktop of the test's own: an Xvfb (X11), or weston's x11 backend inside a
// private Xvfb (Wayland; weston's headless backend offers no seat, and SDL 2.26 fails
// there). PRISMKEY_TEST_DESKTOP=wayland picks weston, PRISMKEY_TEST_OUTPUT_SCALE its
// output's scale (1 unless set). The environment is set so that
// SDL, and the programs the tests start, use it.
#pragma once

#include "TestSupport.h"

#include <memory>
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
    // Pixels a logical pixel on weston's output; 1 on X11.
    int outputScale() const { return outputScale_; }
    // Empty when the desktop started; otherwise why not.
    const std::string& failure() const { return failure_; }
    // The Xvfb's display (under weston too: the tests read X properties there only
    // on X11).
    const std::string& xDisplay() const { return x_ ? x_->name() : empty_; }

  private:
    bool wayland_ = false;
    int outputScale_ = 1;
    std::string failure_;
    std::string empty_;
    std::unique_ptr<testsupport::VirtualDisplay> x_;
    std::unique_ptr<testsupport::TemporaryDirectory> runtime_;
    pid_t weston_ = -1;
};

// A program running in the background, stopped (SIGTERM) and reaped when this goes.
class BackgroundProcess {
  public:
    explicit BackgroundProcess(const std::vector<std::string>& arguments);
    ~BackgroundProcess();
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

} // namespace windowtest
