#include <Host/Session/EventScript.h>

#include <Host/Session/HostKey.h>
#include <Host/Session/HostQuotedInput.h>

#include <cctype>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace {

std::string trim(const std::string& text) {
    const char* spaces = " \t\r\n\f\v";
    std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

// A `#` at the start or after white space begins a comment; one inside a word
// (a file name "shot#2.png") does not.
std::string withoutComment(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::string quoted(const std::string& text) {
    return HostQuotedInput(text);
}

// The next line of `input` into `line`, without its end; false when the input has
// ended. Bytes are taken one at a time from the stream's buffer, so a line that never
// ends (a device, a pipe) costs no more than the limit: it is refused as soon as the
// first byte past the limit arrives.
bool readBoundedLine(std::streambuf& input, std::size_t number, std::string& line) {
    line.clear();
    using Traits = std::streambuf::traits_type;
    for (Traits::int_type c = input.sbumpc(); c != Traits::eof(); c = input.sbumpc()) {
        if (c == '\n') {
            return true;
        }
        if (line.size() == maximumScriptLineLength) {
            throw ScriptError(number, "longer than " + std::to_string(maximumScriptLineLength) +
                                          " bytes: " + quoted(line));
        }
        line.push_back(Traits::to_char_type(c));
    }
    return !line.empty();
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream stream(text);
    std::string word;
    while (stream >> word) {
        words.push_back(word);
    }
    return words;
}

std::string knownCommands(const std::vector<ScriptCommandSyntax>& syntax) {
    std::string names;
    for (const ScriptCommandSyntax& command : syntax) {
        names += (names.empty() ? "" : ", ") + command.name;
    }
    return names;
}

std::string joinWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : "|") + word;
    }
    return text;
}

// One token for one argument, into `command`; throws ScriptError saying what is wrong.
void readToken(std::size_t line, const ScriptCommandSyntax& syntax, ScriptArgument argument,
               const std::string& token, ScriptCommand& command) {
    const std::string usage = " (usage: " + syntax.usage + ")";
    double value = 0;
    switch (argument) {
    case ScriptArgument::number:
        if (!parseScriptNumber(token, value)) {
            throw ScriptError(line, quoted(token) + " is not a number" + usage);
        }
        command.numbers.push_back(value);
        break;
    case ScriptArgument::optionalCount:
        if (!parseScriptNumber(token, value) || value < 1 || value > 100000 ||
            value != std::floor(value)) {
            throw ScriptError(line, quoted(token) + " is not a whole number from 1" + usage);
        }
        command.numbers.push_back(value);
        break;
    case ScriptArgument::word:
        if (std::find(syntax.words.begin(), syntax.words.end(), token) == syntax.words.end()) {
            throw ScriptError(line, syntax.name + " takes " + joinWords(syntax.words) + ", not " +
                                        quoted(token));
        }
        command.text = token;
        break;
    case ScriptArgument::key:
        if (!HostKeyNamed(token)) {
            throw ScriptError(line, syntax.name + " takes " + HostKeyNameList() + ", not " +
                                        quoted(token));
        }
        command.text = token;
        break;
    case ScriptArgument::text:
        break;
    }
}

[[noreturn]] void refuseArguments(std::size_t line, const ScriptCommandSyntax& syntax,
                                  const char* problem) {
    throw ScriptError(line, syntax.name + problem + " (usage: " + syntax.usage + ")");
}

ScriptCommand parseArguments(std::size_t line, const ScriptCommandSyntax& syntax,
                             const std::string& rest) {
    ScriptCommand command;
    command.line = line;
    command.name = syntax.name;
    std::vector<std::string> tokens = splitWords(rest);
    std::size_t next = 0;
    for (ScriptArgument argument : syntax.arguments) {
        if (argument == ScriptArgument::text) {
            command.text = trim(rest);
            if (command.text.empty()) {
                refuseArguments(line, syntax, " needs text");
            }
            return command;
        }
        if (next >= tokens.size()) {
            if (argument == ScriptArgument::optionalCount) {
                break;
            }
            refuseArguments(line, syntax, " is missing an argument");
        }
        readToken(line, syntax, argument, tokens[next++], command);
    }
    if (next < tokens.size()) {
        throw ScriptError(line, "too many arguments for " + syntax.name +
                                    " (usage: " + syntax.usage + ")");
    }
    return command;
}

} // namespace

