// The window's loop: events in, frames out at most one a display refresh, the event
// script in real time, and the idle work (the accessibility bridge) between.
#include <Host/Window/HostWindowImpl.h>

#include <Host/Session/HostSession.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

// When the next frame is due: a frame interval after the one before was due, so that
// the time a frame takes to draw does not push the next one back (frames keep the
// display's rhythm); unless the loop has fallen a whole interval behind, when it starts
// a new rhythm now instead of catching up with frames in a burst.
Uint32 nextFrameDue(Uint32 lastDue, Uint32 interval, Uint32 now) {
    Uint32 due = lastDue + interval;
    return SDL_TICKS_PASSED(now, due + interval) ? now : due;
}

} // namespace

bool HostWindow::Impl::frameDue() const {
    return frames == 0 || SDL_TICKS_PASSED(SDL_GetTicks(), lastFrame + frameIntervalMs);
}

void HostWindow::Impl::collectUntilFrameDue(HostSession& session) {
    // Sleeping until the frame is due, then taking what came meanwhile in one go,
    // wakes the process once a frame instead of once an event.
    if (!frameDue()) {
        SDL_Delay(lastFrame + frameIntervalMs - SDL_GetTicks());
    }
    SDL_Event event;
    while (!closed && SDL_PollEvent(&event) != 0) {
        handle(event, session);
    }
}

// Waits up to `timeoutMs` for an event, turning the idle work as often as it asks
// meanwhile; stops early when that work changed the screen. True with an event.
bool HostWindow::Impl::waitEvent(SDL_Event& event, int timeoutMs) {
    Uint32 end = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    while (true) {
        int remaining = static_cast<int>(end - SDL_GetTicks());
        bool changed = false;
        int slice = idle ? std::min(std::max(remaining, 0), idle(changed)) : remaining;
        if (changed) {
            dirty = true;
            return false;
        }
        if (waitForEvent(event, std::max(slice, 0))) {
            return true;
        }
        if (!idle || SDL_TICKS_PASSED(SDL_GetTicks(), end)) {
            return false;
        }
    }
}

bool HostWindow::processEvents(HostSession& session, int timeoutMs) {
    SDL_Event event;
    if (impl_->waitEvent(event, timeoutMs)) {
        impl_->handle(event, session);
        while (SDL_PollEvent(&event) != 0) {
            impl_->handle(event, session);
        }
    }
    impl_->refreshClock();
    bool animating = session.isAnimating();
    if (impl_->dirty || impl_->pendingMotion || animating) {
        impl_->collectUntilFrameDue(session);
        impl_->flushMotion(session);
        animating = animating || session.isAnimating();
    }
    if (!impl_->closed && (impl_->dirty || animating)) {
        // The frame counts from when it was due, not from when its drawing ended.
        Uint32 due = impl_->frames == 0
                         ? SDL_GetTicks()
                         : nextFrameDue(impl_->lastFrame, impl_->frameIntervalMs, SDL_GetTicks());
        Uint32 before = impl_->lastFrame;
        present(session);
        if (impl_->lastFrame != before) {
            impl_->lastFrame = due;
        }
    }
    return !impl_->closed;
}

namespace {

int reportScriptLine(const std::string& scriptName, std::size_t line, const char* what,
                     int status) {
    std::fprintf(stderr, "%s: %s, line %zu: %s\n", program_invocation_short_name,
                 scriptName.c_str(), line, what);
    return status;
}

} // namespace

// Runs the script's lines that are due; a status when the run ends with one.
std::optional<int> HostWindow::runDueLines(HostScriptRunner& runner, ScriptPosition& position,
                                           const std::string& scriptName) {
    HostSession& session = runner.session();
    while (position.next < position.script->size() &&
           SDL_TICKS_PASSED(SDL_GetTicks(), position.due)) {
        const ScriptCommand& command = (*position.script)[position.next++];
        if (command.name == "wait") {
            position.due = SDL_GetTicks() + static_cast<Uint32>(command.numbers[0]);
            continue;
        }
        try {
            if (command.name == "screenshot") {
                present(session); // the window's pixels as they are now
            }
            if (runner.run(command) == HostScriptRunner::Step::quit) {
                return 0;
            }
        } catch (const ScriptError& error) {
            return reportScriptLine(scriptName, error.line(), error.what(), 2);
        } catch (const HostFailure& failure) {
            return reportScriptLine(scriptName, failure.line(), failure.what(), 1);
        }
        present(session);
    }
    return std::nullopt;
}

int HostWindow::run(HostScriptRunner& runner, const std::vector<ScriptCommand>& script,
                    const std::string& scriptName) {
    HostSession& session = runner.session();
    session.setChangeHandler([this] { impl_->dirty = true; });
    runner.setScreenshotSource([this] { return windowPixels(); });
    ScriptPosition position{&script, 0, SDL_GetTicks()};
    while (true) {
        if (std::optional<int> status = runDueLines(runner, position, scriptName)) {
            return *status;
        }
        Uint32 now = SDL_GetTicks();
        int timeout = 1000; // the status bar clock moves on
        if (impl_->dirty || session.isAnimating()) {
            timeout = 0;
        } else if (position.next < script.size()) {
            timeout = SDL_TICKS_PASSED(now, position.due)
                          ? 0
                          : std::min(timeout, static_cast<int>(position.due - now));
        }
        if (!processEvents(session, timeout)) {
            return 0;
        }
    }
}
