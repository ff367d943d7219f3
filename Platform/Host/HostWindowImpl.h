// The window's state, shared by HostWindowSDL.cpp (opening, naming, scale) and
// HostWindowFrames.cpp (events and frames). Private to the host library.
#pragma once

#include <Host/HostWindow.h>
#include <Host/HostWindowGeometry.h>

#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HostSession;

struct HostWindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};

// SDL's video subsystem for as long as a window is open.
struct HostVideoSubsystem {
    HostVideoSubsystem() = default;
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

struct HostWindow::Impl {
    HostVideoSubsystem video;
    std::unique_ptr<SDL_Window, HostWindowDeleter> window;
    int scale = 1;
    Uint32 raiseEvent = 0;
    Uint32 frameIntervalMs = 16;

    // What the window shows and where.
    HostViewport viewport;
    CGSize screenPoints{0, 0};
    std::vector<std::uint8_t> shownFrame; // the last frame presented, to skip repeats
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
    Uint32 lastFrame = 0;
    std::string lastClock;
    // Work besides the window's own (the accessibility bridge): see setIdleHandler.
    std::function<int(bool&)> idle;

    // Window pixels per mouse coordinate (2 on a Wayland output of scale 2).
    double pixelRatio() const;
    CGPoint toPoints(int x, int y) const;
    void handle(const SDL_Event& event, HostSession& session);
    void handleWindowEvent(const SDL_WindowEvent& event, HostSession& session);
    void handleMouse(const SDL_Event& event, HostSession& session);
    void handleKey(const SDL_KeyboardEvent& event, HostSession& session);
    bool handleTypedText(const SDL_Event& event, HostSession& session);
    void flushMotion(HostSession& session);
    void refreshClock();
    bool frameDue() const;
    void collectUntilFrameDue(HostSession& session);
    bool waitEvent(SDL_Event& event, int timeoutMs);
};

// The Xft.dpi resource of the X server behind `xDisplay` (an Xlib Display, SDL's own
// connection), when one is set (HostDesktopX11.cpp).
std::optional<double> HostXftDpi(void* xDisplay);
