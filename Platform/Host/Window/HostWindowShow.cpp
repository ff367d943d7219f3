// Showing the window: mapped only once its first frame is drawn, so that it never
// shows black or empty, and never smaller than half its screen.
#include <Host/Window/HostWindowImpl.h>

#include <SDL2/SDL_syswm.h>

#include <string>

void HostWindow::Impl::reveal() {
    shown = true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window.get(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        // Wayland: the compositor maps the window at the first frame committed after this.
        SDL_ShowWindow(window.get());
        setMinimumSize(screenPoints); // SDL tells libdecor only once the window is shown
        decorationsToRedraw = outputScale > 1;
        decorationRedrawDue = SDL_GetTicks() + decorationSettleMs;
        return;
    }
    // X11 without a compositor keeps no pixels of a window that is not mapped, and
    // paints a window's background the moment it is mapped: the first frame, drawn
    // into SDL's framebuffer, is that background until it is put on the window.
    SDL_Surface* surface = SDL_GetWindowSurface(window.get());
    HostX11SetBackground(info.info.x11.display, info.info.x11.window, surface);
    SDL_ShowWindow(window.get()); // returns once the window is mapped
    SDL_UpdateWindowSurface(window.get());
    HostX11SetBackground(info.info.x11.display, info.info.x11.window, nullptr);
}

// Not const: it changes the window, which Impl owns through a pointer.
void HostWindow::Impl::setMinimumSize( // NOLINT(readability-make-member-function-const)
    CGSize screenPoints) {
    HostWindowSize smallest = HostMinimumWindowSize(screenPoints, scale, outputScale);
    SDL_SetWindowMinimumSize(window.get(), smallest.width, smallest.height);
}

// libdecor draws the decorations at scale 1 until they are on an output, then again at
// the output's scale, with the damage of the draw before (0.1.1 damages after its
// commit): a compositor then shows the title bar in part, until it is drawn once more.
// SDL tells nothing of either draw; the output is entered within a frame or two of the
// first, so a while after it, a change of the window's resize capability there and back
// has them drawn twice more (the decorations' state is applied at the window's next
// commit only, so the compositor never sees the window fixed in size).
void HostWindow::Impl::redrawDecorationsAtScale() {
    if (decorationsToRedraw && SDL_TICKS_PASSED(SDL_GetTicks(), decorationRedrawDue)) {
        decorationsToRedraw = false;
        SDL_SetWindowResizable(window.get(), SDL_FALSE);
        SDL_SetWindowResizable(window.get(), SDL_TRUE);
        commitDecorations();
    }
}
