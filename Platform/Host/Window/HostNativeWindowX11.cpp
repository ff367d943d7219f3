// What SDL does not tell of or do on the X server, with Xlib: the keys held down, the window
// manager's placement, the first frame as the window's background, and the stacking order.
#include <Host/Window/HostKeyTable.h>
#include <Host/Window/HostNativeWindow.h>

#include <SDL2/SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

void HostNativeWindow::letWindowManagerPlace() const {
    auto* display = static_cast<Display*>(x11Display_);
    Window xWindow = x11Window_;
    XSizeHints* hints = XAllocSizeHints();
    long supplied = 0;
    if (display && hints && XGetWMNormalHints(display, xWindow, hints, &supplied) != 0) {
        // A window manager keeps a user- or program-given position (USPosition,
        // PPosition) instead of placing the window.
        hints->flags &= ~(USPosition | PPosition);
        XSetWMNormalHints(display, xWindow, hints);
    }
    XFree(hints);
}

void HostNativeWindow::setX11Background(const SDL_Surface* surface) const {
    auto* display = static_cast<Display*>(x11Display_);
    Window xWindow = x11Window_;
    if (!display) {
        return;
    }
    if (!surface) {
        XSetWindowBackgroundPixmap(display, xWindow, None);
        return;
    }
    XWindowAttributes attributes{};
    // The surface is SDL's framebuffer for this window: pixels in the window's visual.
    if (XGetWindowAttributes(display, xWindow, &attributes) == 0 || attributes.depth != 24 ||
        surface->format->BytesPerPixel != 4) {
        return;
    }
    XImage* image = XCreateImage(
        display, attributes.visual, 24, ZPixmap, 0, static_cast<char*>(surface->pixels),
        static_cast<unsigned>(surface->w), static_cast<unsigned>(surface->h), 32, surface->pitch);
    if (!image) {
        return;
    }
    Pixmap pixmap = XCreatePixmap(display, xWindow, static_cast<unsigned>(surface->w),
                                  static_cast<unsigned>(surface->h), 24);
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(surface->w),
              static_cast<unsigned>(surface->h));
    XSetWindowBackgroundPixmap(display, xWindow, pixmap);
    XFreeGC(display, gc);
    XFreePixmap(display, pixmap); // the window keeps it as long as it needs it
    image->data = nullptr;        // the surface's
    XDestroyImage(image);
    XFlush(display);
}

namespace {

// The root's child that holds `window` (itself, or the window manager's frame).
Window topLevelOf(Display* display, Window window) {
    while (true) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return 0;
        }
        XFree(children);
        if (parent == root || parent == 0) {
            return window;
        }
        window = parent;
    }
}

} // namespace

bool HostNativeWindow::x11IsOnTop() const {
    auto* display = static_cast<Display*>(x11Display_);
    Window ours = display ? topLevelOf(display, x11Window_) : 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (ours == 0 ||
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return false;
    }
    Window top = 0;
    // Children come from the bottom of the stack to its top.
    for (unsigned i = count; i-- > 0 && top == 0;) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && !attributes.override_redirect) {
            top = children[i];
        }
    }
    XFree(children);
    return top == ours;
}

std::vector<SDL_Keycode> HostNativeWindow::heldKeys() const {
    auto* display = static_cast<Display*>(x11Display_);
    std::vector<SDL_Keycode> held;
    if (!display) {
        return held;
    }
    char keys[32] = {};
    XQueryKeymap(display, keys);
    for (int code = 8; code < 256; ++code) {
        if ((static_cast<unsigned char>(keys[code / 8]) & (1U << (code % 8))) == 0) {
            continue;
        }
        KeySym symbol = XkbKeycodeToKeysym(display, static_cast<KeyCode>(code), 0, 0);
        if (std::optional<SDL_Keycode> key = HostSDLKeyOf(static_cast<unsigned>(symbol))) {
            held.push_back(*key);
        }
    }
    return held;
}

unsigned HostNativeWindow::keycodeOf(unsigned keysym) const {
    auto* display = static_cast<Display*>(x11Display_);
    return display ? XKeysymToKeycode(display, keysym) : 0;
}

std::optional<SDL_Keycode> HostNativeWindow::liftedKey(const SDL_SysWMmsg& message) const {
    auto* display = static_cast<Display*>(x11Display_);
    if (!display || message.subsystem != SDL_SYSWM_X11 ||
        message.msg.x11.event.type != KeyRelease) {
        return std::nullopt;
    }
    auto code = static_cast<KeyCode>(message.msg.x11.event.xkey.keycode);
    return HostSDLKeyOf(static_cast<unsigned>(XkbKeycodeToKeysym(display, code, 0, 0)));
}
