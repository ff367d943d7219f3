#include <Host/Session/HostScriptPlayer.h>

#include <Host/Session/HostQuotedInput.h>
#include <Host/Session/HostStateLine.h>
#include <UIKit/UIAlertView.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace {

CGPoint pointOf(const ScriptCommand& command, std::size_t first = 0) {
    return {static_cast<CGFloat>(command.numbers[first]),
            static_cast<CGFloat>(command.numbers[first + 1])};
}

// Why `title` could not be pressed: no alert, or the alert's own buttons.
std::string alertButtonProblem(const std::string& title) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    if (alert == nullptr) {
        return "no alert is showing, so there is no " + HostQuotedInput(title) + " button to press";
    }
    std::string buttons;
    for (NSInteger i = 0; i < alert->numberOfButtons(); ++i) {
        buttons += (i ? ", \"" : "\"") + alert->buttonTitleAtIndex(i) + "\"";
    }
    return "the alert \"" + alert->title() + "\" has no button " + HostQuotedInput(title) +
           " (its buttons: " + buttons + ")";
}

} // namespace

HostScriptRunner::HostScriptRunner(HostSession& session,
                                   std::vector<HostScriptCommand> programCommands)
    : session_(session), programCommands_(std::move(programCommands)) {}

std::vector<ScriptCommandSyntax>
HostScriptRunner::syntax(const std::vector<HostScriptCommand>& programCommands) {
    std::vector<ScriptCommandSyntax> syntax = standardScriptCommands();
    syntax.push_back({"focus", {}, "focus", {}, "the window gains focus (as when switched to)"});
    for (const HostScriptCommand& command : programCommands) {
        syntax.push_back(command.syntax);
    }
    return syntax;
}

void HostWriteScreenshot(const CGImageRef& image, const std::filesystem::path& path) {
    std::error_code error;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) {
            throw std::runtime_error("cannot make the folder " +
                                     HostInputExcerpt(path.parent_path().string()) + ": " +
                                     error.message());
        }
    }
    if (!image) {
        throw std::runtime_error("cannot write the screenshot " + HostInputExcerpt(path.string()) +
                                 ": there is no frame to write");
    }
    if (!CGImageWritePNG(image, path)) {
        throw std::runtime_error("cannot write the screenshot " + HostInputExcerpt(path.string()) +
                                 ": " + std::strerror(errno));
    }
}

void HostScriptRunner::writeScreenshot(const ScriptCommand& command) const {
    try {
        HostWriteScreenshot(screenshotSource_ ? screenshotSource_() : session_.renderFrame(),
                            command.text);
    } catch (const std::runtime_error& error) {
        throw HostFailure(command.line, error.what());
    }
}

// The state line; standard output that takes no more (a full device, a closed pipe)
// is a failure of the run, not a silent success.
void HostScriptRunner::writeState(const ScriptCommand& command) const {
    std::string line = HostAccessibilityStateJSON() + "\n";
    errno = 0;
    bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
    if (std::fflush(stdout) != 0 || !written) {
        throw HostFailure(command.line, std::string("cannot write the state to standard output: ") +
                                            std::strerror(errno != 0 ? errno : EIO));
    }
}

void HostScriptRunner::pressAlertButton(const ScriptCommand& command) {
    if (!session_.pressAlertButton(command.text)) {
        throw ScriptError(command.line, alertButtonProblem(command.text));
    }
}

bool HostScriptRunner::runTouchCommand(const ScriptCommand& command) {
    const std::string& name = command.name;
    auto requireTouch = [&](bool ok, const char* problem) {
        if (!ok) {
            throw ScriptError(command.line, problem);
        }
    };
    if (name == "tap") {
        requireTouch(session_.tap(pointOf(command)),
                     "tap while a finger is down (lift it with up or cancel first)");
    } else if (name == "down") {
        requireTouch(session_.touchDown(pointOf(command)),
                     "down while a finger is already down (one finger only)");
    } else if (name == "move") {
        requireTouch(session_.touchMove(pointOf(command)),
                     "move with no finger down (use down first)");
    } else if (name == "up") {
        requireTouch(session_.touchUp(pointOf(command)), "up with no finger down (use down first)");
    } else if (name == "cancel") {
        requireTouch(session_.touchCancel(), "cancel with no finger down (use down first)");
    } else if (name == "drag") {
        int moves = command.numbers.size() > 4 ? static_cast<int>(command.numbers[4]) : 8;
        requireTouch(session_.drag(pointOf(command, 0), pointOf(command, 2), moves),
                     "drag while a finger is down (lift it with up or cancel first)");
    } else {
        return false;
    }
    return true;
}

void HostScriptRunner::runProgramCommand(const ScriptCommand& command) {
    for (const HostScriptCommand& own : programCommands_) {
        if (own.syntax.name == command.name) {
            own.run(command, session_);
            session_.changed();
            return;
        }
    }
    throw ScriptError(command.line, "unknown command \"" + command.name + "\"");
}

HostScriptRunner::Step HostScriptRunner::run(const ScriptCommand& command) {
    const std::string& name = command.name;
    if (runTouchCommand(command)) {
        return Step::next;
    }
    if (name == "alert") {
        pressAlertButton(command);
    } else if (name == "press") {
        std::optional<HostKey> key = HostKeyNamed(command.text);
        if (key && key->quits()) {
            return Step::quit; // as in a window
        }
        if (key) {
            session_.pressKey(*key);
        }
    } else if (name == "rotate") {
        session_.rotate(command.text == "landscape");
    } else if (name == "wait") {
        if (waitHandler_) {
            waitHandler_(command.numbers[0] / 1000.0);
        }
        session_.changed();
    } else if (name == "screenshot") {
        writeScreenshot(command);
    } else if (name == "state") {
        writeState(command);
    } else if (name == "focus") {
        session_.focus();
    } else if (name == "quit") {
        return Step::quit;
    } else {
        runProgramCommand(command);
    }
    return Step::next;
}
