#include <Host/Start/HostCommandLine.h>

#include <Host/Session/HostQuotedInput.h>

#include <algorithm>
#include <optional>

// Set by the build from the project's version.
#ifndef PRISMKEY_VERSION
#error "PRISMKEY_VERSION must name the project's version"
#endif

// The arguments one at a time: the option's name, and its value either after "="
// or as the next argument.
class HostArgumentReader {
  public:
    explicit HostArgumentReader(const std::vector<std::string>& arguments)
        : arguments_(arguments) {}

    bool next() {
        if (index_ >= arguments_.size()) {
            return false;
        }
        name_ = arguments_[index_++];
        inlineValue_.reset();
        if (std::size_t equals = name_.find('=');
            name_.starts_with("--") && equals != std::string::npos) {
            inlineValue_ = name_.substr(equals + 1);
            name_.resize(equals);
        }
        if (name_ == "-h") {
            name_ = "--help";
        }
        return true;
    }
    const std::string& name() const { return name_; }

    std::string value(const std::string& valueName) {
        if (inlineValue_) {
            return *inlineValue_;
        }
        if (index_ >= arguments_.size()) {
            throw HostUsageError(name_ + " needs a value (" + name_ + " " + valueName + ")");
        }
        return arguments_[index_++];
    }
    void flag() const {
        if (inlineValue_) {
            throw HostUsageError(name_ + " takes no value");
        }
    }
    // The value an option takes, or "" after checking that a flag has none.
    std::string valueFor(const std::string& valueName) {
        if (valueName.empty()) {
            flag();
            return {};
        }
        return value(valueName);
    }

  private:
    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
    std::string name_;
    std::optional<std::string> inlineValue_;
};

namespace {

using ApplySharedOption = void (*)(HostSettings& settings, const std::string& value);

struct SharedOption {
    const char* name;
    const char* valueName;
    const char* help;
    ApplySharedOption apply;
};

void applyRoot(HostSettings& settings, const std::string& value) {
    if (value.empty()) {
        throw HostUsageError("--root needs a folder, not an empty name");
    }
    settings.root = value;
}

void applyScale(HostSettings& settings, const std::string& value) {
    if (value == "auto") {
        settings.scale.reset(); // the desktop's, in a window; 1 headless
        return;
    }
    if (value != "1" && value != "2") {
        throw HostUsageError("--scale must be 1 or 2 (or auto), not " + HostQuotedInput(value));
    }
    settings.scale = value == "1" ? 1 : 2;
}

void applyPosition(HostSettings& settings, const std::string& value) {
    settings.position = HostParseWindowPosition(value);
    if (!settings.position) {
        throw HostUsageError("--position must be X,Y in desktop pixels (e.g. 40,40), not " +
                             HostQuotedInput(value));
    }
}

void applyEvents(HostSettings& settings, const std::string& value) {
    if (value.empty()) {
        throw HostUsageError("--events needs a file name (or - for standard input)");
    }
    settings.eventsPath = value;
}

constexpr SharedOption sharedOptions[] = {
    {"--root", "DIR", "device root (default ${XDG_DATA_HOME:-$HOME/.local/share}/prismkey/device)",
     applyRoot},
    {"--position", "X,Y",
     "the window's top-left corner in desktop pixels (default: the window manager places it)",
     applyPosition},
    {"--scale", "N",
     "auto, 1 or 2 pixels per point (default auto in a window: the desktop's; 1 headless)",
     applyScale},
    {"--headless", "", "no window: run the event script on a virtual clock, then exit",
     [](HostSettings& settings, const std::string&) { settings.headless = true; }},
    {"--events", "FILE", "event script, one command a line (\"-\" for standard input)",
     applyEvents},
    {"--help", "", "show this help and exit",
     [](HostSettings& settings, const std::string&) { settings.help = true; }},
    {"--version", "", "show the program's version and exit",
     [](HostSettings& settings, const std::string&) { settings.version = true; }},
};

const SharedOption* sharedOptionNamed(const std::string& name) {
    auto found = std::find_if(std::begin(sharedOptions), std::end(sharedOptions),
                              [&](const SharedOption& option) { return name == option.name; });
    return found == std::end(sharedOptions) ? nullptr : found;
}

std::string optionColumn(const std::string& name, const std::string& valueName) {
    std::string column = "  " + name;
    if (!valueName.empty()) {
        column += " ";
        column += valueName;
    }
    column.resize(std::max<std::size_t>(column.size() + 2, 20), ' ');
    return column;
}

} // namespace

