// The window's loop: events in, frames out, at most one frame a display refresh and
// only when the pixels change.
#include <Host/HostWindowImpl.h>

#include <Host/HostSession.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIScreen.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

std::string clockText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

unsigned hostModifiersOf(Uint16 mod) {
    unsigned modifiers = 0;
    if ((mod & KMOD_SHIFT) != 0) {
        modifiers |= HostKey::shift;
    }
    if ((mod & KMOD_CTRL) != 0) {
        modifiers |= HostKey::control;
    }
    return modifiers;
}

HostKey::Kind hostKeyKindOf(SDL_Keycode code) {
    using K = HostKey::Kind;
    switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return K::returnKey;
    case SDLK_ESCAPE:
        return K::escape;
    case SDLK_TAB:
        return K::tab;
    case SDLK_BACKSPACE:
        return K::backSpace;
    case SDLK_LEFT:
        return K::left;
    case SDLK_RIGHT:
        return K::right;
    case SDLK_UP:
        return K::up;
    case SDLK_DOWN:
        return K::down;
    default:
        return K::character;
    }
}

// The key a keyboard event names, with Shift and Ctrl as held.
std::optional<HostKey> hostKeyOf(const SDL_Keysym& keysym) {
    SDL_Keycode code = keysym.sym;
    std::optional<HostKey> key;
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9) ||
        code == SDLK_SPACE) {
        key = HostKey::of(static_cast<char>(code));
    } else if (HostKey::Kind kind = hostKeyKindOf(code); kind != HostKey::Kind::character) {
        key = HostKey{kind, 0};
    }
    if (key) {
        key->modifiers = hostModifiersOf(keysym.mod);
    }
    return key;
}

bool isQuitShortcut(const SDL_Keysym& keysym) {
    return keysym.sym == SDLK_q && (keysym.mod & KMOD_CTRL) != 0;
}

// Alt and the system key make shortcuts of the desktop's, not ours.
std::optional<HostKey> pressedKey(const SDL_KeyboardEvent& event) {
    if ((event.keysym.mod & (KMOD_ALT | KMOD_GUI)) != 0) {
        return std::nullopt;
    }
    return hostKeyOf(event.keysym);
}

bool sameBytes(const std::vector<std::uint8_t>& shown, const CGImageRef& frame) {
    std::size_t size = frame->bytesPerRow() * frame->height();
    return shown.size() == size && std::memcmp(shown.data(), frame->bytes(), size) == 0;
}

} // namespace

void HostWindow::Impl::refreshClock() {
    std::string text = clockText();
    if (text != lastClock) {
        lastClock = text;
        UIApplication::sharedApplication()->setStatusBarClockText(text);
        dirty = true;
    }
}

void HostWindow::Impl::handle(const SDL_Event& event, HostSession& session) {
    if (event.type == raiseEvent) {
        SDL_RaiseWindow(window.get());
        return;
    }
    if (handleTypedText(event, session)) {
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        closed = true;
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window, session);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
        handleMouse(event, session);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        flushMotion(session);
        handleKey(event.key, session);
        break;
    default:
        break;
    }
}

void HostWindow::Impl::handleWindowEvent(const SDL_WindowEvent& event, HostSession& session) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closed = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        flushMotion(session);
        if (mouseDown) {
            mouseDown = false;
            SDL_CaptureMouse(SDL_FALSE);
            session.touchCancel();
        }
        session.releaseKeys();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        session.focus();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The window's surface is new: the last frame must be drawn into it again.
        shownFrame.clear();
        break;
    default:
        return;
    }
    dirty = true;
}

void HostWindow::Impl::flushMotion(HostSession& session) {
    if (pendingMotion) {
        session.touchMove(*pendingMotion);
        pendingMotion.reset();
        dirty = true;
    }
}

void HostWindow::Impl::handleMouse(const SDL_Event& event, HostSession& session) {
    if (event.type == SDL_MOUSEMOTION) {
        if (mouseDown) {
            pendingMotion = toPoints(event.motion.x, event.motion.y);
        }
        return;
    }
    flushMotion(session);
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        // A key that holds the finger keeps it: the mouse then does nothing.
        if (event.button.button == SDL_BUTTON_LEFT && !mouseDown &&
            session.touchDown(toPoints(event.button.x, event.button.y))) {
            mouseDown = true;
            SDL_CaptureMouse(SDL_TRUE);
            dirty = true;
        }
    } else if (event.button.button == SDL_BUTTON_LEFT && mouseDown) {
        mouseDown = false;
        SDL_CaptureMouse(SDL_FALSE);
        session.touchUp(toPoints(event.button.x, event.button.y));
        dirty = true;
    }
}

