#include <Host/Start/HostProgram.h>

#include <CoreGraphics/CGText.h>
#include <Foundation/NSFileManager.h>
#include <Host/Session/HostQuotedInput.h>
#include <Host/Session/HostScriptPlayer.h>
#include <Host/Session/HostStandardOutput.h>
#include <Host/Start/HostDeviceRoot.h>
#include <Host/Start/HostInstallation.h>
#include <Host/Start/HostSingleInstance.h>
#include <Host/Start/HostWindowModule.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIImage.h>
#include <UIKit/UIScreen.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace {

void report(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void report(const std::string& program, const std::string& message) {
    report(program + ": " + message);
}

// One help line a listed command, in the program's own words where it has them.
std::vector<std::string> scriptUsages(const std::vector<ScriptCommandSyntax>& syntax,
                                      const HostProgram& program) {
    std::vector<std::string> usages;
    for (const ScriptCommandSyntax& command : syntax) {
        if (std::ranges::find(program.unlistedCommands, command.name) !=
            program.unlistedCommands.end()) {
            continue;
        }
        auto own = program.commandDescriptions.find(command.name);
        std::string line = command.usage;
        line.resize(std::max<std::size_t>(line.size() + 2, 28), ' ');
        usages.push_back(
            line + (own != program.commandDescriptions.end() ? own->second : command.description));
    }
    return usages;
}

std::vector<std::string> keyUsages(const HostProgram& program) {
    std::vector<std::string> usages;
    for (const auto& [key, meaning] : program.keys) {
        std::string line = key;
        line.resize(std::max<std::size_t>(line.size() + 2, 20), ' ');
        usages.push_back(line + meaning);
    }
    return usages;
}

// Why `path` cannot be a script, with the path cut as every echo of input is cut;
// empty for a regular file.
std::string scriptFileProblem(const std::string& path) {
    NSFileError error;
    if (NSFileManager::isRegularFileAtHostPath(path, &error)) {
        return {};
    }
    if (error.code != 0) {
        return "cannot read the event script " + HostInputExcerpt(path) + ": " +
               std::strerror(error.code);
    }
    std::string reason = error.description;
    if (std::size_t at = reason.find(path); at != std::string::npos) {
        reason.replace(at, path.size(), HostInputExcerpt(path));
    }
    return "--events takes a regular file or - (standard input): " + reason;
}

// The script named by --events ("-" is standard input, whatever it is), checked whole.
// A named script must be a regular file: a folder, a device or a pipe is refused before
// it is read, as it could hold the run or never end.
std::vector<ScriptCommand> readScript(const std::string& path,
                                      const std::vector<ScriptCommandSyntax>& syntax) {
    if (path == "-") {
        return parseEventScript(std::cin, syntax);
    }
    if (std::string problem = scriptFileProblem(path); !problem.empty()) {
        throw HostUsageError(problem);
    }
    std::ifstream file(path);
    if (!file) {
        throw HostUsageError("cannot read the event script " + HostInputExcerpt(path));
    }
    return parseEventScript(file, syntax);
}

std::string scriptName(const HostSettings& settings) {
    if (!settings.eventsPath) {
        return "script";
    }
    return *settings.eventsPath == "-" ? std::string("<stdin>")
                                       : HostInputExcerpt(*settings.eventsPath);
}

// What the command line asked for, with the script read and checked.
struct StartRequest {
    std::string name;
    HostWindowIdentity identity;
    HostSettings settings;
    std::vector<ScriptCommand> script;
};

// PRISMKEY_WINDOW_POSITION=X,Y, as --position (scripts/run sets it to put the two
// programs side by side); none when it is not set.
std::optional<HostWindowPosition> positionFromEnvironment() {
    const char* text = std::getenv("PRISMKEY_WINDOW_POSITION");
    if (!text || !*text) {
        return std::nullopt;
    }
    std::optional<HostWindowPosition> position = HostParseWindowPosition(text);
    if (!position) {
        throw HostUsageError("PRISMKEY_WINDOW_POSITION must be X,Y in desktop pixels, not " +
                             HostQuotedInput(text));
    }
    return position;
}

// Parses the command line and reads the script; a status when the run ends here
// (help, version, or a bad option or script line).
std::optional<int> readStartRequest(int argc, char** argv, const HostProgram& program,
                                    StartRequest& request) {
    HostCommandLine commandLine(request.name, program.summary);
    for (const HostOption& option : program.options) {
        commandLine.addOption(option);
    }
    try {
        request.settings = commandLine.parse(argc, argv);
        if (!request.settings.position && !request.settings.headless) {
            request.settings.position = positionFromEnvironment();
        }
        std::vector<ScriptCommandSyntax> syntax = HostScriptPlayer::syntax(program.commands);
        if (request.settings.help || request.settings.version) {
            std::string problem;
            if (!HostWriteStandardOutput(
                    request.settings.help
                        ? commandLine.usage(scriptUsages(syntax, program), keyUsages(program))
                        : commandLine.versionLine() + "\n",
                    problem)) {
                report(request.name, "cannot write to standard output: " + problem);
                return 1;
            }
            return 0;
        }
        if (request.settings.eventsPath) {
            request.script = readScript(*request.settings.eventsPath, syntax);
        }
    } catch (const HostUsageError& error) {
        report(request.name, error.what());
        return 2;
    } catch (const ScriptError& error) {
        report(request.name, scriptName(request.settings) + ", line " +
                                 std::to_string(error.line()) + ": " + error.what());
        return 2;
    }
    return std::nullopt;
}

// The device root and the application's images; false when the root cannot be used.
bool prepareFiles(StartRequest& request) {
    std::optional<std::string> chosen =
        request.settings.root ? request.settings.root : NSFileManager::defaultDeviceRoot();
    if (!chosen) {
        report(request.name, "no device root: neither XDG_DATA_HOME nor HOME names an absolute "
                             "folder, and the password database has no home for user " +
                                 std::to_string(::getuid()) + "; give one with --root DIR");
        return false;
    }
    NSFileManager::setDeviceRoot(*chosen);
    HostInstallation installation = HostInstallation::current();
    HostDeviceRootPreparation root = HostPrepareDeviceRoot(installation.plugins);
    if (root.error) {
        report(request.name, *root.error);
        return false;
    }
    if (!root.installedPlugins.empty()) {
        std::string names;
        for (const std::string& plugin : root.installedPlugins) {
            names += (names.empty() ? "" : ", ") + plugin;
        }
        report("plug-ins: installed " + names + " into " + root.pluginFolder.string());
    }
    for (const std::string& problem : root.problems) {
        report(request.name, problem);
    }
    UIImage::setResourceDirectory(installation.resources);
    request.identity.icon = request.identity.applicationId.empty()
                                ? std::filesystem::path()
                                : installation.icons / "hicolor" / "64x64" / "apps" /
                                      (request.identity.applicationId + ".png");
    return true;
}

// The token the desktop started this process with, to let another window of ours come
// to the front in its stead (Wayland's xdg-activation, or X11's startup notification).
std::string desktopActivationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        if (const char* token = std::getenv(name); token && *token) {
            return token;
        }
    }
    return {};
}

