// The window's state, shared by HostWindowSDL.cpp (opening, naming, scale) and
// HostWindowFrames.cpp (events and frames). Private to the host library.
#pragma once

#include <Host/Accessibility/HostAccessibilityBridge.h>
#include <Host/Window/HostWindow.h>
#include <Host/Window/HostWindowGeometry.h>

#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class HostSession;

struct HostWindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct HostRendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct HostSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using HostSurfacePtr = std::unique_ptr<SDL_Surface, HostSurfaceDeleter>;
struct HostTextureDeleter {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};

// SDL's video subsystem for as long as a window is open (HostWindowVideo.cpp).
struct HostVideoSubsystem {
    HostVideoSubsystem() = default;
    // Starts SDL's video on a display the environment names, giving windows
    // `applicationId`; false, saying why in `error`, when there is none.
    bool start(const std::string& applicationId, std::string& error);
    HostVideoSubsystem(const HostVideoSubsystem&) = delete;
    HostVideoSubsystem& operator=(const HostVideoSubsystem&) = delete;
    ~HostVideoSubsystem() {
        if (started) {
            // SDL_Quit, not only the video subsystem: it also closes SDL's D-Bus
            // connection, which would otherwise stay allocated until exit.
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Quit();
        }
    }
    bool started = false;
};

// While it lives, SDL sees the session bus only if the bus answered in time (asked on a
// thread of its own since HostAskSessionBusEarly): SDL's own connection to a bus that
// accepts and never answers would hold the window's start without end.
class HostSessionBusForSDL {
  public:
    HostSessionBusForSDL();
    ~HostSessionBusForSDL();
    HostSessionBusForSDL(const HostSessionBusForSDL&) = delete;
    HostSessionBusForSDL& operator=(const HostSessionBusForSDL&) = delete;

  private:
    bool hidden_ = false;
    std::string address_;
};
// Asks, off the caller's thread, whether the session bus answers: as early in a
// window's start as can be, so that the answer is in before SDL's video starts.
void HostAskSessionBusEarly();

// Around the screen when the window is not of its aspect.
constexpr Uint8 hostLetterboxGrey = 0x20;

struct HostWindow::Impl {
    HostVideoSubsystem video;
    std::unique_ptr<SDL_Window, HostWindowDeleter> window;
    // On Wayland, frames go through a renderer whose output has the window's size in
    // the output's pixels (SDL's window surface has it in logical pixels, which the
    // compositor would enlarge). Elsewhere, through the window surface.
    std::unique_ptr<SDL_Renderer, HostRendererDeleter> renderer;
    std::unique_ptr<SDL_Texture, HostTextureDeleter> texture; // the screen, viewport-sized
    int textureWidth = 0, textureHeight = 0;
    // Points to logical window pixels (the desktop's scale, as chosen at opening).
    int scale = 1;
    Uint32 raiseEvent = 0;
    Uint32 frameIntervalMs = 16;

    // What the window shows and where.
    HostViewport viewport;
    CGSize screenPoints{0, 0};
    std::vector<std::uint8_t> shownFrame; // the last frame presented, to skip repeats
    std::size_t shownBytesPerRow = 0;
    std::size_t frames = 0;
    // The layers' change count after the last render, and whether an animation ran in it.
    std::uint64_t renderedChanges = 0;
    bool renderedAnimation = false;

    bool dirty = true;
    bool closed = false;
    bool mouseDown = false;
    // The last mouse motion not yet given to the session: motion between frames is
    // coalesced into it.
    std::optional<CGPoint> pendingMotion;
    // Keys held down when the window gained focus, until each is lifted; whether the
    // text of a key-down so dropped is still to come.
    std::set<SDL_Keycode> heldBeforeFocus;
    bool dropTypedText = false;
    Uint32 lastFrame = 0;
    std::string lastClock;
    // Work besides the window's own (the accessibility bridge): see setIdleHandler,
    // setKeyListener and setActivationListener.
    std::function<int(bool&)> idle;
    std::function<bool(const HostAccessibleKeyEvent&)> keyListener;
    std::function<void(bool)> activationListener;

    // Window pixels per mouse coordinate (2 on a Wayland output of scale 2).
    double pixelRatio() const;
    // The size frames are drawn at, in window pixels; false when there is nothing to
    // draw into.
    bool targetSize(int& width, int& height) const;
    void show(const CGImageRef& frame);
    void showOnSurface(const CGImageRef& frame, SDL_Surface* target);
    void showWithRenderer(const CGImageRef& frame);
    CGImageRef composedPixels() const;
    CGPoint toPoints(int x, int y) const;
    void handle(const SDL_Event& event, HostSession& session);
    void handleWindowEvent(const SDL_WindowEvent& event, HostSession& session);
    void handleMouse(const SDL_Event& event, HostSession& session);
    void handleKey(const SDL_KeyboardEvent& event, HostSession& session);
    bool dropKeyHeldBeforeFocus(const SDL_Event& event);
    bool consumedByListener(const SDL_Event& event);
    void noteKeysHeldAtFocus();
    // The window's X connection (an Xlib Display), or nullptr when it is not on X11.
    void* x11Display() const;
    bool handleTypedText(const SDL_Event& event, HostSession& session);
    void flushMotion(HostSession& session);
    void refreshClock();
    bool frameDue() const;
    void collectUntilFrameDue(HostSession& session);
    bool waitEvent(SDL_Event& event, int timeoutMs);
};

// A surface over `image`'s pixels (premultiplied native-endian ARGB, as SDL's
// ARGB8888), valid while the image lives; nullptr when SDL refuses it.
HostSurfacePtr HostSurfaceOf(const CGImageRef& image);

// The desktop's names for SDL's keys (HostDesktopKeys.cpp): the X keysym a key gives
// with `mod` held (none for keys that have none here), the SDL key of a keysym, and a
// key event as assistive tools take it (its keycode from the X server behind
// `x11Display`, when there is one).
std::optional<unsigned> HostDesktopKeysym(SDL_Keycode key, Uint16 mod);
std::optional<SDL_Keycode> HostSDLKeyOf(unsigned keysym);
HostAccessibleKeyEvent HostDesktopKeyOf(const SDL_KeyboardEvent& event, void* x11Display);
// The X keycode that gives `keysym`, 0 off X11 or for none (HostDesktopX11.cpp).
unsigned HostX11KeycodeOf(void* xDisplay, unsigned keysym);

// The keys the X server behind `xDisplay` holds down now, as SDL names them (the keys
// the host acts on: characters, Return, Escape, Tab, BackSpace, the arrows); none off
// X11 (HostDesktopX11.cpp).
std::vector<SDL_Keycode> HostX11HeldKeys(void* xDisplay);

// The Xft.dpi resource of the X server behind `xDisplay` (an Xlib Display, SDL's own
// connection), when one is set (HostDesktopX11.cpp).
std::optional<double> HostXftDpi(void* xDisplay);
