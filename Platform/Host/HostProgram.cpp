#include <Host/HostProgram.h>

#include <Foundation/NSFileManager.h>
#include <Host/HostWindow.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIScreen.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

void report(const std::string& program, const std::string& message) {
    std::string line = program + ": " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::vector<std::string> scriptUsages(const std::vector<ScriptCommandSyntax>& syntax) {
    std::vector<std::string> usages;
    for (const ScriptCommandSyntax& command : syntax) {
        std::string line = command.usage;
        line.resize(std::max<std::size_t>(line.size() + 2, 28), ' ');
        usages.push_back(line + command.description);
    }
    return usages;
}

// The script named by --events ("-" is standard input), checked whole.
std::vector<ScriptCommand> readScript(const std::string& path,
                                      const std::vector<ScriptCommandSyntax>& syntax) {
    if (path == "-") {
        return parseEventScript(std::cin, syntax);
    }
    std::ifstream file(path);
    if (!file) {
        throw HostUsageError("cannot read the event script " + path);
    }
    return parseEventScript(file, syntax);
}

std::string scriptName(const HostSettings& settings) {
    if (!settings.eventsPath) {
        return "script";
    }
    return *settings.eventsPath == "-" ? std::string("<stdin>") : *settings.eventsPath;
}

int runHeadless(HostSession& session, const std::vector<ScriptCommand>& script,
                const std::string& program, const std::string& name) {
    session.setWaitHandler([](double seconds) { CAMediaTimeAdvance(seconds); });
    for (const ScriptCommand& command : script) {
        try {
            if (session.run(command) == HostSession::Step::quit) {
                return 0;
            }
        } catch (const ScriptError& error) {
            report(program, name + ", line " + std::to_string(error.line()) + ": " + error.what());
            return 2;
        } catch (const HostFailure& failure) {
            report(program,
                   name + ", line " + std::to_string(failure.line()) + ": " + failure.what());
            return 1;
        }
    }
    return 0;
}

void prepareDeviceRoot(const HostSettings& settings, const std::string& program) {
    NSFileManager::setDeviceRoot(settings.root ? *settings.root
                                               : NSFileManager::defaultDeviceRoot());
    NSFileError error;
    if (!NSFileManager::defaultManager()->createStandardDeviceFolders(&error)) {
        report(program, "cannot prepare the device root " + NSFileManager::deviceRoot() + ": " +
                            error.description);
    }
}

} // namespace

int HostRun(int argc, char** argv, const HostProgram& program) {
    std::string name = program.name;
    if (name.empty()) {
        name = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "program";
    }
    HostCommandLine commandLine(name, program.summary);
    for (const HostOption& option : program.options) {
        commandLine.addOption(option);
    }
    std::vector<HostScriptCommand> commands = program.commands;
    HostSettings settings;
    std::vector<ScriptCommand> script;
    std::vector<ScriptCommandSyntax> syntax;
    try {
        settings = commandLine.parse(argc, argv);
        HostSession probe(1, commands);
        syntax = probe.scriptSyntax();
        if (settings.help) {
            std::cout << commandLine.usage(scriptUsages(syntax));
            return 0;
        }
        prepareDeviceRoot(settings, name);
        if (settings.eventsPath) {
            script = readScript(*settings.eventsPath, syntax);
        }
    } catch (const HostUsageError& error) {
        report(name, error.what());
        return 2;
    } catch (const ScriptError& error) {
        report(name, scriptName(settings) + ", line " + std::to_string(error.line()) + ": " +
                         error.what());
        return 2;
    }

    CAMediaTimeUseVirtualClock(0);
    UIScreen::mainScreen()->setScale(static_cast<CGFloat>(settings.scale.value_or(1)));
    if (program.beforeRun) {
        if (std::optional<int> status = program.beforeRun(settings)) {
            return *status;
        }
    }

    std::unique_ptr<HostWindow> window;
    int scale = settings.scale.value_or(1);
    if (!settings.headless) {
        std::string error;
        window = HostWindow::open(name, settings.scale, error);
        if (!window) {
            report(name, error);
            return 2;
        }
        scale = window->scale();
        CAMediaTimeUseRealClock();
    }
    UIScreen::mainScreen()->setScale(static_cast<CGFloat>(scale));

    if (program.launch && !program.launch()) {
        report(name, "the application did not finish launching");
        return 1;
    }
    HostSession session(static_cast<CGFloat>(scale), commands);
    if (window) {
        return window->run(session, script, scriptName(settings));
    }
    return runHeadless(session, script, name, scriptName(settings));
}

std::function<bool()> HostLaunchApplicationDelegate(const std::string& delegateClassName) {
    return [delegateClassName] {
        const UIApplicationRef& application = UIApplication::sharedApplication();
        std::shared_ptr<UIApplicationDelegate> delegate =
            UIApplicationCreateDelegate(delegateClassName);
        if (!delegate) {
            report(program_invocation_short_name,
                   "no application delegate class is registered as \"" + delegateClassName + "\"");
            return false;
        }
        application->setDelegate(std::move(delegate));
        return application->finishLaunching();
    };
}
