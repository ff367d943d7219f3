// Opening the window: SDL's video on a display the environment names (never SDL's
// offscreen or dummy drivers, which would run the window where nobody sees it), the
// window hidden at its final scale and size, its icon and placement; showing it with
// its first frame; its minimum size.
#include <Host/Window/HostNativeWindow.h>

#include <CoreGraphics/CGImage.h>
#include <Host/Desktop/HostDesktopX11Properties.h>
#include <Host/Session/HostQuotedInput.h>

#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr CGSize portraitScreen{320, 480};
// libdecor draws the decorations at scale 1 until the window is on an output, then
// at the output's scale; this long after the map they are drawn once more.
constexpr Uint32 decorationSettleMs = 250;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The displays the environment names, for messages: "DISPLAY=:7".
std::string namedDisplays() {
    std::string named;
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (std::string value = environment(name); !value.empty()) {
            named +=
                (named.empty() ? "" : " and ") + std::string(name) + "=" + HostInputExcerpt(value);
        }
    }
    return named;
}

// SDL's drivers for the displays named, Wayland first.
std::string namedDrivers() {
    std::string drivers;
    if (!environment("WAYLAND_DISPLAY").empty()) {
        drivers = "wayland";
    }
    if (!environment("DISPLAY").empty()) {
        drivers += drivers.empty() ? "x11" : ",x11";
    }
    return drivers;
}

bool onDesktopDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

// SDL's video on a display the environment names; false with `error` saying why.
bool startVideo(std::string& error) {
    std::string displays = namedDisplays();
    if (displays.empty()) {
        error = "no display available (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "use --headless with --events to run without one";
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, namedDrivers().c_str());
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // X11 frames go through SDL's shared-memory framebuffer. By default SDL sends them
    // through a GL texture instead, and making its renderer makes SDL destroy the
    // window and create it anew: a window mapped and unmapped at every start, after
    // GL has loaded.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = "no usable display at " + displays + " (" + HostInputExcerpt(SDL_GetError()) +
                "); use --headless with --events to run without one";
        SDL_Quit();
        return false;
    }
    return true;
}

// X11's desktop scale, known before any window: GDK_SCALE when set, else Xft.dpi / 96.
int x11DesktopScale() {
    const char* gdk = std::getenv("GDK_SCALE");
    if (gdk && *gdk) {
        return HostDesktopScale(std::nullopt, gdk, std::nullopt);
    }
    return HostDesktopScale(std::nullopt, nullptr, HostDisplayXftDpi());
}

HostWindowScale chooseScale(std::optional<int> requested, int desktopScale, int outputScale) {
    SDL_Rect usable{};
    bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    return HostChooseWindowScale(requested, desktopScale, static_cast<int>(portraitScreen.width),
                                 static_cast<int>(portraitScreen.height),
                                 known ? std::optional<int>(usable.w * outputScale) : std::nullopt,
                                 known ? std::optional<int>(usable.h * outputScale) : std::nullopt);
}

void setIcon(SDL_Window* window, const std::filesystem::path& path) {
    CGImageRef icon = path.empty() ? nullptr : CGImageCreateWithPNGFile(path);
    HostSurfacePtr surface = icon ? HostSurfaceOf(*icon) : nullptr;
    if (surface) {
        SDL_SetWindowIcon(window, surface.get());
    }
}

} // namespace

HostSurfacePtr HostSurfaceOf(const CGImage& image) {
    // CGImage rows are premultiplied ARGB in native order, as SDL's ARGB8888.
    return HostSurfacePtr(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(image.bytes()), static_cast<int>(image.width()),
        static_cast<int>(image.height()), 32, static_cast<int>(image.bytesPerRow()),
        SDL_PIXELFORMAT_ARGB8888));
}

std::unique_ptr<HostNativeWindow> HostNativeWindow::open(const HostWindowOptions& options,
                                                         std::string& error, std::string& warning) {
    std::unique_ptr<HostNativeWindow> window(new HostNativeWindow());
    if (!startVideo(error)) {
        return nullptr;
    }
    window->videoStarted_ = true;
    if (!onDesktopDriver()) {
        error = std::string("no usable display: SDL's ") + SDL_GetCurrentVideoDriver() +
                " driver shows nothing on a desktop; use --headless to run without a window";
        return nullptr;
    }
    if (!window->create(options, error, warning)) {
        return nullptr;
    }
    window->placeAndName(options);
    return window;
}

