#include <Host/Desktop/HostDesktopX11Properties.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <optional>
#include <string>

std::optional<std::string> HostX11RootAccessibilityBus(void* xDisplay) {
    auto* display = static_cast<Display*>(xDisplay);
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

int HostX11ConnectionFd(void* xDisplay) {
    return xDisplay ? ConnectionNumber(static_cast<Display*>(xDisplay)) : -1;
}

std::optional<double> HostXftDpi(void* xDisplay) {
    auto* display = static_cast<Display*>(xDisplay);
    if (!display) {
        return std::nullopt;
    }
    std::optional<double> dpi;
    if (const char* resources = XResourceManagerString(display)) {
        // Lines of "name:\tvalue".
        std::string text = resources;
        std::size_t at = text.find("Xft.dpi:");
        if (at != std::string::npos && (at == 0 || text[at - 1] == '\n')) {
            double value = std::strtod(text.c_str() + at + 8, nullptr);
            if (value > 0) {
                dpi = value;
            }
        }
    }
    return dpi;
}

std::optional<double> HostDisplayXftDpi() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return std::nullopt;
    }
    std::optional<double> dpi = HostXftDpi(display);
    XCloseDisplay(display);
    return dpi;
}
