// The event script played on a session: the one place that runs its lines, lets time
// pass at `wait`, writes screenshots and ends a run that fails. Headless, time is the
// virtual clock, advanced to each line as it falls due; in a window it is the real
// clock, and the window's loop asks for the lines that are due at each turn.
//
// A line that cannot run now ends the run with status 2, a failure (output that
// cannot be written) with status 1, each with one line on standard error naming the
// program, the script and the line; `quit` (or Ctrl+Q) ends it with 0.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/Session/EventScript.h>
#include <Host/Session/HostSession.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A command of a program's own (keyboard-host's `key TEXT`). `run` may throw
// ScriptError for a line that cannot run in the current state.
struct HostScriptCommand {
    ScriptCommandSyntax syntax;
    std::function<void(const ScriptCommand& command, HostSession& session)> run;
};

// Something that failed while running (as opposed to a bad script line).
class HostFailure : public std::runtime_error {
  public:
    HostFailure(std::size_t line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }

  private:
    std::size_t line_;
};

// The lines of a script and the names its messages give: the program's, and the
// script's ("<stdin>", or its path).
struct HostScript {
    std::vector<ScriptCommand> lines;
    std::string programName;
    std::string name = "script";
};

class HostScriptPlayer {
  public:
    enum class Step { next, quit };

    explicit HostScriptPlayer(HostSession& session,
                              std::vector<HostScriptCommand> programCommands = {},
                              HostScript script = {});

    // Every command the scripts of a program with these commands of its own may use.
    static std::vector<ScriptCommandSyntax>
    syntax(const std::vector<HostScriptCommand>& programCommands);
    std::vector<ScriptCommandSyntax> syntax() const { return syntax(programCommands_); }
    HostSession& session() const { return session_; }

    // Headless: every line, the virtual clock advanced to each as it falls due. The
    // run's exit status.
    int playHeadless();
    // In a window: the lines due by the clock now. A status when the run ends here.
    std::optional<int> playDue();
    // Seconds until the next line is due (0: now); none once every line has run.
    std::optional<double> untilNextLine() const;
    // Where `screenshot` takes the screen (none: the session renders it).
    void setScreenSource(std::function<CGImageRef()> source) { screenSource_ = std::move(source); }

    // Runs one command. Throws ScriptError for a line that cannot run now, HostFailure
    // for a failure.
    Step run(const ScriptCommand& command);

  private:
    // tap, down, move, up, cancel and drag; false for any other command.
    bool runTouchCommand(const ScriptCommand& command);
    void runProgramCommand(const ScriptCommand& command);
    void pressAlertButton(const ScriptCommand& command);
    void writeScreenshot(const ScriptCommand& command) const;
    static void writeState(const ScriptCommand& command);
    int report(std::size_t line, const char* what, int status) const;

    HostSession& session_;
    std::vector<HostScriptCommand> programCommands_;
    HostScript script_;
    std::size_t next_ = 0;
    double due_ = 0;     // on the clock, when the next line may run
    double waiting_ = 0; // seconds of the last `wait`
    std::function<CGImageRef()> screenSource_;
};

// Writes `image` as PNG at `path`, making missing folders; throws std::runtime_error
// saying what could not be written.
void HostWriteScreenshot(const CGImageRef& image, const std::filesystem::path& path);
