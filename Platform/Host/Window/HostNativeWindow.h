// The window on the desktop's window system: SDL's window, and what SDL does not do
// done on its own connection, natively (X11 or Wayland, asked once at opening). Opened
// hidden at its final size and mapped with its first frame.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Host/Window/HostWindowGeometry.h>

#include <SDL2/SDL.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct HostWindowOptions {
    std::string title;          // the desktop entry's Name
    std::string applicationId;  // X11 WM_CLASS, Wayland app_id (empty: SDL's own)
    std::filesystem::path icon; // none: no icon
    std::optional<int> scale;   // pixels a point; none: the desktop's
    // The top-left corner in desktop pixels; none: the window manager places it.
    std::optional<SDL_Point> position;
};

// Around the screen when the window is not of its aspect.
constexpr Uint8 hostLetterboxGrey = 0x20;

class HostNativeWindow {
  public:
    enum class System { x11, wayland };

    // The window, hidden, at `options.scale` (lowered until it fits the display's usable
    // area; an explicit scale so lowered is said in `warning`); nullptr with `error`
    // set when there is no usable display.
    static std::unique_ptr<HostNativeWindow> open(const HostWindowOptions& options,
                                                  std::string& error, std::string& warning);
    ~HostNativeWindow();
    HostNativeWindow(const HostNativeWindow&) = delete;
    HostNativeWindow& operator=(const HostNativeWindow&) = delete;

    SDL_Window* sdl() const { return window_; }
    // On Wayland, frames go through a renderer whose output has the window's size in
    // the output's pixels (the window surface has it in logical pixels, which the
    // compositor would enlarge); nullptr elsewhere: frames go through the window surface.
    SDL_Renderer* renderer() const { return renderer_; }
    System system() const { return system_; }
    // Pixels a point, as chosen at opening; window pixels a window coordinate (a
    // Wayland output's scale; 1 on X11).
    int scale() const { return scale_; }
    int outputScale() const { return outputScale_; }
    Uint32 frameIntervalMs() const { return frameIntervalMs_; }
    // The X connection (an Xlib Display) and window; nullptr and 0 on Wayland.
    void* x11Display() const { return x11Display_; }
    unsigned long x11Window() const { return x11Window_; }
    // The connection to the display server, to wait on; -1 for none.
    int connectionFd() const;

    // Window pixels per window coordinate (the mouse's), as the window is now.
    double pixelRatio() const;
    // The size frames are drawn at, in window pixels; false while there is none.
    bool pixelSize(int& width, int& height) const;
    // Half `screenPoints` at the window's scale, as window coordinates.
    void setMinimumSize(CGSize screenPoints);
    // Maps the window with its first frame (`frame`: the window surface holding it, on
    // X11; nullptr where a renderer draws), so that it never shows black or empty.
    void reveal(SDL_Surface* frame);
    bool shown() const { return shown_; }

    // Whether the window is in front: on top of the stack (X11) or holding the focus.
    bool isInFront() const;
    // Asks to come to the front; false when the desktop offers no way (Wayland without
    // xdg-activation). `token`: the desktop's activation token of the asking start.
    bool raise(const std::string& token);
    // The keys the X server holds down now, as SDL names them (none off X11).
    std::vector<SDL_Keycode> heldKeys() const;
    // The key a window-system message says was lifted (an X key release, which SDL
    // drops for a key it never saw pressed); none for any other message.
    std::optional<SDL_Keycode> liftedKey(const SDL_SysWMmsg& message) const;
    // The X keycode that gives `keysym`; 0 off X11 or for none.
    unsigned keycodeOf(unsigned keysym) const;

    // Wayland: what libdecor drew shows only at a commit of the window's own surface;
    // called while waiting, and once after the decorations settle at the output's
    // scale (decorationRedrawDue).
    void commitDecorations() const;
    std::optional<Uint32> decorationRedrawDue() const;
    void redrawDecorationsAtScale();

  private:
    HostNativeWindow() = default;
    bool create(const HostWindowOptions& options, std::string& error, std::string& warning);
    void learnSystem();
    void placeAndName(const HostWindowOptions& options);
    // On the native connection (HostNativeWindowX11.cpp, HostNativeWindowWayland.cpp).
    void letWindowManagerPlace() const;
    void setX11Background(const SDL_Surface* surface) const;
    bool x11IsOnTop() const;
    bool activateWayland(const std::string& token) const;

    bool videoStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    System system_ = System::x11;
    void* x11Display_ = nullptr;
    unsigned long x11Window_ = 0;
    void* waylandDisplay_ = nullptr; // wl_display
    void* waylandSurface_ = nullptr; // wl_surface
    int scale_ = 1;
    int outputScale_ = 1;
    Uint32 frameIntervalMs_ = 16;
    bool shown_ = false;
    std::optional<Uint32> decorationRedrawDue_;
};

// The window's surface's pixels come from a frame (premultiplied native-endian ARGB,
// as SDL's ARGB8888): a surface over `image`'s pixels, valid while the image lives;
// nullptr when SDL refuses it.
struct HostSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using HostSurfacePtr = std::unique_ptr<SDL_Surface, HostSurfaceDeleter>;
class CGImage;
HostSurfacePtr HostSurfaceOf(const CGImage& image);
