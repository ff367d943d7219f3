#include "KeyboardHostOptions.h"

namespace {

bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, std::string& value,
               std::string& error) {
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = "option " + arguments[i] + " needs a value";
        return false;
    }
    value = arguments[++i];
    return true;
}

} // namespace

KeyboardHostCommandLine parseKeyboardHostOptions(const std::vector<std::string>& arguments) {
    KeyboardHostCommandLine line;
    KeyboardHostOptions& o = line.options;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        std::string scale;
        if (argument == "--help" || argument == "-h") {
            o.help = true;
        } else if (argument == "--query") {
            o.query = true;
        } else if (argument == "--headless") {
            o.headless = true;
        } else if (argument == "--root") {
            takeValue(arguments, i, o.root, line.error);
        } else if (argument == "--plugins") {
            takeValue(arguments, i, o.plugins, line.error);
        } else if (argument == "--events") {
            takeValue(arguments, i, o.events, line.error);
        } else if (argument == "--scale") {
            if (takeValue(arguments, i, scale, line.error)) {
                if (scale != "1" && scale != "2") {
                    line.error = "--scale must be 1 or 2, not \"" + scale + "\"";
                }
                o.scale = scale == "2" ? 2 : 1;
            }
        } else {
            line.error = "unknown option \"" + argument + "\"";
        }
    }
    return line;
}

std::string keyboardHostUsage() {
    return "usage: keyboard-host [options]\n"
           "The stand-in keyboard-hosting process: a text field and the keyboard, with the\n"
           "plug-ins of the device root loaded into it.\n"
           "\n"
           "  --root DIR      device root (default "
           "${XDG_DATA_HOME:-$HOME/.local/share}/prismkey/device)\n"
           "  --plugins DIR   load plug-ins from DIR instead of "
           "<root>/Library/MobileSubstrate/DynamicLibraries\n"
           "  --query         run one layout pass and one keyboard-appearance query, print them as "
           "one\n"
           "                  JSON line and exit\n"
           "  --scale N       1 or 2 pixels per point\n"
           "  --headless      run the event script without a window (not yet available)\n"
           "  --events FILE   event script, - for standard input (not yet available)\n"
           "  --help          this text\n";
}
