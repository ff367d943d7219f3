// What the shared options of a command line asked for.
#pragma once

#include <optional>
#include <string>

// A window's top-left corner on the desktop, in desktop pixels.
struct HostWindowPosition {
    int x = 0;
    int y = 0;
    bool operator==(const HostWindowPosition&) const = default;
};

struct HostSettings {
    std::optional<std::string> root;
    // None: the window manager places the window.
    std::optional<HostWindowPosition> position;
    std::optional<int> scale;
    bool headless = false;
    std::optional<std::string> eventsPath;
    bool help = false;
    bool version = false;
};