std::optional<HostWindowPosition> HostParseWindowPosition(const std::string& text) {
    constexpr long limit = 1000000;
    auto number = [](const std::string& part) -> std::optional<int> {
        std::size_t digits = part.starts_with('-') ? 1 : 0;
        if (part.size() == digits || part.size() > digits + 7 ||
            !std::all_of(part.begin() + static_cast<std::ptrdiff_t>(digits), part.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        long value = std::stol(part);
        return value >= -limit && value <= limit ? std::optional<int>(static_cast<int>(value))
                                                 : std::nullopt;
    };
    std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return std::nullopt;
    }
    std::optional<int> x = number(text.substr(0, comma)), y = number(text.substr(comma + 1));
    if (!x || !y) {
        return std::nullopt;
    }
    return HostWindowPosition{*x, *y};
}

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
    HostArgumentReader reader(arguments);
    while (reader.next()) {
        if (const SharedOption* shared = sharedOptionNamed(reader.name())) {
            shared->apply(settings, reader.valueFor(shared->valueName));
        } else {
            applyProgramOption(reader);
        }
    }
    return settings;
}

void HostCommandLine::applyProgramOption(HostArgumentReader& reader) const {
    const std::string& name = reader.name();
    auto own = std::find_if(options_.begin(), options_.end(),
                            [&](const HostOption& option) { return option.name == name; });
    if (own == options_.end()) {
        std::string message = name.starts_with('-') ? "unknown option " : "unknown argument ";
        message += HostQuotedInput(name);
        message += " (see --help)";
        throw HostUsageError(message);
    }
    std::string value = reader.valueFor(own->valueName);
    if (own->apply) {
        own->apply(value);
    }
}

std::string HostCommandLine::usage(const std::vector<std::string>& scriptUsages,
                                   const std::vector<std::string>& keyUsages) const {
    // "Usage:" and "Options:" as the desktop's tools (help2man, which makes the manual
    // page from this text) read them.
    std::string text = "Usage: " + programName_ + " [options]\n";
    if (!summary_.empty()) {
        text += summary_ + "\n";
    }
    text += "\nOptions:\n";
    for (const SharedOption& option : sharedOptions) {
        text += optionColumn(option.name, option.valueName) + option.help + "\n";
    }
    for (const HostOption& option : options_) {
        text += optionColumn(option.name, option.valueName) + option.help + "\n";
    }
    text += "\nWithout --headless the program opens a window (a display is needed); the mouse\n"
            "acts as a finger";
    if (keyUsages.empty()) {
        text += ".\n";
    } else {
        text += " and the keyboard's keys work:\n";
        for (const std::string& line : keyUsages) {
            text += "  " + line + "\n";
        }
        text += "\n";
    }
    text += "An event script has one command a line; # starts a comment; coordinates are\n"
            "screen points from the top-left, decimals allowed:\n";
    for (const std::string& line : scriptUsages) {
        text += "  " + line + "\n";
    }
    text += "\nExit status: 0 when all went well; 2 for a bad option, an unreadable script or a\n"
            "bad script line (named by its number); 1 when something failed while running\n"
            "(a device root that cannot be prepared, a screenshot that cannot be written).\n";
    return text;
}

std::string HostCommandLine::versionLine() const {
    return programName_ + " " + PRISMKEY_VERSION;
}