void HostWindow::Impl::handleKey(const SDL_KeyboardEvent& event, HostSession& session) {
    if (event.type == SDL_KEYUP) {
        if (std::optional<HostKey> key = hostKeyOf(event.keysym)) {
            session.keyUp(*key);
            dirty = true;
        }
    } else if (isQuitShortcut(event.keysym)) {
        closed = true;
    } else if (std::optional<HostKey> key = pressedKey(event)) {
        session.keyDown(*key, event.repeat != 0 ? HostKeyPress::repeat : HostKeyPress::first);
        dirty = true;
    }
}

// In a program with an on-screen keyboard, the characters come from SDL_TEXTINPUT,
// which follows the desktop's keyboard layout; the session pairs each with the
// key-down before it and that key's key-up. False for the events handleKey takes.
bool HostWindow::Impl::handleTypedText(const SDL_Event& event, HostSession& session) {
    if (!session.typesText()) {
        return false;
    }
    if (event.type == SDL_KEYDOWN) {
        SDL_Keycode code = event.key.keysym.sym;
        if (code < SDLK_SPACE || code >= SDLK_DELETE ||
            (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) {
            return false;
        }
        flushMotion(session);
        session.textKeyDown(code,
                            event.key.repeat != 0 ? HostKeyPress::repeat : HostKeyPress::first);
        return true;
    }
    if (event.type == SDL_TEXTINPUT) {
        session.typeText(event.text.text);
        dirty = true;
        return true;
    }
    if (event.type == SDL_KEYUP && session.textKeyUp(event.key.keysym.sym)) {
        dirty = true;
        return true;
    }
    return false;
}

bool HostWindow::Impl::frameDue() const {
    return frames == 0 || SDL_GetTicks() - lastFrame >= frameIntervalMs;
}

void HostWindow::Impl::collectUntilFrameDue(HostSession& session) {
    // Sleeping until the frame is due, then taking what came meanwhile in one go,
    // wakes the process once a frame instead of once an event.
    if (!frameDue()) {
        SDL_Delay(frameIntervalMs - (SDL_GetTicks() - lastFrame));
    }
    SDL_Event event;
    while (!closed && SDL_PollEvent(&event) != 0) {
        handle(event, session);
    }
}

bool HostWindow::Impl::targetSize(int& width, int& height) const {
    if (renderer) {
        return SDL_GetRendererOutputSize(renderer.get(), &width, &height) == 0 && width > 0 &&
               height > 0;
    }
    SDL_Surface* target = SDL_GetWindowSurface(window.get());
    if (!target) {
        return false;
    }
    width = target->w;
    height = target->h;
    return true;
}

void HostWindow::Impl::showOnSurface(const CGImageRef& frame, SDL_Surface* target) {
    SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(frame->bytes()), static_cast<int>(frame->width()),
        static_cast<int>(frame->height()), 32, static_cast<int>(frame->bytesPerRow()),
        SDL_PIXELFORMAT_ARGB8888));
    if (!source) {
        return;
    }
    SDL_FillRect(
        target, nullptr,
        SDL_MapRGB(target->format, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey));
    SDL_Rect from{0, 0, viewport.width, viewport.height};
    SDL_Rect to{viewport.x, viewport.y, viewport.width, viewport.height};
    SDL_BlitSurface(source.get(), &from, target, &to);
    SDL_UpdateWindowSurface(window.get());
}

void HostWindow::Impl::showWithRenderer(const CGImageRef& frame) {
    if (!texture || textureWidth != viewport.width || textureHeight != viewport.height) {
        texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, viewport.width,
                                        viewport.height));
        textureWidth = viewport.width;
        textureHeight = viewport.height;
    }
    if (!texture) {
        return;
    }
    SDL_Rect from{0, 0, viewport.width, viewport.height};
    SDL_UpdateTexture(texture.get(), &from, frame->bytes(), static_cast<int>(frame->bytesPerRow()));
    // Every frame is drawn whole: the buffer presented before holds nothing defined.
    SDL_SetRenderDrawColor(renderer.get(), hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey,
                           255);
    SDL_RenderClear(renderer.get());
    SDL_Rect to{viewport.x, viewport.y, viewport.width, viewport.height};
    SDL_RenderCopy(renderer.get(), texture.get(), &from, &to);
    SDL_RenderPresent(renderer.get());
}

