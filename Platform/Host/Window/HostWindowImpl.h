// The window's state, shared by HostWindowSDL.cpp (opening, naming, scale) and
// HostWindowFrames.cpp (events and frames). Private to the host library.
#pragma once

#include <Host/Accessibility/HostAccessibleKeyEvent.h>
#include <Host/Window/HostWindow.h>
#include <Host/Window/HostWindowGeometry.h>

#include <SDL2/SDL.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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

// Requests to come to the front, from other threads, and the loop's answers.
struct HostRaiseRequests {
    std::mutex mutex;
    std::condition_variable answered;
    std::uint64_t asked = 0;   // requests made so far
    std::uint64_t answers = 0; // requests answered so far
    bool raised = false;       // the last answer
    std::string token;         // the last request's activation token
    int limitMs = 0;           // how long the last asker waits
};

// An eventfd that wakes a wait of the window's own from another thread.
struct HostWindowWake {
    HostWindowWake();
    ~HostWindowWake();
    HostWindowWake(const HostWindowWake&) = delete;
    HostWindowWake& operator=(const HostWindowWake&) = delete;
    void signal() const;
    void drain() const;
    int fd = -1;
};

struct HostWindow::Impl {
    HostVideoSubsystem video;
    std::unique_ptr<SDL_Window, HostWindowDeleter> window;
    // On Wayland, frames go through a renderer whose output has the window's size in
    // the output's pixels (SDL's window surface has it in logical pixels, which the
    // compositor would enlarge). Elsewhere, through the window surface.
    std::unique_ptr<SDL_Renderer, HostRendererDeleter> renderer;
    std::unique_ptr<SDL_Texture, HostTextureDeleter> texture; // the screen, viewport-sized
    int textureWidth = 0, textureHeight = 0;
    // Pixels a point, as chosen at opening; window pixels a window coordinate (a
    // Wayland output's scale; 1 on X11).
    int scale = 1;
    int outputScale = 1;
    // Mapped: only once its first frame is drawn.
    bool shown = false;
    // Wayland: libdecor's decorations are to be drawn once more (HostWindowShow.cpp).
    bool decorationsToRedraw = false;
    Uint32 decorationRedrawDue = 0;
    static constexpr Uint32 decorationSettleMs = 250;
    Uint32 raiseEvent = 0;
    HostRaiseRequests raiseRequests;
    HostWindowWake wake;
    // A request being answered: until the window is seen in front, or the asker
    // stops waiting.
    bool raisePending = false;
    Uint32 raiseDeadline = 0;
    Uint32 frameIntervalMs = 16;

    // What the window shows and where.
    HostViewport viewport;
    CGSize screenPoints{0, 0};
    // The last frame presented (to skip repeats), held rather than copied: a frame of
    // a huge window is hundreds of megabytes, given back as soon as the next replaces it.
    CGImageRef shownFrame;
    std::size_t frameBytes = 0; // of the last frame rendered
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

    // Makes the window, hidden, at its final size; false with `error` set.
    bool create(const std::string& title, std::optional<int> requested,
                std::optional<HostWindowPosition> position, HostWindowScale& chosen,
                std::string& error);
    // Window pixels per mouse coordinate (2 on a Wayland output of scale 2).
    double pixelRatio() const;
    // The size frames are drawn at, in window pixels; false when there is nothing to
    // draw into.
    bool targetSize(int& width, int& height) const;
    void show(const CGImageRef& frame);
    // Maps the window with its first frame on it (HostWindowShow.cpp).
    void reveal();
    // Half the screen in points at the window's scale, in window coordinates.
    void setMinimumSize(CGSize screenPoints);
    void redrawDecorationsAtScale();
    // Coming to the front for another start (HostWindowRaise.cpp).
    void raise();
    void checkRaise();
    void answerRaise(bool raised);
    // Waits up to `timeoutMs` for an event (on Wayland also applying what libdecor
    // drew meanwhile); true with one.
    bool waitForEvent(SDL_Event& event, int timeoutMs);
    // Wayland (HostDesktopWayland.cpp).
    bool onWayland() const;
    void commitDecorations() const;
    int waylandDescriptor() const;
    // Whether the compositor offers xdg-activation; with `token`, the window is
    // activated with it.
    bool activateWayland(const std::string& token) const;
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

// Takes the position SDL gives every X window out of its size hints, so that the window
// manager places the window.
void HostX11LetWindowManagerPlace(void* xDisplay, unsigned long xWindow);
// The window's background: `surface`'s pixels (as the server paints them at the map,
// before any frame could reach it), or none.
void HostX11SetBackground(void* xDisplay, unsigned long xWindow, const SDL_Surface* surface);
// Whether the window is the top of the stack of the root's mapped windows (menus and
// other override-redirect windows aside).
bool HostX11IsOnTop(void* xDisplay, unsigned long xWindow);
