#include <PluginLoader.h>

#include <ELFSharedObjectCheck.h>
#include <PluginTrustedFile.h>

#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/NSString.h>
#include <objc/runtime.h>

#include <algorithm>
#include <cerrno>
#include <dlfcn.h>
#include <filesystem>
#include <iterator>
#include <mutex>

namespace fs = std::filesystem;

namespace {

enum class ListMatch { Absent, Matches, NoMatch, Malformed };

ListMatch matchList(const NSDictionary& filter, const char* key,
                    bool (*matches)(const std::string&, const PluginProcess&),
                    const PluginProcess& process) {
    NSObjectRef value = filter.objectForKey(key);
    if (!value) {
        return ListMatch::Absent;
    }
    auto names = ns_cast<NSArray>(value);
    if (!names) {
        return ListMatch::Malformed;
    }
    bool any = false;
    for (const NSObjectRef& item : *names) {
        auto name = ns_cast<NSString>(item);
        if (!name) {
            return ListMatch::Malformed;
        }
        any = any || matches(name->utf8(), process);
    }
    return any ? ListMatch::Matches : ListMatch::NoMatch;
}

bool hasBundle(const std::string& name, const PluginProcess& process) {
    const auto& bundles = process.bundleIdentifiers;
    return std::find(bundles.begin(), bundles.end(), name) != bundles.end();
}

bool isExecutable(const std::string& name, const PluginProcess& process) {
    return name == process.executableName;
}

bool hasClass(const std::string& name, const PluginProcess&) {
    return objc_getClass(name.c_str()) != nullptr;
}

// The filter file is a host path, not a device path: read as every property-list file
// is read (a regular file, at most 64 KiB, opened without waiting) and parsed within
// the same budget.
std::shared_ptr<NSDictionary> readFilter(const fs::path& path, std::string& problem) {
    NSFileManager::ReadBuffer buffer;
    NSFileError error;
    std::optional<std::string_view> contents =
        NSFileManager::contentsAtHostPath(path.string(), buffer, &error);
    const std::string name = path.filename().string();
    if (!contents) {
        problem = error.code == ENOENT ? "no filter " + name
                                       : "filter " + name + ": " + error.description;
        return nullptr;
    }
    std::string reason;
    NSObjectRef list = NSPropertyListSerialization::propertyListWithData(*contents, &reason);
    auto filter = ns_cast<NSDictionary>(list);
    if (!filter) {
        problem = "filter " + name + (list ? " is not a dictionary" : ": " + reason);
    }
    return filter;
}

// Neither file is read or mapped before it passes: an untrusted filter is not parsed,
// an untrusted or incomplete library never reaches the dynamic linker.
PluginLoadResult loadOne(const fs::path& library, const PluginProcess& process) {
    PluginLoadResult result;
    result.name = library.stem().string();
    fs::path filterPath = library;
    filterPath.replace_extension(".plist");
    bool missing = false;
    if (!PluginTrustedFile::open(filterPath, PluginTrustedFile::Kind::RegularFile, result.message,
                                 &missing)
             .isOpen()) {
        if (missing) {
            result.message = "no filter " + filterPath.filename().string();
        }
        return result;
    }
    std::shared_ptr<NSDictionary> filter = readFilter(filterPath, result.message);
    if (!filter) {
        return result;
    }
    if (!PluginLoader::filterMatches(*filter, process, &result.message)) {
        if (result.message.empty()) {
            result.outcome = PluginLoadResult::Outcome::NotForThisProcess;
            result.message = "its filter does not select " + process.executableName;
        }
        return result;
    }
    PluginTrustedFile file =
        PluginTrustedFile::open(library, PluginTrustedFile::Kind::RegularFile, result.message);
    if (!file.isOpen()) {
        return result;
    }
    if (std::string problem = ELFSharedObjectProblem(file.fd(), file.size()); !problem.empty()) {
        result.message = library.string() + " " + problem;
        return result;
    }
    // Never closed: the plug-in's replacements stay installed until the process ends.
    if (dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
        const char* error = dlerror();
        result.message = error ? error : "cannot be loaded";
        return result;
    }
    result.outcome = PluginLoadResult::Outcome::Loaded;
    return result;
}

} // namespace

std::shared_ptr<NSDictionary> PluginLoader::filterAtPath(const std::string& path,
                                                         std::string* problem) {
    std::string reason;
    std::shared_ptr<NSDictionary> filter = readFilter(path, reason);
    if (problem != nullptr) {
        *problem = std::move(reason);
    }
    return filter;
}

bool PluginLoader::filterMatches(const NSDictionary& filter, const PluginProcess& process,
                                 std::string* problem) {
    auto fail = [&](std::string why) {
        if (problem != nullptr) {
            *problem = std::move(why);
        }
        return false;
    };
    auto lists = ns_cast<NSDictionary>(filter.objectForKey("Filter"));
    if (!lists) {
        return fail("the filter has no \"Filter\" dictionary");
    }
    struct Criterion {
        const char* key;
        bool (*matches)(const std::string&, const PluginProcess&);
    };
    const Criterion criteria[] = {
        {"Bundles", hasBundle}, {"Executables", isExecutable}, {"Classes", hasClass}};
    auto mode = ns_cast<NSString>(lists->objectForKey("Mode"));
    bool anyMode = mode && mode->isEqualToString("Any");
    int present = 0, matched = 0;
    for (const Criterion& criterion : criteria) {
        switch (matchList(*lists, criterion.key, criterion.matches, process)) {
        case ListMatch::Absent:
            break;
        case ListMatch::Malformed:
            return fail(std::string("Filter/") + criterion.key + " is not a list of names");
        case ListMatch::Matches:
            ++matched;
            ++present;
            break;
        case ListMatch::NoMatch:
            ++present;
            break;
        }
    }
    return present > 0 && (anyMode ? matched > 0 : matched == present);
}

std::vector<PluginLoadResult> PluginLoader::loadPlugins(const std::string& folder,
                                                        const PluginProcess& process,
                                                        std::string* folderProblem) {
    std::error_code error;
    fs::path absoluteFolder = fs::absolute(folder, error);
    std::string problem;
    bool missing = false;
    if (!PluginTrustedFile::open(absoluteFolder, PluginTrustedFile::Kind::Folder, problem, &missing)
             .isOpen()) {
        if (folderProblem != nullptr) {
            *folderProblem = missing ? std::string() : problem;
        }
        return {};
    }
    std::vector<fs::path> libraries;
    // Every "*.dylib", whatever it is: one that is not a regular file is reported.
    for (fs::directory_iterator it(absoluteFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".dylib") {
            libraries.push_back(it->path());
        }
    }
    std::sort(libraries.begin(), libraries.end());
    // One load at a time: initialisers install hooks that must not interleave.
    static std::mutex loading;
    std::lock_guard lock(loading);
    std::vector<PluginLoadResult> results;
    results.reserve(libraries.size());
    for (const fs::path& library : libraries) {
        results.push_back(loadOne(library, process));
    }
    return results;
}

std::vector<std::string> PluginLoader::loadedNames(const std::vector<PluginLoadResult>& results) {
    std::vector<std::string> names;
    for (const PluginLoadResult& result : results) {
        if (result.outcome == PluginLoadResult::Outcome::Loaded) {
            names.push_back(result.name);
        }
    }
    return names;
}
