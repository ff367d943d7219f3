#include <Host/HostWindow.h>

#include <Host/HostSession.h>
#include <UIKit/UIApplication.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// SDL's video subsystem for as long as a window is open.
struct VideoSubsystem {
    VideoSubsystem() = default;
    VideoSubsystem(const VideoSubsystem&) = delete;
    VideoSubsystem& operator=(const VideoSubsystem&) = delete;
    ~VideoSubsystem() {
        if (started) {
            // SDL_Quit, not only the video subsystem: it also closes SDL's D-Bus
            // connection, which would otherwise stay allocated until exit.
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Quit();
        }
    }
    bool started = false;
};

constexpr Uint32 frameIntervalMs = 16; // 60 frames a second at most
constexpr int portraitWidth = 320;
constexpr int portraitHeight = 480;

std::string clockText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

bool displayIsNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
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

// The key a keyboard event names, with Shift and Ctrl as held.
std::optional<HostKey> hostKeyOf(const SDL_Keysym& keysym) {
    SDL_Keycode code = keysym.sym;
    std::optional<HostKey> key;
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9) ||
        code == SDLK_SPACE) {
        key = HostKey::of(static_cast<char>(code));
    }
    using K = HostKey::Kind;
    switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        key = HostKey{K::returnKey, 0};
        break;
    case SDLK_ESCAPE:
        key = HostKey{K::escape, 0};
        break;
    case SDLK_TAB:
        key = HostKey{K::tab, 0};
        break;
    case SDLK_BACKSPACE:
        key = HostKey{K::backSpace, 0};
        break;
    case SDLK_LEFT:
        key = HostKey{K::left, 0};
        break;
    case SDLK_RIGHT:
        key = HostKey{K::right, 0};
        break;
    case SDLK_UP:
        key = HostKey{K::up, 0};
        break;
    case SDLK_DOWN:
        key = HostKey{K::down, 0};
        break;
    default:
        break;
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

} // namespace

struct HostWindow::Impl {
    VideoSubsystem video;
    WindowPtr window;
    int scale = 2;
    bool dirty = true;
    bool closed = false;
    bool mouseDown = false;
    Uint32 lastFrame = 0;
    std::string lastClock;

    CGPoint toPoints(int x, int y) const {
        return {static_cast<CGFloat>(x) / static_cast<CGFloat>(scale),
                static_cast<CGFloat>(y) / static_cast<CGFloat>(scale)};
    }
    void handle(const SDL_Event& event, HostSession& session);
    void handleMouse(const SDL_Event& event, HostSession& session);
    void handleKey(const SDL_KeyboardEvent& event, HostSession& session);
    bool handleTypedText(const SDL_Event& event, HostSession& session);
    void refreshClock();
};

std::unique_ptr<HostWindow> HostWindow::open(const std::string& title, std::optional<int> scale,
                                             std::string& error) {
    if (!displayIsNamed()) {
        error = "no display available (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "use --headless with --events to run without one";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("no display available (") + SDL_GetError() +
                "); use --headless with --events to run without one";
        return nullptr;
    }
    impl->video.started = true;
    impl->scale = scale.value_or(2);
    SDL_Rect usable{};
    if (!scale && SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.h > 0 &&
        usable.h < portraitHeight * 2) {
        impl->scale = 1; // a small display: the doubled screen would not fit
    }
    // PRISMKEY_WINDOW_POSITION=X,Y places the window, so that scripts/run can put the
    // two programs side by side; otherwise it is centred.
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (const char* position = std::getenv("PRISMKEY_WINDOW_POSITION")) {
        int px = 0, py = 0;
        if (std::sscanf(position, "%d,%d", &px, &py) == 2) {
            x = px;
            y = py;
        }
    }
    impl->window.reset(SDL_CreateWindow(title.c_str(), x, y, portraitWidth * impl->scale,
                                        portraitHeight * impl->scale, SDL_WINDOW_SHOWN));
    if (!impl->window) {
        error = std::string("cannot open a window (") + SDL_GetError() + ")";
        return nullptr;
    }
    return std::unique_ptr<HostWindow>(new HostWindow(std::move(impl)));
}

HostWindow::HostWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostWindow::~HostWindow() = default;

int HostWindow::scale() const {
    return impl_->scale;
}

std::string HostWindow::title() const {
    return SDL_GetWindowTitle(impl_->window.get());
}

void HostWindow::Impl::refreshClock() {
    std::string text = clockText();
    if (text != lastClock) {
        lastClock = text;
        UIApplication::sharedApplication()->setStatusBarClockText(text);
        dirty = true;
    }
}

void HostWindow::Impl::handle(const SDL_Event& event, HostSession& session) {
    if (handleTypedText(event, session)) {
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        closed = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            closed = true;
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            if (mouseDown) {
                mouseDown = false;
                SDL_CaptureMouse(SDL_FALSE);
                session.touchCancel();
            }
            session.releaseKeys();
        }
        dirty = true;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
        handleMouse(event, session);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handleKey(event.key, session);
        break;
    default:
        break;
    }
}