// A second window of a single-window program in the same device root: the first is
// asked to come to the front and this run ends (status 0). A lock that cannot be held
// ends it too (status 1): without it a second window could open on the same files.
std::optional<int> claimDeviceRoot(const StartRequest& request, const HostProgram& program,
                                   std::unique_ptr<HostSingleInstance>& instance) {
    if (!program.singleWindow || request.settings.headless) {
        return std::nullopt;
    }
    HostSingleInstance::Claim claim = HostSingleInstance::Claim::refused;
    std::string refusal;
    instance = HostSingleInstance::claim(NSFileManager::hostPath("/"), request.name, claim,
                                         desktopActivationToken(), &refusal);
    if (claim == HostSingleInstance::Claim::refused) {
        report(request.name, refusal);
        return 1;
    }
    if (claim == HostSingleInstance::Claim::another) {
        report(request.name, "already open for this device root; brought its window to the front");
        return 0;
    }
    if (claim == HostSingleInstance::Claim::behind) {
        report(request.name, "already open for this device root, but the desktop did not let its "
                             "window come to the front; switch to it yourself");
        return 0;
    }
    if (claim == HostSingleInstance::Claim::silent) {
        report(request.name, "already open for this device root, but that window does not answer "
                             "(it may be stopped); not opening a second one");
        return 1;
    }
    return std::nullopt;
}

