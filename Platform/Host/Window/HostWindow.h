// The window backend: one SDL window showing the screen, the mouse as a finger,
// the computer's keyboard as HostSession's keys (Ctrl+Q quits), animations in real
// time. The window is named as the program's desktop entry (title, application id,
// icon), can be resized (the screen keeps its aspect, centred, drawn at the window's
// own pixel size) and draws at most one frame a display refresh, only when what it
// shows changed; mouse motion that arrives between frames is coalesced. SDL is
// reached only from this folder, behind HostWindowImpl.h.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/Accessibility/HostAccessibleKeyEvent.h>
#include <Host/Session/HostScriptPlayer.h>
#include <Host/Start/HostWindowModule.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class HostSession;
class HostWindow {
  public:
    // Opens the window at `scale` pixels per point (none: the desktop's), lowered
    // until it fits the display's usable area; an explicit scale so lowered is said
    // in `warning`. nullptr with `error` set when there is no display.
    // The window is shown with its first frame (present): never black or empty. It sets
    // no position of its own unless `position` asks for one (desktop pixels), and has
    // a minimum size of half the screen at its scale.
    static std::unique_ptr<HostWindow> open(const HostWindowIdentity& identity,
                                            std::optional<int> scale, std::string& error,
                                            std::string* warning = nullptr,
                                            std::optional<HostWindowPosition> position = {});
    static std::unique_ptr<HostWindow> open(const std::string& title, std::optional<int> scale,
                                            std::string& error);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // The scale the window opened at (the screen's scale for images).
    int scale() const;
    // "x11" or "wayland".
    std::string driver() const;
    // Runs until the window is closed or the script says quit; the script runs in
    // real time (`wait` waits; `screenshot` writes the window's pixels). Returns the
    // exit status.
    int run(HostScriptRunner& runner, const std::vector<ScriptCommand>& script,
            const std::string& scriptName);

    // One turn of the loop, for tests: handles the queued window events (waiting up
    // to `timeoutMs` for the first, then collecting until the next frame is due),
    // then draws a frame if what the window shows changed. False once the window
    // was closed.
    bool processEvents(HostSession& session, int timeoutMs);
    // Draws the screen into the window now (unless the pixels would not change).
    void present(HostSession& session);
    // What the window shows: its pixels, as last presented, letterbox and all.
    CGImageRef windowPixels() const;
    std::string title() const;
    // Frames that reached the window so far.
    std::size_t framesPresented() const;
    // Asks the window, from any thread, to come to the front at its next turn (with
    // the desktop's activation token, if there is one) and waits up to `limitMs` for
    // it to be seen in front; false when it was not (or the desktop cannot tell).
    bool requestRaise(const std::string& activationToken, int limitMs);
    // Resizes the window to `width` x `height` pixels (tests).
    void resize(int width, int height);

    // Work the loop does besides the window's own (the accessibility bridge), on its
    // thread: called on each turn, it returns how long the loop may wait before the
    // next turn (ms) and sets its argument when it changed the screen.
    void setIdleHandler(std::function<int(bool& changedScreen)> handler);
    // For assistive tools: every key before the window acts on it (a key the listener
    // consumes is not acted on), and the window's gaining and losing the focus.
    void setKeyListener(std::function<bool(const HostAccessibleKeyEvent&)> listener);
    void setActivationListener(std::function<void(bool active)> listener);
    // For assistive tools: the window's top-left on the desktop, in pixels, and a
    // rectangle of screen points in the window's pixels.
    CGPoint desktopOrigin() const;
    CGRect windowRectOf(CGRect points) const;
    // The window's X connection (an Xlib Display), or nullptr when it is not on X11.
    void* x11Display() const;

    struct Impl;

  private:
    // Where the window's run is in its script: the next line, and when it is due.
    struct ScriptPosition {
        const std::vector<ScriptCommand>* script;
        std::size_t next;
        std::uint32_t due;
    };
    explicit HostWindow(std::unique_ptr<Impl> impl);
    std::optional<int> runDueLines(HostScriptRunner& runner, ScriptPosition& position,
                                   const std::string& scriptName);
    std::unique_ptr<Impl> impl_;
};
