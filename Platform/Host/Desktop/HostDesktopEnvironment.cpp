#include <Host/Desktop/HostDesktopEnvironment.h>

#include <cstdlib>
#include <map>
#include <optional>

extern char** environ; // NOLINT(readability-redundant-declaration): unistd.h declares it only with
                       // _GNU_SOURCE

namespace {

// Each name set, with its value before (none: it was not set).
std::map<std::string, std::optional<std::string>>& originals() {
    static std::map<std::string, std::optional<std::string>> values;
    return values;
}

} // namespace

void HostSetEnvironmentForLibraries(const std::string& name, const std::string& value) {
    if (originals().count(name) == 0) {
        const char* before = std::getenv(name.c_str());
        originals()[name] = before ? std::optional<std::string>(before) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
}

std::vector<std::string> HostChildEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string variable = *entry;
        if (originals().count(variable.substr(0, variable.find('='))) == 0) {
            variables.push_back(std::move(variable));
        }
    }
    for (const auto& [name, value] : originals()) {
        if (value) {
            variables.push_back(name + "=" + *value);
        }
    }
    return variables;
}
