// A program's own command-line option, beside the shared ones (keyboard-host's
// --plugins DIR and --query).
#pragma once

#include <functional>
#include <string>

// A flag when `valueName` is empty. `apply` runs as the option is read; it may throw
// HostUsageError to refuse the value.
struct HostOption {
    std::string name;      // "--plugins"
    std::string valueName; // "DIR"
    std::string help;
    std::function<void(const std::string& value)> apply;
};
