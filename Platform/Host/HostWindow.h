// The window backend: one SDL window showing the screen, the mouse as a finger,
// the computer's keyboard as HostSession's keys (Ctrl+Q quits), animations in real
// time. Frames are drawn only when something changed or an
// animation runs, at most 60 a second. All SDL calls live in HostWindowSDL.cpp.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/EventScript.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class HostSession;

class HostWindow {
  public:
    // Opens the window, titled `title`, at `scale` pixels per point (by default 2,
    // or 1 when the display cannot fit that). nullptr with `error` set when there
    // is no display.
    static std::unique_ptr<HostWindow> open(const std::string& title, std::optional<int> scale,
                                            std::string& error);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    int scale() const;
    // Runs until the window is closed or the script says quit; the script runs in
    // real time (`wait` waits). Returns the exit status.
    int run(HostSession& session, const std::vector<ScriptCommand>& script,
            const std::string& scriptName);

    // One turn of the loop, for tests: handles the queued window events (waiting up
    // to `timeoutMs` for the first), then draws a frame if one is due. False once
    // the window was closed.
    bool processEvents(HostSession& session, int timeoutMs);
    // Draws the screen into the window now.
    void present(HostSession& session);
    // What the window shows: its pixels, as last presented.
    CGImageRef windowPixels() const;
    std::string title() const;

    // Work the loop does besides the window's own (the accessibility bridge), on its
    // thread: called on each turn, it returns how long the loop may wait before the
    // next turn (ms) and sets its argument when it changed the screen.
    void setIdleHandler(std::function<int(bool& changedScreen)> handler);
    // For assistive tools: the window's top-left on the desktop, in pixels, and a
    // rectangle of screen points in the window's pixels.
    CGPoint desktopOrigin() const;
    CGRect windowRectOf(CGRect points) const;
    // The window's X connection (an Xlib Display), or nullptr when it is not on X11.
    void* x11Display() const;

  private:
    struct Impl;
    explicit HostWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
