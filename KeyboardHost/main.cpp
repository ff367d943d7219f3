// keyboard-host: the stand-in keyboard-hosting process. It registers the keyboard
// classes, loads the plug-ins whose filters select it, and shows the keyboard.
#include "KeyboardClasses.h"
#include "KeyboardHostOptions.h"
#include "KeyboardQuery.h"

#include <Foundation/NSFileManager.h>
#include <PluginLoader.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

constexpr int usageError = 2;

int fail(const std::string& message) {
    std::cerr << "keyboard-host: " << message << "\n";
    return usageError;
}

std::vector<std::string> loadPlugins(const KeyboardHostOptions& options) {
    std::string folder = options.plugins.empty()
                             ? NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries")
                             : options.plugins;
    // The process shows views, so it has UIKit loaded.
    const PluginProcess process{"keyboard-host", {"com.apple.UIKit", "com.apple.Foundation"}};
    std::vector<PluginLoadResult> results = PluginLoader::loadPlugins(folder, process);
    for (const PluginLoadResult& result : results) {
        if (result.outcome == PluginLoadResult::Outcome::Failed) {
            std::cerr << "keyboard-host: plug-in " << result.name
                      << " not loaded: " << result.message << "\n";
        }
    }
    return PluginLoader::loadedNames(results);
}

} // namespace

int main(int argc, char** argv) {
    KeyboardHostCommandLine line =
        parseKeyboardHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        return fail(line.error + " (try --help)");
    }
    const KeyboardHostOptions& options = line.options;
    if (options.help) {
        std::cout << keyboardHostUsage();
        return 0;
    }
    if (!options.query) {
        const char* what = options.headless          ? "--headless"
                           : !options.events.empty() ? "--events"
                                                     : "the keyboard window";
        return fail(std::string(what) +
                    " is not yet available: the keyboard is not drawn yet; use --query");
    }
    if (!options.plugins.empty() && !std::filesystem::is_directory(options.plugins)) {
        return fail("no plug-in folder " + options.plugins);
    }
    if (!options.root.empty()) {
        NSFileManager::setDeviceRoot(options.root);
    }
    KeyboardClasses::registerAll();
    std::vector<std::string> plugins = loadPlugins(options);
    std::cout << keyboardQueryJSON(runKeyboardQuery(std::move(plugins))) << std::endl;
    return 0;
}
