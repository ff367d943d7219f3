// The event-script language: one command a line, `#` starting a comment (at the start
// of a line or after a space), blank lines ignored, coordinates in screen points. A
// whole script is checked before anything runs, so that a bad line stops a run before
// it starts. Programs add commands of their own.
#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

// What a command takes, in order.
enum class ScriptArgument {
    number,        // a decimal number
    optionalCount, // a whole number >= 1, may be left out (last argument only)
    word,          // one of the command's words
    key,           // a key of the computer's keyboard, as HostKeyNamed reads it
    text,          // the rest of the line, not empty (last argument only)
};

struct ScriptCommandSyntax {
    std::string name;
    std::vector<ScriptArgument> arguments;
    std::string usage;              // "drag X1 Y1 X2 Y2 [N]"
    std::vector<std::string> words; // for ScriptArgument::word
    std::string description;        // for --help
};

struct ScriptCommand {
    std::size_t line = 0;
    std::string name;
    std::vector<double> numbers; // numbers and counts, in order
    std::string text;            // the word or the text
};

// A line that cannot run: its number and what is wrong with it.
class ScriptError : public std::runtime_error {
  public:
    ScriptError(std::size_t line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }

  private:
    std::size_t line_;
};

// The commands every program knows.
std::vector<ScriptCommandSyntax> standardScriptCommands();

// Script lines are bounded: a longer one is refused, by its number, as soon as the limit
// is passed, so that input that never ends a line is not read whole.
constexpr std::size_t maximumScriptLineLength = 4096;

// Parses a whole script against `syntax`; throws ScriptError for the first bad line.
// Error messages quote at most 80 characters of the input they name.
std::vector<ScriptCommand> parseEventScript(std::istream& input,
                                            const std::vector<ScriptCommandSyntax>& syntax);
std::vector<ScriptCommand> parseEventScript(const std::string& text,
                                            const std::vector<ScriptCommandSyntax>& syntax);

// A decimal number as scripts write it: optional sign, digits, optional fraction
// ("12", "-3", "0.5", ".5"); false for anything else (no exponents, no "nan").
bool parseScriptNumber(const std::string& token, double& value);