// The window, from the window library, closed when this goes.
class OpenWindow {
  public:
    OpenWindow() = default;
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;
    ~OpenWindow() {
        if (window_) {
            module_->close(window_);
        }
    }
    // Loads the window library and sets what its libraries read from the environment:
    // before any thread starts.
    void prepare(const HostWindowIdentity& identity) {
        std::string error; // said by open, if it stays
        module_ = HostLoadWindowModule(error);
        if (module_) {
            module_->prepare(identity);
        }
    }
    bool open(const HostWindowIdentity& identity, const HostSettings& settings, std::string& error,
              std::string& warning) {
        module_ = HostLoadWindowModule(error);
        window_ = module_
                      ? module_->open(identity, settings.scale, settings.position, error, warning)
                      : nullptr;
        return window_ != nullptr;
    }
    explicit operator bool() const { return window_ != nullptr; }
    int scale() const { return module_->scale(window_); }
    int run(HostScriptPlayer& player, const std::string& applicationName) {
        return module_->run(window_, player, applicationName);
    }
    bool requestRaise(const std::string& token, std::chrono::milliseconds limit) {
        return module_->requestRaise(window_, token, static_cast<int>(limit.count()));
    }

  private:
    const HostWindowModule* module_ = nullptr;
    HostWindow* window_ = nullptr;
};

// Opens the window unless the run is headless; a status when there is no display.
std::optional<int> openWindow(const StartRequest& request, OpenWindow& window) {
    if (request.settings.headless) {
        return std::nullopt;
    }
    std::string error;
    std::string warning;
    if (!window.open(request.identity, request.settings, error, warning)) {
        report(request.name, error);
        return 2;
    }
    if (!warning.empty()) {
        report(request.name, warning);
    }
    return std::nullopt;
}

// The screen's scale and the clock, the launch, then the script in the window or
// headless.
int launchAndRun(StartRequest& request, const HostProgram& program, OpenWindow& window) {
    int scale = window ? window.scale() : request.settings.scale.value_or(1);
    if (window) {
        CAMediaTimeUseRealClock();
    }
    UIScreen::mainScreen()->setScale(static_cast<CGFloat>(scale));
    if (program.launch && !program.launch()) {
        report(request.name, "the application did not finish launching");
        return 1;
    }
    HostSession session(static_cast<CGFloat>(scale));
    session.setCharacterKeys(program.characterKeys);
    session.setFocusHandler(program.focused);
    HostScriptPlayer player(
        session, program.commands,
        HostScript{std::move(request.script), request.name, scriptName(request.settings)});
    return window ? window.run(player, request.name) : player.playHeadless();
}

} // namespace

int HostRun(int argc, char** argv, const HostProgram& program) {
    StartRequest request;
    request.name = program.name;
    if (request.name.empty()) {
        request.name = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "program";
    }
    request.identity.title = program.title.empty() ? request.name : program.title;
    request.identity.applicationId = program.applicationId;
    if (std::optional<int> status = readStartRequest(argc, argv, program, request)) {
        return *status;
    }
    if (!prepareFiles(request)) {
        return 1;
    }
    CAMediaTimeUseVirtualClock(0);
    UIScreen::mainScreen()->setScale(static_cast<CGFloat>(request.settings.scale.value_or(1)));
    if (program.beforeRun) {
        if (std::optional<int> status = program.beforeRun(request.settings)) {
            return *status;
        }
    }
    OpenWindow window;
    if (!request.settings.headless) {
        window.prepare(request.identity);
    }
    // Only a program that goes on to show its screen needs fonts (not `--query`): they
    // load (beside this thread) while the window opens and the application launches.
    CGTextPrepareFonts();
    std::unique_ptr<HostSingleInstance> instance;
    if (std::optional<int> status = claimDeviceRoot(request, program, instance)) {
        return *status;
    }
    if (std::optional<int> status = openWindow(request, window)) {
        return *status;
    }
    if (instance) {
        instance->setRaiseHandler([&window](const std::string& token) {
            return window.requestRaise(token, HostSingleInstance::raiseLimit);
        });
    }
    int status = launchAndRun(request, program, window);
    if (instance) {
        instance->setRaiseHandler(nullptr);
    }
    return status;
}
