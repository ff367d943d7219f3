// Opening the window: its names and icon, its scale and size, and what it shows.
#include <Host/Window/HostWindowImpl.h>

#include <Host/Desktop/HostDesktopX11Properties.h>
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

bool waylandDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

// X11's desktop scale, known before any window: GDK_SCALE when set, else Xft.dpi / 96.
int x11DesktopScale() {
    const char* gdk = std::getenv("GDK_SCALE");
    if (gdk && *gdk) {
        return HostDesktopScale(std::nullopt, gdk, std::nullopt);
    }
    return HostDesktopScale(std::nullopt, nullptr, HostDisplayXftDpi());
}

// The display's usable area in pixels, when known.
std::optional<SDL_Rect> usableArea(int outputScale) {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
        return std::nullopt;
    }
    usable.w *= outputScale;
    usable.h *= outputScale;
    return usable;
}

HostWindowScale chooseScale(std::optional<int> requested, int desktopScale, int outputScale) {
    std::optional<SDL_Rect> usable = usableArea(outputScale);
    return HostChooseWindowScale(requested, desktopScale, static_cast<int>(portraitScreen.width),
                                 static_cast<int>(portraitScreen.height),
                                 usable ? std::optional<int>(usable->w) : std::nullopt,
                                 usable ? std::optional<int>(usable->h) : std::nullopt);
}

SDL_Window* createWindow(const std::string& title, HostWindowSize size,
                         std::optional<HostWindowPosition> position) {
    int x = position ? position->x : static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    int y = position ? position->y : static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    // Hidden until its first frame is drawn (HostWindowShow.cpp).
    return SDL_CreateWindow(title.c_str(), x, y, size.width, size.height,
                            SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
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
                                             std::string* warning,
                                             std::optional<HostWindowPosition> position) {
    HostSessionBusForSDL bus;
    auto impl = std::make_unique<Impl>();
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // X11 frames go through SDL's shared-memory framebuffer. By default SDL sends them
    // through a GL texture instead, and making its renderer makes SDL destroy the
    // window and create it anew: a window mapped and unmapped at every start, after
    // GL has loaded.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!impl->video.start(identity.applicationId, error)) {
        return nullptr;
    }
    impl->raiseEvent = SDL_RegisterEvents(1);
    HostWindowScale chosen;
    if (!impl->create(identity.title, scale, position, chosen, error)) {
        return nullptr;
    }
    if (chosen.warning && warning) {
        *warning = *chosen.warning;
    }
    SDL_Window* window = impl->window.get();
    setIcon(window, identity.icon);
    impl->setMinimumSize(portraitScreen);
    if (!position) {
        if (void* display = impl->x11Display()) {
            SDL_SysWMinfo info;
            SDL_VERSION(&info.version);
            SDL_GetWindowWMInfo(window, &info);
            HostX11LetWindowManagerPlace(display, info.info.x11.window);
        }
    }
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) {
        impl->frameIntervalMs = static_cast<Uint32>(1000 / mode.refresh_rate);
    }
    useDesktopClipboard();
    return std::unique_ptr<HostWindow>(new HostWindow(std::move(impl)));
}

// The window at its final size. On X11 the scale is known first; on Wayland the
// output's scale is known from a window (SDL gives it the largest output's), which
// the compositor sees only once it is shown.
bool HostWindow::Impl::create(const std::string& title, std::optional<int> requested,
                              std::optional<HostWindowPosition> position, HostWindowScale& chosen,
                              std::string& error) {
    bool wayland = waylandDriver();
    if (!wayland) {
        chosen = chooseScale(requested, x11DesktopScale(), 1);
        scale = chosen.scale;
    }
    window.reset(createWindow(title, HostWindowSizeFor(portraitScreen, scale, 1), position));
    if (!window) {
        error = std::string("cannot open a window (") + SDL_GetError() + ")";
        return false;
    }
    if (wayland) {
        // Frames are drawn in the output's pixels through a renderer (the window surface
        // has logical pixels, which the compositor would enlarge).
        renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
        int logical = 0, pixels = 0, height = 0;
        SDL_GetWindowSize(window.get(), &logical, &height);
        if (renderer && SDL_GetRendererOutputSize(renderer.get(), &pixels, &height) == 0 &&
            logical > 0) {
            outputScale =
                std::max(1, static_cast<int>(std::lround(static_cast<double>(pixels) / logical)));
        }
        chosen = chooseScale(requested, outputScale, outputScale);
        scale = chosen.scale;
        HostWindowSize size = HostWindowSizeFor(portraitScreen, scale, outputScale);
        SDL_SetWindowSize(window.get(), size.width, size.height);
    }
    return true;
}

HostWindow::HostWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostWindow::~HostWindow() {
    UIPasteboard::generalPasteboard()->setBackend({});
}

int HostWindow::scale() const {
    return impl_->scale;
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
