// The window's events as the session's input: the mouse as one finger (its motion
// between frames coalesced into one move), the computer's keys and the text they type,
// focus and closing. Assistive tools hear every key first. Keys already held when the
// window gains focus (the Ctrl+Q that closed another window) are not acted on until
// they are lifted, even where SDL never reports the lift.
#pragma once

#include <Host/Accessibility/HostAccessibleKeyEvent.h>
#include <Host/Window/HostNativeWindow.h>

#include <SDL2/SDL.h>

#include <functional>
#include <optional>
#include <set>

class HostFramePresenter;
class HostSession;

class HostWindowInput {
  public:
    HostWindowInput(HostNativeWindow& window, const HostFramePresenter& presenter)
        : window_(window), presenter_(presenter) {}

    // Hands `event` to the session. True when the screen may have changed.
    bool handle(const SDL_Event& event, HostSession& session);
    // Gives the session the mouse motion held back since the last frame.
    bool flushMotion(HostSession& session);
    bool hasPendingMotion() const { return pendingMotion_.has_value(); }
    // The window was closed (or Ctrl+Q pressed).
    bool closed() const { return closed_; }

    // For assistive tools: every key before the window acts on it (a key the listener
    // consumes is not acted on), and the window's gaining and losing the focus.
    void setKeyListener(std::function<bool(const HostAccessibleKeyEvent&)> listener) {
        keyListener_ = std::move(listener);
    }
    void setActivationListener(std::function<void(bool active)> listener) {
        activationListener_ = std::move(listener);
    }

  private:
    bool handleWindowEvent(const SDL_WindowEvent& event, HostSession& session);
    bool handleMouse(const SDL_Event& event, HostSession& session);
    bool handleKey(const SDL_KeyboardEvent& event, HostSession& session);
    bool handleTypedText(const SDL_Event& event, HostSession& session, bool& changed);
    bool dropKeyHeldBeforeFocus(const SDL_Event& event);
    bool consumedByListener(const SDL_Event& event);
    void noteKeysHeldAtFocus();

    HostNativeWindow& window_;
    const HostFramePresenter& presenter_;
    bool closed_ = false;
    bool mouseDown_ = false;
    // The last mouse motion not yet given to the session.
    std::optional<CGPoint> pendingMotion_;
    // Keys held down when the window gained focus, until each is lifted; whether the
    // text of a key-down so dropped is still to come.
    std::set<SDL_Keycode> heldBeforeFocus_;
    bool dropTypedText_ = false;
    std::function<bool(const HostAccessibleKeyEvent&)> keyListener_;
    std::function<void(bool)> activationListener_;
};
