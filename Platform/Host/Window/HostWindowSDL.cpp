// Opening the window: its names and icon, its scale and size, and what it shows.
#include <Host/Window/HostWindowImpl.h>

#include <UIKit/UIPasteboard.h>

#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr CGSize portraitScreen{320, 480};

void setIcon(SDL_Window* window, const std::filesystem::path& path) {
    if (path.empty()) {
        return;
    }
    CGImageRef icon = CGImageCreateWithPNGFile(path);
    if (!icon) {
        return;
    }
    HostSurfacePtr surface = HostSurfaceOf(icon);
    if (surface) {
        SDL_SetWindowIcon(window, surface.get());
    }
}

bool onWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

// On Wayland the window's size is in the output's logical pixels and the renderer
// draws it in the output's own: one logical pixel a point already shows the screen
// at the output's scale, sharp.
int desktopScale(SDL_Window* window) {
    if (onWayland()) {
        return HostDesktopScale(1, nullptr, std::nullopt);
    }
    const char* gdk = std::getenv("GDK_SCALE");
    if (gdk && *gdk) {
        return HostDesktopScale(std::nullopt, gdk, std::nullopt);
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    void* display = SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11
                        ? static_cast<void*>(info.info.x11.display)
                        : nullptr;
    return HostDesktopScale(std::nullopt, nullptr, HostXftDpi(display));
}

// PRISMKEY_WINDOW_POSITION=X,Y places the window (scripts/run puts the two programs
// side by side with it); otherwise it is centred.
void windowPosition(int& x, int& y) {
    x = y = SDL_WINDOWPOS_CENTERED;
    if (const char* position = std::getenv("PRISMKEY_WINDOW_POSITION")) {
        int px = 0, py = 0;
        if (std::sscanf(position, "%d,%d", &px, &py) == 2) {
            x = px;
            y = py;
        }
    }
}

// While the window is open, the general pasteboard is the desktop's clipboard.
void useDesktopClipboard() {
    UIPasteboard::generalPasteboard()->setBackend(
        {[](const std::string& text) { SDL_SetClipboardText(text.c_str()); },
         []() -> std::optional<std::string> {
             char* text = SDL_HasClipboardText() == SDL_TRUE ? SDL_GetClipboardText() : nullptr;
             std::optional<std::string> copy;
             if (text != nullptr) {
                 copy = text;
             }
             SDL_free(text);
             return copy;
         }});
}

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(const std::string& title, std::optional<int> scale,
                                             std::string& error) {
    return open(HostWindowIdentity{title, {}, {}}, scale, error);
}

std::unique_ptr<HostWindow> HostWindow::open(const HostWindowIdentity& identity,
                                             std::optional<int> scale, std::string& error,
                                             std::string* warning) {
    HostSessionBusForSDL bus;
    auto impl = std::make_unique<Impl>();
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (!impl->video.start(identity.applicationId, error)) {
        return nullptr;
    }
    impl->raiseEvent = SDL_RegisterEvents(1);
    int x = 0, y = 0;
    windowPosition(x, y);
    // Hidden until it has its final size, so that the desktop never shows it twice.
    impl->window.reset(
        SDL_CreateWindow(identity.title.c_str(), x, y, static_cast<int>(portraitScreen.width),
                         static_cast<int>(portraitScreen.height),
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI));
    if (!impl->window) {
        error = std::string("cannot open a window (") + SDL_GetError() + ")";
        return nullptr;
    }
    SDL_Window* window = impl->window.get();
    if (onWayland()) {
        // Without one, frames fall back to the window surface, enlarged by the compositor.
        impl->renderer.reset(SDL_CreateRenderer(window, -1, 0));
    }
    setIcon(window, identity.icon);
    SDL_Rect usable{};
    bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    HostWindowScale chosen =
        HostChooseWindowScale(scale, desktopScale(window), static_cast<int>(portraitScreen.width),
                              static_cast<int>(portraitScreen.height),
                              known ? std::optional<int>(usable.w) : std::nullopt,
                              known ? std::optional<int>(usable.h) : std::nullopt);
    if (chosen.warning && warning) {
        *warning = *chosen.warning;
    }
    impl->scale = chosen.scale;
    SDL_SetWindowSize(window, static_cast<int>(portraitScreen.width) * impl->scale,
                      static_cast<int>(portraitScreen.height) * impl->scale);
    if (x == SDL_WINDOWPOS_CENTERED) {
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) {
        impl->frameIntervalMs = static_cast<Uint32>(1000 / mode.refresh_rate);
    }
    SDL_ShowWindow(window);
    useDesktopClipboard();
    return std::unique_ptr<HostWindow>(new HostWindow(std::move(impl)));
}

HostWindow::HostWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostWindow::~HostWindow() {
    UIPasteboard::generalPasteboard()->setBackend({});
}

// Screen pixels a point: the logical scale times the output's pixels a logical pixel.
int HostWindow::scale() const {
    return impl_->scale * std::max(1, static_cast<int>(std::lround(impl_->pixelRatio())));
}

std::string HostWindow::driver() const {
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

std::string HostWindow::title() const {
    return SDL_GetWindowTitle(impl_->window.get());
}

std::size_t HostWindow::framesPresented() const {
    return impl_->frames;
}

void HostWindow::requestRaise() {
    SDL_Event event{};
    event.type = impl_->raiseEvent;
    SDL_PushEvent(&event);
}

void HostWindow::resize(int width, int height) {
    SDL_SetWindowSize(impl_->window.get(), width, height);
}

void HostWindow::setKeyListener(std::function<bool(const HostAccessibleKeyEvent&)> listener) {
    impl_->keyListener = std::move(listener);
}

void HostWindow::setActivationListener(std::function<void(bool active)> listener) {
    impl_->activationListener = std::move(listener);
}

void HostWindow::setIdleHandler(std::function<int(bool& changedScreen)> handler) {
    impl_->idle = std::move(handler);
}

CGPoint HostWindow::desktopOrigin() const {
    int x = 0, y = 0;
    SDL_GetWindowPosition(impl_->window.get(), &x, &y);
    return {static_cast<CGFloat>(x), static_cast<CGFloat>(y)};
}

// Through the letterbox: the screen sits at the viewport's corner, at its scale.
CGRect HostWindow::windowRectOf(CGRect points) const {
    const HostViewport& viewport = impl_->viewport;
    auto ratio = static_cast<CGFloat>(impl_->pixelRatio());
    CGFloat scale = viewport.scale / ratio;
    return {{static_cast<CGFloat>(viewport.x) / ratio + points.origin.x * scale,
             static_cast<CGFloat>(viewport.y) / ratio + points.origin.y * scale},
            {points.size.width * scale, points.size.height * scale}};
}

void* HostWindow::x11Display() const {
    return impl_->x11Display();
}

void* HostWindow::Impl::x11Display() const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window.get(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    return info.info.x11.display;
}

double HostWindow::Impl::pixelRatio() const {
    int w = 0, h = 0, pixelWidth = 0, pixelHeight = 0;
    SDL_GetWindowSize(window.get(), &w, &h);
    return targetSize(pixelWidth, pixelHeight) && w > 0 ? static_cast<double>(pixelWidth) / w : 1.0;
}

CGPoint HostWindow::Impl::toPoints(int x, int y) const {
    double ratio = pixelRatio();
    return viewport.toPoints(x * ratio, y * ratio);
}
