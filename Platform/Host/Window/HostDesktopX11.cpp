// What SDL does not tell of the X server, read with Xlib: the desktop's font DPI and
// the keys held down.
#include <Host/Window/HostWindowImpl.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>

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