void HostWindow::Impl::handleMouse(const SDL_Event& event, HostSession& session) {
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        // A key that holds the finger keeps it: the mouse then does nothing.
        if (event.button.button == SDL_BUTTON_LEFT && !mouseDown &&
            session.touchDown(toPoints(event.button.x, event.button.y))) {
            mouseDown = true;
            SDL_CaptureMouse(SDL_TRUE);
            dirty = true;
        }
    } else if (event.type == SDL_MOUSEMOTION) {
        if (mouseDown) {
            session.touchMove(toPoints(event.motion.x, event.motion.y));
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

void HostWindow::present(HostSession& session) {
    CGImageRef frame = session.renderFrame();
    if (!frame) {
        return;
    }
    SDL_Window* window = impl_->window.get();
    int width = static_cast<int>(frame->width()), height = static_cast<int>(frame->height());
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    if (windowWidth != width || windowHeight != height) {
        SDL_SetWindowSize(window, width, height); // the screen turned
    }
    SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(frame->bytes()), width, height, 32,
        static_cast<int>(frame->bytesPerRow()), SDL_PIXELFORMAT_ARGB8888));
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!source || !target) {
        return;
    }
    SDL_BlitSurface(source.get(), nullptr, target, nullptr);
    SDL_UpdateWindowSurface(window);
    impl_->dirty = false;
    impl_->lastFrame = SDL_GetTicks();
}

CGImageRef HostWindow::windowPixels() const {
    SDL_Surface* surface = SDL_GetWindowSurface(impl_->window.get());
    if (!surface) {
        return nullptr;
    }
    SurfacePtr converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ABGR8888, 0));
    if (!converted || SDL_LockSurface(converted.get()) != 0) {
        return nullptr;
    }
    auto width = static_cast<std::size_t>(converted->w),
         height = static_cast<std::size_t>(converted->h);
    std::vector<CGPixel> pixels(width * height);
    for (std::size_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(converted->pixels) +
                          y * static_cast<std::size_t>(converted->pitch);
        for (std::size_t x = 0; x < width; ++x) {
            // ABGR8888 is R, G, B, A in memory order.
            pixels[y * width + x] = {row[4 * x], row[4 * x + 1], row[4 * x + 2], 255};
        }
    }
    SDL_UnlockSurface(converted.get());
    return CGImageCreateWithPixels(width, height, static_cast<CGFloat>(impl_->scale), pixels);
}

bool HostWindow::processEvents(HostSession& session, int timeoutMs) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, std::max(timeoutMs, 0)) != 0) {
        impl_->handle(event, session);
        while (SDL_PollEvent(&event) != 0) {
            impl_->handle(event, session);
        }
    }
    impl_->refreshClock();
    if (!impl_->closed && (impl_->dirty || session.isAnimating())) {
        present(session);
    }
    return !impl_->closed;
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
            Uint32 sinceFrame = now - impl_->lastFrame;
            timeout =
                sinceFrame >= frameIntervalMs ? 0 : static_cast<int>(frameIntervalMs - sinceFrame);
        } else if (next < script.size()) {
            timeout =
                SDL_TICKS_PASSED(now, due) ? 0 : std::min(timeout, static_cast<int>(due - now));
        }
        if (!processEvents(session, timeout)) {
            return 0;
        }
    }
}
