#include <Host/Session/HostScriptPlayer.h>

#include <Host/Session/HostQuotedInput.h>
#include <Host/Session/HostStandardOutput.h>
#include <Host/Session/HostStateLine.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIAlertView.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

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

HostScriptPlayer::HostScriptPlayer(HostSession& session,
                                   std::vector<HostScriptCommand> programCommands,
                                   HostScript script)
    : session_(session), programCommands_(std::move(programCommands)), script_(std::move(script)) {}

std::vector<ScriptCommandSyntax>
HostScriptPlayer::syntax(const std::vector<HostScriptCommand>& programCommands) {
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

void HostScriptPlayer::writeScreenshot(const ScriptCommand& command) const {
    try {
        HostWriteScreenshot(screenSource_ ? screenSource_() : session_.renderFrame(), command.text);
    } catch (const std::runtime_error& error) {
        throw HostFailure(command.line, error.what());
    }
}

// The state line; standard output that takes no more (a full device, a closed pipe)
// is a failure of the run, not a silent success.
void HostScriptPlayer::writeState(const ScriptCommand& command) {
    std::string problem;
    if (!HostWriteStandardOutput(HostStateLine() + "\n", problem)) {
        throw HostFailure(command.line, "cannot write the state to standard output: " + problem);
    }
}

void HostScriptPlayer::pressAlertButton(const ScriptCommand& command) {
    if (!session_.pressAlertButton(command.text)) {
        throw ScriptError(command.line, alertButtonProblem(command.text));
    }
}

bool HostScriptPlayer::runTouchCommand(const ScriptCommand& command) {
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

void HostScriptPlayer::runProgramCommand(const ScriptCommand& command) {
    for (const HostScriptCommand& own : programCommands_) {
        if (own.syntax.name == command.name) {
            own.run(command, session_);
            session_.changed();
            return;
        }
    }
    throw ScriptError(command.line, "unknown command \"" + command.name + "\"");
}

HostScriptPlayer::Step HostScriptPlayer::run(const ScriptCommand& command) {
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
        waiting_ = command.numbers[0] / 1000.0;
        due_ = CACurrentMediaTime() + waiting_;
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

int HostScriptPlayer::report(std::size_t line, const char* what, int status) const {
    std::string text = script_.programName + ": " + script_.name + ", line " +
                       std::to_string(line) + ": " + what + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    return status;
}

std::optional<int> HostScriptPlayer::playDue() {
    while (next_ < script_.lines.size() && CACurrentMediaTime() >= due_) {
        const ScriptCommand& command = script_.lines[next_++];
        try {
            if (run(command) == Step::quit) {
                return 0;
            }
        } catch (const ScriptError& error) {
            return report(error.line(), error.what(), 2);
        } catch (const HostFailure& failure) {
            return report(failure.line(), failure.what(), 1);
        }
    }
    return std::nullopt;
}

std::optional<double> HostScriptPlayer::untilNextLine() const {
    if (next_ >= script_.lines.size()) {
        return std::nullopt;
    }
    return std::max(due_ - CACurrentMediaTime(), 0.0);
}

int HostScriptPlayer::playHeadless() {
    while (true) {
        if (std::optional<int> status = playDue()) {
            return *status;
        }
        if (next_ >= script_.lines.size()) {
            return 0;
        }
        // The clock moves by exactly what the script waited.
        CAMediaTimeAdvance(waiting_);
        due_ = CACurrentMediaTime();
        session_.changed();
    }
}
