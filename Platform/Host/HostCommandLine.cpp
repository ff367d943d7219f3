#include <Host/HostCommandLine.h>

#include <algorithm>

namespace {

struct SharedOption {
    const char* name;
    const char* valueName;
    const char* help;
};

constexpr SharedOption sharedOptions[] = {
    {"--root", "DIR", "device root (default ${XDG_DATA_HOME:-$HOME/.local/share}/prismkey/device)"},
    {"--scale", "N", "1 or 2 pixels per point (default 2 in a window, 1 headless)"},
    {"--headless", "", "no window: run the event script on a virtual clock, then exit"},
    {"--events", "FILE", "event script, one command a line (\"-\" for standard input)"},
    {"--help", "", "show this help and exit"},
};

std::string optionColumn(const std::string& name, const std::string& valueName) {
    std::string column = "  " + name + (valueName.empty() ? "" : " " + valueName);
    column.resize(std::max<std::size_t>(column.size() + 2, 20), ' ');
    return column;
}

} // namespace

HostCommandLine::HostCommandLine(std::string programName, std::string summary)
    : programName_(std::move(programName)), summary_(std::move(summary)) {}

void HostCommandLine::addOption(HostOption option) {
    options_.push_back(std::move(option));
}

HostSettings HostCommandLine::parse(int argc, char** argv) const {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return parse(arguments);
}

HostSettings HostCommandLine::parse(const std::vector<std::string>& arguments) const {
    HostSettings settings;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        auto takesValue = [&](const std::string& valueName) -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= arguments.size()) {
                throw HostUsageError(name + " needs a value (" + name + " " + valueName + ")");
            }
            return arguments[++i];
        };
        auto isFlag = [&] {
            if (inlineValue) {
                throw HostUsageError(name + " takes no value");
            }
        };
        if (name == "--root") {
            settings.root = takesValue("DIR");
            if (settings.root->empty()) {
                throw HostUsageError("--root needs a folder, not an empty name");
            }
        } else if (name == "--scale") {
            std::string value = takesValue("N");
            if (value != "1" && value != "2") {
                throw HostUsageError("--scale must be 1 or 2, not \"" + value + "\"");
            }
            settings.scale = value == "1" ? 1 : 2;
        } else if (name == "--headless") {
            isFlag();
            settings.headless = true;
        } else if (name == "--events") {
            settings.eventsPath = takesValue("FILE");
            if (settings.eventsPath->empty()) {
                throw HostUsageError("--events needs a file name (or - for standard input)");
            }
        } else if (name == "--help" || name == "-h") {
            isFlag();
            settings.help = true;
        } else {
            auto own = std::find_if(options_.begin(), options_.end(),
                                    [&](const HostOption& option) { return option.name == name; });
            if (own == options_.end()) {
                throw HostUsageError(
                    "unknown " + std::string(name.rfind("-", 0) == 0 ? "option " : "argument ") +
                    "\"" + name + "\" (see --help)");
            }
            std::string value;
            if (own->valueName.empty()) {
                isFlag();
            } else {
                value = takesValue(own->valueName);
            }
            if (own->apply) {
                own->apply(value);
            }
        }
    }
    return settings;
}

std::string HostCommandLine::usage(const std::vector<std::string>& scriptUsages) const {
    std::string text = "usage: " + programName_ + " [options]\n";
    if (!summary_.empty()) {
        text += summary_ + "\n";
    }
    text += "\noptions:\n";
    for (const SharedOption& option : sharedOptions) {
        text += optionColumn(option.name, option.valueName) + option.help + "\n";
    }
    for (const HostOption& option : options_) {
        text += optionColumn(option.name, option.valueName) + option.help + "\n";
    }
    text += "\nWithout --headless the program opens a window (a display is needed); the mouse\n"
            "acts as a finger. An event script has one command a line; # starts a comment;\n"
            "coordinates are screen points from the top-left, decimals allowed:\n";
    for (const std::string& line : scriptUsages) {
        text += "  " + line + "\n";
    }
    text += "\nexit status: 0 when all went well; 2 for a bad option, an unreadable script or a\n"
            "bad script line (named by its number); 1 when something failed while running\n"
            "(a screenshot could not be written).\n";
    return text;
}