HostNativeWindow::~HostNativeWindow() {
    if (renderer_) {
        SDL_DestroyRenderer(renderer_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (videoStarted_) {
        // SDL_Quit, not only the video subsystem: it also closes SDL's D-Bus connection,
        // which would otherwise stay allocated until exit.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
}

// The window at its final size. On X11 the scale is known first; on Wayland the
// output's scale is known from a window (SDL gives it the largest output's), which
// the compositor sees only once it is shown.
bool HostNativeWindow::create(const HostWindowOptions& options, std::string& error,
                              std::string& warning) {
    bool wayland = std::strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0;
    HostWindowScale chosen;
    if (!wayland) {
        chosen = chooseScale(options.scale, x11DesktopScale(), 1);
        scale_ = chosen.scale;
    }
    HostWindowSize size = HostWindowSizeFor(portraitScreen, scale_, 1);
    int x = options.position ? options.position->x : static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    int y = options.position ? options.position->y : static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    window_ = SDL_CreateWindow(options.title.c_str(), x, y, size.width, size.height,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) {
        error = "cannot open a window (" + HostInputExcerpt(SDL_GetError()) + ")";
        return false;
    }
    learnSystem();
    if (wayland) {
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        int logical = 0, pixels = 0, height = 0;
        SDL_GetWindowSize(window_, &logical, &height);
        if (renderer_ && SDL_GetRendererOutputSize(renderer_, &pixels, &height) == 0 &&
            logical > 0) {
            outputScale_ =
                std::max(1, static_cast<int>(std::lround(static_cast<double>(pixels) / logical)));
        }
        chosen = chooseScale(options.scale, outputScale_, outputScale_);
        scale_ = chosen.scale;
        size = HostWindowSizeFor(portraitScreen, scale_, outputScale_);
        SDL_SetWindowSize(window_, size.width, size.height);
    }
    if (chosen.warning) {
        warning = *chosen.warning;
    }
    return true;
}

// Which window system the window is on, and its handles there: asked once.
void HostNativeWindow::learnSystem() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE) {
        return;
    }
    if (info.subsystem == SDL_SYSWM_X11) {
        system_ = System::x11;
        x11Display_ = info.info.x11.display;
        x11Window_ = info.info.x11.window;
    } else if (info.subsystem == SDL_SYSWM_WAYLAND) {
        system_ = System::wayland;
        waylandDisplay_ = info.info.wl.display;
        waylandSurface_ = info.info.wl.surface;
    }
}

void HostNativeWindow::placeAndName(const HostWindowOptions& options) {
    setIcon(window_, options.icon);
    setMinimumSize(portraitScreen);
    if (!options.position) {
        letWindowManagerPlace();
    }
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0) {
        frameIntervalMs_ = static_cast<Uint32>(1000 / mode.refresh_rate);
    }
}

double HostNativeWindow::pixelRatio() const {
    int w = 0, h = 0, pixelWidth = 0, pixelHeight = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return pixelSize(pixelWidth, pixelHeight) && w > 0 ? static_cast<double>(pixelWidth) / w : 1.0;
}

bool HostNativeWindow::pixelSize(int& width, int& height) const {
    if (renderer_) {
        return SDL_GetRendererOutputSize(renderer_, &width, &height) == 0 && width > 0 &&
               height > 0;
    }
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) {
        return false;
    }
    width = target->w;
    height = target->h;
    return true;
}

void HostNativeWindow::setMinimumSize(CGSize screenPoints) {
    HostWindowSize smallest = HostMinimumWindowSize(screenPoints, scale_, outputScale_);
    SDL_SetWindowMinimumSize(window_, smallest.width, smallest.height);
}

void HostNativeWindow::reveal(SDL_Surface* frame) {
    shown_ = true;
    if (system_ == System::wayland) {
        // The compositor maps the window at the first frame committed after this.
        SDL_ShowWindow(window_);
        int w = 0, h = 0;
        SDL_GetWindowMinimumSize(window_, &w, &h);
        SDL_SetWindowMinimumSize(window_, w, h); // SDL tells libdecor only once shown
        if (outputScale_ > 1) {
            decorationRedrawDue_ = SDL_GetTicks() + decorationSettleMs;
        }
        return;
    }
    // X11 without a compositor keeps no pixels of a window that is not mapped, and
    // paints a window's background the moment it is mapped: the first frame, drawn
    // into SDL's framebuffer, is that background until it is put on the window.
    setX11Background(frame);
    SDL_ShowWindow(window_); // returns once the window is mapped
    SDL_UpdateWindowSurface(window_);
    setX11Background(nullptr);
}

bool HostNativeWindow::isInFront() const {
    return system_ == System::x11 ? x11IsOnTop()
                                  : (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool HostNativeWindow::raise(const std::string& token) {
    // On Wayland the compositor's to grant, with the asking start's token: a window
    // cannot bring itself forward.
    if (system_ == System::wayland) {
        return activateWayland(token);
    }
    SDL_RaiseWindow(window_);
    return true;
}

std::optional<Uint32> HostNativeWindow::decorationRedrawDue() const {
    return decorationRedrawDue_;
}

// libdecor draws the decorations at scale 1 until they are on an output, then again at
// the output's scale, with the damage of the draw before (0.1.1 damages after its
// commit): a compositor then shows the title bar in part, until it is drawn once more.
// SDL tells nothing of either draw; the output is entered within a frame or two of the
// first, so a while after it, a change of the window's resize capability there and back
// has them drawn twice more (the decorations' state is applied at the window's next
// commit only, so the compositor never sees the window fixed in size).
void HostNativeWindow::redrawDecorationsAtScale() {
    if (decorationRedrawDue_ && SDL_TICKS_PASSED(SDL_GetTicks(), *decorationRedrawDue_)) {
        decorationRedrawDue_.reset();
        SDL_SetWindowResizable(window_, SDL_FALSE);
        SDL_SetWindowResizable(window_, SDL_TRUE);
        commitDecorations();
    }
}
