// The X server's resources, read with Xlib: SDL does not tell the desktop's font DPI.
#include <Host/Window/HostWindowImpl.h>

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
