// keyboard-host: the stand-in keyboard-hosting process. It registers the keyboard
// classes, loads the plug-ins whose filters select it, and shows a text field and
// the keyboard.
#include "KeyboardClasses.h"
#include "KeyboardHostCommands.h"
#include "KeyboardHostKeys.h"
#include "KeyboardHostViewController.h"
#include "KeyboardQuery.h"

#include <Foundation/NSFileManager.h>
#include <Foundation/NSString.h>
#include <Host/Session/HostQuotedInput.h>
#include <Host/Session/HostStandardOutput.h>
#include <Host/Start/HostProgram.h>
#include <PluginLoader.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIWindow.h>

#include <filesystem>
#include <iostream>

namespace {

struct KeyboardHostState {
    std::string plugins; // empty: the device root's plug-in folder
    bool query = false;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KeyboardHostViewController> controller;
};

KeyboardHostState& state() {
    static KeyboardHostState instance;
    return instance;
}

void report(const std::string& message) {
    std::cerr << "keyboard-host: " << message << "\n";
}

std::vector<std::string> loadPlugins() {
    std::string folder = state().plugins.empty()
                             ? NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries")
                             : state().plugins;
    // The process shows views, so it has UIKit loaded.
    const PluginProcess process{"keyboard-host", {"com.apple.UIKit", "com.apple.Foundation"}};
    std::string folderProblem;
    std::vector<PluginLoadResult> results =
        PluginLoader::loadPlugins(folder, process, &folderProblem);
    if (!folderProblem.empty()) {
        report("plug-ins not loaded: " + folderProblem);
    }
    for (const PluginLoadResult& result : results) {
        if (result.outcome == PluginLoadResult::Outcome::Failed) {
            report("plug-in " + ns_quotedText(result.name) + " not loaded: " + result.message);
        }
    }
    return PluginLoader::loadedNames(results);
}

// The answer is the whole point of a query: one that cannot be written (standard
// output on a full device) is a failure, said in one line.
int printQueryAnswer(const std::string& line) {
    std::string problem;
    if (!HostWriteStandardOutput(line + "\n", problem)) {
        report("cannot write the answer to standard output: " + problem);
        return 1;
    }
    return 0;
}

std::optional<int> beforeRun(const HostSettings&) {
    KeyboardClasses::registerAll();
    std::vector<std::string> plugins = loadPlugins();
    if (state().query) {
        return printQueryAnswer(keyboardQueryJSON(runKeyboardQuery(std::move(plugins))));
    }
    return std::nullopt;
}

bool launch() {
    state().window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    state().controller = std::make_shared<KeyboardHostViewController>();
    state().window->setRootViewController(state().controller);
    state().window->makeKeyAndVisible();
    return true;
}

UIPeripheralHostView* hostView() {
    return state().controller ? state().controller->hostView() : nullptr;
}

std::optional<HostOnScreenKey> onScreenKey(const HostKey& key) {
    UIPeripheralHostView* keyboard = hostView();
    return keyboard ? KeyboardHostKeys::onScreenKey(*keyboard, key) : std::nullopt;
}

// Checked as the option is read, before the device root is touched.
void choosePluginFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (!std::filesystem::exists(status)) {
        throw HostUsageError("no plug-in folder " + HostInputExcerpt(folder));
    }
    if (!std::filesystem::is_directory(status)) {
        throw HostUsageError("no plug-in folder " + HostInputExcerpt(folder) +
                             ": it is not a folder");
    }
    state().plugins = folder;
}

HostProgram keyboardHostProgram() {
    HostProgram program;
    program.name = "keyboard-host";
    // As io.prismkey.KeyboardHost.desktop names it.
    program.title = "Prismkey Keyboard Host";
    program.applicationId = "io.prismkey.KeyboardHost";
    program.summary = "the keyboard-hosting process: a text field and the keyboard, with the "
                      "device root's plug-ins loaded";
    program.keys = {
        {"a-z, 0-9, space", "type through their on-screen keys, shown pressed"},
        {"Shift+a-z", "a capital (shift tapped first)"},
        {"-/:;()$&@\".,?!'", "the punctuation the keyboard has (its 123 keyplane)"},
        {"BackSpace, Return", "tap delete and return; held keys repeat"},
        {"Tab, Shift+Tab", "move the focus through the keys"},
        {"Ctrl+Q", "quit"},
    };
    program.unlistedCommands = {"alert", "rotate"};
    program.commandDescriptions["press"] =
        "a key of the computer's keyboard, as in the window: a letter or digit, space, "
        "BackSpace, Return, Tab, with Shift+ or Ctrl+ before it";
    program.options.push_back({"--plugins", "DIR",
                               "load plug-ins from DIR instead of the device root's "
                               "/Library/MobileSubstrate/DynamicLibraries",
                               choosePluginFolder});
    program.options.push_back({"--query", "",
                               "run one layout pass and one appearance query, print them as one "
                               "JSON line and exit (no display needed)",
                               [](const std::string&) { state().query = true; }});
    program.commands = KeyboardHostCommands::commands(hostView);
    program.characterKeys = onScreenKey;
    program.beforeRun = beforeRun;
    program.launch = launch;
    program.focused = [] {
        if (state().controller) {
            state().controller->keyboardShown();
        }
    };
    return program;
}

} // namespace

int main(int argc, char** argv) {
    return HostRun(argc, argv, keyboardHostProgram());
}
