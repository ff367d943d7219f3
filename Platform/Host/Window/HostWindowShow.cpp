// Showing the window: mapped only once its first frame is drawn, so that it never
// shows black or empty, and never smaller than half its screen.
#include <Host/Window/HostWindowImpl.h>

#include <SDL2/SDL_syswm.h>

void HostWindow::Impl::reveal() {
    shown = true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window.get(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        // Wayland: the compositor maps the window at the first frame committed after this.
        SDL_ShowWindow(window.get());
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

void HostWindow::Impl::setMinimumSize(CGSize screenPoints) {
    HostWindowSize smallest = HostMinimumWindowSize(screenPoints, scale, outputScale);
    SDL_SetWindowMinimumSize(window.get(), smallest.width, smallest.height);
}
