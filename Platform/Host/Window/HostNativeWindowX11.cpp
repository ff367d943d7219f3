// What SDL does not tell of or do on the X server, with Xlib: the keys held down, the window
// manager's placement, the first frame as the window's background, and the stacking order.
#include <Host/Window/HostWindowImpl.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

void HostX11LetWindowManagerPlace(void* xDisplay, unsigned long xWindow) {
    auto* display = static_cast<Display*>(xDisplay);
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

void HostX11SetBackground(void* xDisplay, unsigned long xWindow, const SDL_Surface* surface) {
    auto* display = static_cast<Display*>(xDisplay);
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

bool HostX11IsOnTop(void* xDisplay, unsigned long xWindow) {
    auto* display = static_cast<Display*>(xDisplay);
    Window ours = display ? topLevelOf(display, xWindow) : 0;
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

std::vector<SDL_Keycode> HostX11HeldKeys(void* xDisplay) {
    auto* display = static_cast<Display*>(xDisplay);
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

unsigned HostX11KeycodeOf(void* xDisplay, unsigned keysym) {
    auto* display = static_cast<Display*>(xDisplay);
    return display ? XKeysymToKeycode(display, keysym) : 0;
}
