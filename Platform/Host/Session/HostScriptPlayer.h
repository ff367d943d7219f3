// Event-script commands run on a session: the commands every program knows and the
// program's own. The window and the headless run share it; they differ in how time
// passes (`wait`) and where a screenshot's pixels come from.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/Session/EventScript.h>
#include <Host/Session/HostSession.h>

#include <filesystem>
#include <functional>
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

class HostScriptRunner {
  public:
    enum class Step { next, quit };

    explicit HostScriptRunner(HostSession& session,
                              std::vector<HostScriptCommand> programCommands = {});

    // Every command the scripts of a program with these commands of its own may use.
    static std::vector<ScriptCommandSyntax>
    syntax(const std::vector<HostScriptCommand>& programCommands);
    std::vector<ScriptCommandSyntax> syntax() const { return syntax(programCommands_); }
    HostSession& session() const { return session_; }

    // Runs one command. Throws ScriptError for a line that cannot run now, HostFailure
    // for a failure.
    Step run(const ScriptCommand& command);
    // How `wait` lets time pass (none: it does not).
    void setWaitHandler(std::function<void(double seconds)> handler) {
        waitHandler_ = std::move(handler);
    }
    // Where `screenshot` takes its pixels (none: the session renders the screen).
    void setScreenshotSource(std::function<CGImageRef()> source) {
        screenshotSource_ = std::move(source);
    }

  private:
    // tap, down, move, up, cancel and drag; false for any other command.
    bool runTouchCommand(const ScriptCommand& command);
    void runProgramCommand(const ScriptCommand& command);
    void pressAlertButton(const ScriptCommand& command);
    void writeScreenshot(const ScriptCommand& command) const;
    void writeState(const ScriptCommand& command) const;

    HostSession& session_;
    std::vector<HostScriptCommand> programCommands_;
    std::function<void(double)> waitHandler_;
    std::function<CGImageRef()> screenshotSource_;
};

// Writes `image` as PNG at `path`, making missing folders; throws std::runtime_error
// saying what could not be written.
void HostWriteScreenshot(const CGImageRef& image, const std::filesystem::path& path);
