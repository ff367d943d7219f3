// The window backend: one window showing the screen, the mouse as a finger, the
// computer's keyboard as the session's keys (Ctrl+Q quits), animations in real time,
// the event script played on the window's clock. Made of the native window, the frame
// presenter, the input and the raise; the loop (HostWindowLoop.cpp) turns them.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/Accessibility/HostAccessibleKeyEvent.h>
#include <Host/Session/HostScriptPlayer.h>
#include <Host/Window/HostFramePresenter.h>
#include <Host/Window/HostNativeWindow.h>
#include <Host/Window/HostWindowInput.h>
#include <Host/Window/HostWindowRaise.h>

#include <functional>
#include <memory>
#include <string>

class HostSession;

class HostWindow {
  public:
    // The window, shown with its first frame (present): never black or empty. nullptr
    // with `error` set when there is no usable display; an explicit scale lowered to
    // fit is said in `warning`.
    static std::unique_ptr<HostWindow> open(const HostWindowOptions& options, std::string& error,
                                            std::string* warning = nullptr);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // The scale the window opened at (the screen's scale for images).
    int scale() const { return native_->scale(); }
    std::string title() const;
    SDL_Window* sdl() const { return native_->sdl(); }

    // Plays the script until the window is closed or the script ends the run
    // (`screenshot` writes the window's pixels). Returns the exit status.
    int run(HostScriptPlayer& player);
    // One turn of the loop: handles the queued window events (waiting up to `timeoutMs`
    // for the first, then collecting until the next frame is due), then draws a frame if
    // what the window shows changed. False once the window was closed.
    bool processEvents(HostSession& session, int timeoutMs);
    // Draws the screen into the window now (unless the pixels would not change).
    void present(HostSession& session);
    // What the window shows: its pixels, as last presented, letterbox and all.
    CGImageRef windowPixels() const { return presenter_.windowPixels(); }
    // From any thread: asks the window to come to the front (HostWindowRaise.h).
    bool requestRaise(const std::string& activationToken, int limitMs) {
        return raise_.request(activationToken, limitMs);
    }

    // Work the loop does besides the window's own (the accessibility bridge), on its
    // thread: called on each turn, it returns how long the loop may wait before the
    // next turn (ms) and sets its argument when it changed the screen.
    void setIdleHandler(std::function<int(bool& changedScreen)> handler) {
        idle_ = std::move(handler);
    }
    void setKeyListener(std::function<bool(const HostAccessibleKeyEvent&)> listener) {
        input_.setKeyListener(std::move(listener));
    }
    void setActivationListener(std::function<void(bool active)> listener) {
        input_.setActivationListener(std::move(listener));
    }
    // For assistive tools: a rectangle of screen points in window coordinates and on
    // the desktop, the window's X connection (nullptr off X11), and its connection to
    // the display server (-1: none).
    CGRect windowRectOf(CGRect points) const { return presenter_.windowRectOf(points); }
    CGRect desktopRectOf(CGRect points) const;
    void* x11Display() const { return native_->x11Display(); }
    int connectionFd() const { return native_->connectionFd(); }

  private:
    explicit HostWindow(std::unique_ptr<HostNativeWindow> native);
    void handle(const SDL_Event& event, HostSession& session);
    bool nextEvent(SDL_Event& event, int timeoutMs);
    bool waitOnDisplay(SDL_Event& event, int timeoutMs);
    void collectUntilFrameDue(HostSession& session);
    void refreshClock();

    std::unique_ptr<HostNativeWindow> native_;
    HostFramePresenter presenter_;
    HostWindowInput input_;
    HostWindowRaise raise_;
    std::function<int(bool&)> idle_;
    // Something may have changed on screen since the last frame.
    bool dirty_ = true;
    std::string clock_;
};
