// Coming to the front when another start in the same device root asks: asked from the
// single-instance listener's thread, done on the window's loop, and answered with what
// happened: the window on top of the stack (X11) or holding the focus (Wayland, where
// the compositor decides, through xdg-activation when it offers it).
#include <Host/Window/HostWindowImpl.h>

#include <SDL2/SDL_syswm.h>

#include <algorithm>

bool HostWindow::requestRaise(const std::string& activationToken, int limitMs) {
    HostRaiseRequests& requests = impl_->raiseRequests;
    std::unique_lock<std::mutex> lock(requests.mutex);
    std::uint64_t mine = ++requests.asked;
    requests.token = activationToken;
    requests.limitMs = limitMs;
    SDL_Event event{};
    event.type = impl_->raiseEvent;
    if (SDL_PushEvent(&event) != 1) {
        return false;
    }
    impl_->wake.signal();
    bool answered = requests.answered.wait_for(lock, std::chrono::milliseconds(limitMs),
                                               [&] { return requests.answers >= mine; });
    return answered && requests.raised;
}

void HostWindow::Impl::answerRaise(bool raised) {
    raisePending = false;
    std::lock_guard<std::mutex> lock(raiseRequests.mutex);
    raiseRequests.answers = raiseRequests.asked;
    raiseRequests.raised = raised;
    raiseRequests.answered.notify_all();
}

void HostWindow::Impl::raise() {
    std::string token;
    {
        std::lock_guard<std::mutex> lock(raiseRequests.mutex);
        token = raiseRequests.token;
        raiseDeadline = SDL_GetTicks() + static_cast<Uint32>(std::max(raiseRequests.limitMs, 0));
    }
    if (onWayland()) {
        // The compositor's to grant: with the asking start's token, or (without one)
        // with a token SDL asks for the window itself.
        if (!activateWayland(token)) {
            answerRaise(false); // no xdg-activation: a window cannot bring itself forward
            return;
        }
        if (token.empty()) {
            SDL_RaiseWindow(window.get());
        }
    } else {
        SDL_RaiseWindow(window.get());
    }
    raisePending = true;
    checkRaise();
}

// While a request waits: answered as soon as the window is seen in front, or as not
// raised once the asker no longer waits.
void HostWindow::Impl::checkRaise() {
    if (!raisePending) {
        return;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    bool x11 =
        SDL_GetWindowWMInfo(window.get(), &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11;
    if (x11 ? HostX11IsOnTop(info.info.x11.display, info.info.x11.window)
            : (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_INPUT_FOCUS) != 0) {
        answerRaise(true);
    } else if (SDL_TICKS_PASSED(SDL_GetTicks(), raiseDeadline)) {
        answerRaise(false);
    }
}
