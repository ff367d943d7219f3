// The code-injection loader: loads the plug-ins of a folder whose filters match the
// running process, so that each plug-in's initialiser runs in it.
//
// A plug-in is `<folder>/<name>.dylib` with its filter `<folder>/<name>.plist`, a
// property list whose "Filter" dictionary names the processes it is for:
//   Bundles      bundle identifiers, one of which the process has loaded
//                ("com.apple.UIKit" for every process that shows views)
//   Executables  executable names, one of which is the process's
//   Classes      class names, one of which the runtime knows
// Every list present must match, or any one of them when "Mode" is "Any". Plug-ins
// load in file-name order and stay loaded until the process ends.
//
// Only code that nobody else could have replaced runs: the folder, each library and
// each filter, and every folder on the way to them along every link, must be owned by
// root or by the user running the process and be writable by nobody else (see
// PluginTrustedWay), and a library must be a whole shared object for this machine,
// checked before it is mapped. What is read and mapped is the file that was checked,
// through its descriptor. Anything else is skipped with the reason, every name in it
// quoted (ns_quotedText), so that no name can pass for another line of a log.
#pragma once

#include <memory>
#include <string>
#include <vector>

class NSDictionary;

struct PluginProcess {
    std::string executableName;
    std::vector<std::string> bundleIdentifiers;
};

struct PluginLoadResult {
    enum class Outcome { Loaded, NotForThisProcess, Failed };
    std::string name; // the file name without ".dylib"
    Outcome outcome = Outcome::Failed;
    std::string message; // why it was not loaded
};

class PluginLoader {
  public:
    // One result for each "*.dylib" in `folder`, in load order. A folder that does
    // not exist holds no plug-ins; one that cannot be trusted loads none, with the
    // reason in `folderProblem`.
    static std::vector<PluginLoadResult> loadPlugins(const std::string& folder,
                                                     const PluginProcess& process,
                                                     std::string* folderProblem = nullptr);

    // The filter at `path` (a host path), read as every property-list file is read;
    // null with the reason in `problem` when it is missing, not a regular file, past
    // the reading budget or not a dictionary.
    static std::shared_ptr<NSDictionary> filterAtPath(const std::string& path,
                                                      std::string* problem);

    // Whether `filter` (the whole filter property list) selects `process`; when it
    // cannot be read as a filter, false with the reason in `problem`.
    static bool filterMatches(const NSDictionary& filter, const PluginProcess& process,
                              std::string* problem);

    // The names of the results that were loaded.
    static std::vector<std::string> loadedNames(const std::vector<PluginLoadResult>& results);
};
