// The window's loop: events in, frames out at most one a display refresh, the event
// script's due lines, and the idle work (the accessibility bridge) between.
#include <Host/Window/HostWindow.h>

#include <Host/Session/HostSession.h>
#include <UIKit/UIApplication.h>

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// How often the loop looks whether a window asked to come forward is in front.
constexpr int raiseCheckMs = 20;
// How often a wait of our own wakes while a key is held: SDL makes Wayland's key
// repeat itself, when its events are pumped.
constexpr int keyRepeatCheckMs = 10;

bool anyKeyHeld() {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return std::any_of(state, state + count, [](Uint8 held) { return held != 0; });
}

std::string clockText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

} // namespace

int HostWindow::run(HostScriptPlayer& player) {
    HostSession& session = player.session();
    session.setChangeHandler([this] { dirty_ = true; });
    player.setScreenSource([this, &session] {
        present(session); // the window's pixels as they are now
        return windowPixels();
    });
    while (true) {
        if (std::optional<int> status = player.playDue()) {
            return *status;
        }
        int timeout = 1000; // the status bar clock moves on
        if (dirty_ || session.isAnimating()) {
            timeout = 0;
        } else if (std::optional<double> wait = player.untilNextLine()) {
            timeout = std::min(timeout, static_cast<int>(std::ceil(*wait * 1000)));
        }
        if (!processEvents(session, timeout)) {
            return 0;
        }
    }
}

bool HostWindow::processEvents(HostSession& session, int timeoutMs) {
    SDL_Event event;
    if (nextEvent(event, timeoutMs)) {
        handle(event, session);
        while (SDL_PollEvent(&event) != 0) {
            handle(event, session);
        }
    }
    refreshClock();
    bool animating = session.isAnimating();
    if (dirty_ || input_.hasPendingMotion() || animating) {
        collectUntilFrameDue(session);
        dirty_ = input_.flushMotion(session) || dirty_;
        animating = animating || session.isAnimating();
    }
    if (!input_.closed() && (dirty_ || animating)) {
        dirty_ = false;
        presenter_.presentDue(session);
    }
    return !input_.closed();
}

void HostWindow::handle(const SDL_Event& event, HostSession& session) {
    if (raise_.handle(event)) {
        return;
    }
    if (event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                          event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        // The window's surface is new: the last frame must be drawn into it again.
        presenter_.invalidate();
        dirty_ = true;
    }
    dirty_ = input_.handle(event, session) || dirty_;
}

// Sleeping until the frame is due, then taking what came meanwhile in one go, wakes the
// process once a frame instead of once an event.
void HostWindow::collectUntilFrameDue(HostSession& session) {
    if (!presenter_.isDue()) {
        SDL_Delay(presenter_.untilDue());
    }
    SDL_Event event;
    while (!input_.closed() && SDL_PollEvent(&event) != 0) {
        handle(event, session);
    }
}

// Waits up to `timeoutMs` for an event, turning the idle work as often as it asks
// meanwhile; stops early when that work changed the screen. True with an event.
bool HostWindow::nextEvent(SDL_Event& event, int timeoutMs) {
    Uint32 end = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    while (true) {
        int remaining = static_cast<int>(end - SDL_GetTicks());
        bool changed = false;
        int slice = idle_ ? std::min(std::max(remaining, 0), idle_(changed)) : remaining;
        if (changed) {
            dirty_ = true;
            return false;
        }
        if (waitOnDisplay(event, std::max(slice, 0))) {
            return true;
        }
        if (!idle_ || SDL_TICKS_PASSED(SDL_GetTicks(), end)) {
            return false;
        }
    }
}

// Waits up to `timeoutMs` for the display's next event. On Wayland the wait is on SDL's
// connection itself, so that the window also wakes for what SDL turns into no event of
// its own (libdecor redrawing the decorations, a configure to apply) and commits it.
bool HostWindow::waitOnDisplay(SDL_Event& event, int timeoutMs) {
    Uint32 end = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    bool ownWait = native_->shown() && native_->system() == HostNativeWindow::System::wayland;
    while (true) {
        raise_.check();
        native_->redrawDecorationsAtScale();
        int slice = std::max(static_cast<int>(end - SDL_GetTicks()), 0);
        if (raise_.pending()) {
            slice = std::min(slice, raiseCheckMs);
        }
        if (std::optional<Uint32> due = native_->decorationRedrawDue()) {
            slice = std::min(slice, std::max(static_cast<int>(*due - SDL_GetTicks()), 0));
        }
        if (!ownWait) {
            if (SDL_WaitEventTimeout(&event, slice) != 0) {
                return true;
            }
        } else {
            if (SDL_PollEvent(&event) != 0) {
                return true;
            }
            native_->commitDecorations();
            if (anyKeyHeld()) {
                slice = std::min(slice, keyRepeatCheckMs);
            }
            pollfd ready[2] = {{native_->connectionFd(), POLLIN, 0}, {raise_.wakeFd(), POLLIN, 0}};
            if (poll(ready, raise_.wakeFd() >= 0 ? 2 : 1, slice) > 0 && ready[1].revents != 0) {
                raise_.drainWake();
            }
            if (SDL_PollEvent(&event) != 0) {
                return true;
            }
        }
        if (SDL_TICKS_PASSED(SDL_GetTicks(), end)) {
            return false;
        }
    }
}

void HostWindow::refreshClock() {
    std::string text = clockText();
    if (text != clock_) {
        clock_ = text;
        UIApplication::sharedApplication()->setStatusBarClockText(text);
        dirty_ = true;
    }
}
