// The accessibility bus the X server's root window names (the AT_SPI_BUS property
// that the desktop's bus launcher sets), asked over the window's own connection: a
// connection of our own would cost more than the whole question.
// All Xlib calls live here.
#include <Host/Accessibility/HostAccessibilityBridge.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <optional>
#include <string>

std::optional<std::string> HostX11RootAccessibilityBus(void* x11Display) {
    auto* display = static_cast<Display*>(x11Display);
    if (!display) {
        return std::nullopt;
    }
    std::optional<std::string> address;
    // Only if it exists: a server where nobody set the property has no such atom.
    Atom property = XInternAtom(display, "AT_SPI_BUS", True);
    if (property != None) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False,
                               XA_STRING, &type, &format, &items, &remaining, &data) == Success &&
            data != nullptr && items > 0 && format == 8) {
            address.emplace(reinterpret_cast<const char*>(data), items);
        }
        if (data) {
            XFree(data);
        }
    }
    return address;
}

int HostX11ConnectionFd(void* x11Display) {
    return x11Display ? ConnectionNumber(static_cast<Display*>(x11Display)) : -1;
}
