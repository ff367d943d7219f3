// Waiting for the window's next event. On Wayland the wait is on SDL's connection
// itself, so that the window also wakes for what SDL turns into no event of its own
// (libdecor redrawing the decorations, a configure to apply) and commits it.
#include <Host/Window/HostWindowImpl.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// How often a request to come to the front looks whether the window is in front.
constexpr int raiseCheckMs = 20;
// How often a wait of our own wakes while a key is held: SDL makes Wayland's key
// repeat itself, when its events are pumped.
constexpr int keyRepeatCheckMs = 10;

bool anyKeyHeld() {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return std::any_of(state, state + count, [](Uint8 held) { return held != 0; });
}

} // namespace

HostWindowWake::HostWindowWake() : fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HostWindowWake::~HostWindowWake() {
    if (fd >= 0) {
        close(fd);
    }
}

void HostWindowWake::signal() const {
    std::uint64_t one = 1;
    if (fd >= 0) {
        (void)!write(fd, &one, sizeof one);
    }
}

void HostWindowWake::drain() const {
    std::uint64_t count = 0;
    if (fd >= 0) {
        (void)!read(fd, &count, sizeof count);
    }
}

bool HostWindow::Impl::waitForEvent(SDL_Event& event, int timeoutMs) {
    Uint32 end = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    bool ownWait = shown && onWayland();
    while (true) {
        checkRaise();
        redrawDecorationsAtScale();
        int slice = std::max(static_cast<int>(end - SDL_GetTicks()), 0);
        if (raisePending) {
            slice = std::min(slice, raiseCheckMs);
        }
        if (decorationsToRedraw) {
            slice = std::min(slice,
                             std::max(static_cast<int>(decorationRedrawDue - SDL_GetTicks()), 0));
        }
        if (!ownWait) {
            if (SDL_WaitEventTimeout(&event, slice) != 0) {
                return true;
            }
        } else {
            if (SDL_PollEvent(&event) != 0) {
                return true;
            }
            commitDecorations();
            if (anyKeyHeld()) {
                slice = std::min(slice, keyRepeatCheckMs);
            }
            pollfd ready[2] = {{waylandDescriptor(), POLLIN, 0}, {wake.fd, POLLIN, 0}};
            if (poll(ready, wake.fd >= 0 ? 2 : 1, slice) > 0 && ready[1].revents != 0) {
                wake.drain();
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
