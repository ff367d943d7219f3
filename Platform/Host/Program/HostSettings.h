// What the shared options of a command line asked for.
#pragma once

#include <optional>
#include <string>

struct HostSettings {
    std::optional<std::string> root;
    std::optional<int> scale;
    bool headless = false;
    std::optional<std::string> eventsPath;
    bool help = false;
    bool version = false;
};