bool parseScriptNumber(const std::string& token, double& value) {
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i) {
        ++digits;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i) {
            ++digits;
        }
    }
    if (digits == 0 || i != token.size()) {
        return false;
    }
    const char* begin = token.data() + (token[0] == '+' ? 1 : 0);
    auto result = std::from_chars(begin, token.data() + token.size(), value);
    return result.ec == std::errc() && std::isfinite(value);
}

std::vector<ScriptCommandSyntax> standardScriptCommands() {
    using A = ScriptArgument;
    return {
        {"tap", {A::number, A::number}, "tap X Y", {}, "down and up at one point"},
        {"down", {A::number, A::number}, "down X Y", {}, "put the finger down"},
        {"move", {A::number, A::number}, "move X Y", {}, "move the finger"},
        {"up", {A::number, A::number}, "up X Y", {}, "lift the finger"},
        {"cancel", {}, "cancel", {}, "the system takes the touch away"},
        {"drag",
         {A::number, A::number, A::number, A::number, A::optionalCount},
         "drag X1 Y1 X2 Y2 [N]",
         {},
         "down, N moves (default 8), up"},
        {"alert",
         {A::text},
         "alert TITLE",
         {},
         "press the button so titled on the alert that is up"},
        {"press",
         {A::key},
         "press KEY",
         {},
         "a key of the computer's keyboard: a letter or digit, space, Return, Escape, Tab, "
         "BackSpace, Left/Right/Up/Down, with Shift+ or Ctrl+ before it"},
        {"rotate",
         {A::word},
         "rotate portrait|landscape",
         {"portrait", "landscape"},
         "turn the screen"},
        {"wait", {A::number}, "wait MS", {}, "let time pass; animations move on"},
        {"screenshot", {A::text}, "screenshot PATH", {}, "write the screen now as PNG"},
        {"state", {}, "state", {}, "one JSON line on standard output: what assistive tools see"},
        {"quit", {}, "quit", {}, "end the run"},
    };
}

std::vector<ScriptCommand> parseEventScript(std::istream& input,
                                            const std::vector<ScriptCommandSyntax>& syntax) {
    std::vector<ScriptCommand> commands;
    std::string raw;
    raw.reserve(maximumScriptLineLength);
    std::streambuf* buffer = input.rdbuf();
    for (std::size_t line = 1; buffer != nullptr && readBoundedLine(*buffer, line, raw); ++line) {
        std::string text = trim(withoutComment(raw));
        if (text.empty()) {
            continue;
        }
        std::size_t end = text.find_first_of(" \t");
        std::string name = text.substr(0, end);
        std::string rest = end == std::string::npos ? std::string() : text.substr(end + 1);
        auto found = std::find_if(syntax.begin(), syntax.end(),
                                  [&](const ScriptCommandSyntax& s) { return s.name == name; });
        if (found == syntax.end()) {
            throw ScriptError(line, "unknown command " + quoted(name) +
                                        " (commands: " + knownCommands(syntax) + ")");
        }
        ScriptCommand command = parseArguments(line, *found, rest);
        if (command.name == "wait" && command.numbers[0] < 0) {
            throw ScriptError(line, "wait needs a time of 0 or more milliseconds");
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

std::vector<ScriptCommand> parseEventScript(const std::string& text,
                                            const std::vector<ScriptCommandSyntax>& syntax) {
    std::istringstream stream(text);
    return parseEventScript(stream, syntax);
}