void HostWindow::Impl::show(const CGImageRef& frame) {
    if (renderer) {
        showWithRenderer(frame);
    } else if (SDL_Surface* target = SDL_GetWindowSurface(window.get())) {
        showOnSurface(frame, target);
    } else {
        return;
    }
    shownFrame.assign(frame->bytes(), frame->bytes() + frame->bytesPerRow() * frame->height());
    shownBytesPerRow = frame->bytesPerRow();
    ++frames;
    lastFrame = SDL_GetTicks();
}

void HostWindow::present(HostSession& session) {
    session.prepareFrame();
    Impl& impl = *impl_;
    SDL_Window* window = impl.window.get();
    const UIScreenRef& screen = UIScreen::mainScreen();
    CGSize points = screen->bounds().size;
    if (impl.screenPoints.width > 0 &&
        (points.width != impl.screenPoints.width || points.height != impl.screenPoints.height)) {
        // The screen turned: so does the window, at the scale it shows the screen.
        auto logical = static_cast<CGFloat>(impl.viewport.scale / impl.pixelRatio());
        SDL_SetWindowSize(window, static_cast<int>(points.width * logical),
                          static_cast<int>(points.height * logical));
    }
    impl.screenPoints = points;
    int width = 0, height = 0;
    if (!impl.targetSize(width, height)) {
        return;
    }
    HostViewport viewport = HostViewport::fit(points, width, height);
    bool animating = CARendererHasRunningAnimations(screen->layer());
    impl.dirty = false;
    // No layer changed since the last frame, which showed no animation's middle: the
    // render would draw the same pixels.
    if (!impl.shownFrame.empty() && viewport.scale == impl.viewport.scale &&
        impl.renderedChanges == CALayerChangeCount() && !animating && !impl.renderedAnimation) {
        impl.lastFrame = SDL_GetTicks(); // input keeps to the frame rhythm all the same
        return;
    }
    impl.viewport = viewport;
    CGImageRef frame = CARenderLayerTree(screen->layer(), points, impl.viewport.scale);
    impl.renderedChanges = CALayerChangeCount();
    impl.renderedAnimation = animating;
    if (!frame || sameBytes(impl.shownFrame, frame)) {
        return; // nothing on screen changed
    }
    impl.show(frame);
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
        if (SDL_WaitEventTimeout(&event, std::max(slice, 0)) != 0) {
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
    if (impl_->dirty || impl_->pendingMotion || session.isAnimating()) {
        impl_->collectUntilFrameDue(session);
        impl_->flushMotion(session);
    }
    if (!impl_->closed && (impl_->dirty || session.isAnimating())) {
        present(session);
    }
    return !impl_->closed;
}

// The window's pixels, as the headless `screenshot` writes the screen's.
void HostWindow::writeScreenshot(const ScriptCommand& command) const {
    try {
        HostSession::writeScreenshot(windowPixels(), command.text);
    } catch (const std::runtime_error& error) {
        throw HostFailure(command.line, error.what());
    }
}

int HostWindow::run(HostSession& session, const std::vector<ScriptCommand>& script,
                    const std::string& scriptName) {
    session.setChangeHandler([this] { impl_->dirty = true; });
    std::size_t next = 0;
    Uint32 due = SDL_GetTicks();
    while (true) {
        while (next < script.size() && SDL_TICKS_PASSED(SDL_GetTicks(), due)) {
            const ScriptCommand& command = script[next++];
            if (command.name == "wait") {
                due = SDL_GetTicks() + static_cast<Uint32>(command.numbers[0]);
                continue;
            }
            try {
                if (command.name == "screenshot") {
                    present(session);
                    writeScreenshot(command);
                    continue;
                }
                if (session.run(command) == HostSession::Step::quit) {
                    return 0;
                }
            } catch (const ScriptError& error) {
                std::fprintf(stderr, "%s: %s, line %zu: %s\n", program_invocation_short_name,
                             scriptName.c_str(), error.line(), error.what());
                return 2;
            } catch (const HostFailure& failure) {
                std::fprintf(stderr, "%s: %s, line %zu: %s\n", program_invocation_short_name,
                             scriptName.c_str(), failure.line(), failure.what());
                return 1;
            }
            present(session);
        }
        Uint32 now = SDL_GetTicks();
        int timeout = 1000; // the status bar clock moves on
        if (impl_->dirty || session.isAnimating()) {
            timeout = 0;
        } else if (next < script.size()) {
            timeout =
                SDL_TICKS_PASSED(now, due) ? 0 : std::min(timeout, static_cast<int>(due - now));
        }
        if (!processEvents(session, timeout)) {
            return 0;
        }
    }
}
