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
#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <iterator>
#include <link.h>
#include <mutex>
#include <unistd.h>

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

// A filter's bytes as a dictionary; null with the reason when they are not one.
std::shared_ptr<NSDictionary> parseFilter(std::string_view contents, const std::string& name,
                                          std::string& problem) {
    std::string reason;
    NSObjectRef list = NSPropertyListSerialization::propertyListWithData(contents, &reason);
    auto filter = ns_cast<NSDictionary>(list);
    if (!filter) {
        problem = "filter " + ns_quotedText(name) + (list ? " is not a dictionary" : ": " + reason);
    }
    return filter;
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
        problem = error.code == ENOENT ? "no filter " + ns_quotedText(name)
                                       : "filter " + ns_quotedText(name) + ": " + error.description;
        return nullptr;
    }
    return parseFilter(*contents, name, problem);
}

// The filter that passed the trust check, read through the descriptor that was checked.
std::shared_ptr<NSDictionary> readTrustedFilter(const fs::path& path, std::string& problem) {
    bool missing = false;
    PluginTrustedFile file =
        PluginTrustedFile::open(path, PluginTrustedFile::Kind::RegularFile, problem, &missing);
    const std::string name = path.filename().string();
    if (!file.isOpen()) {
        if (missing) {
            problem = "no filter " + ns_quotedText(name);
        }
        return nullptr;
    }
    NSFileManager::ReadBuffer buffer;
    NSFileError error;
    std::optional<std::string_view> contents =
        NSFileManager::contentsOfOpenFile(file.fd(), ns_quotedText(path.string()), buffer, &error);
    if (!contents) {
        problem = error.description;
        return nullptr;
    }
    return parseFilter(*contents, name, problem);
}

// What the dynamic linker says, with the descriptor's name it was given replaced by
// the file's; quoted, as it may hold names from the file.
std::string dynamicLinkerProblem(const std::string& mapped, const fs::path& library) {
    const char* error = dlerror();
    std::string said = error ? error : "the dynamic linker gave no reason";
    for (std::size_t at = said.find(mapped); at != std::string::npos;
         at = said.find(mapped, at + library.string().size())) {
        said.replace(at, mapped.size(), library.string());
    }
    return ns_quotedText(library.string()) + " cannot be loaded: " + ns_quotedText(said);
}

// Maps exactly the file that was checked: the path could name another by now, the
// descriptor cannot. A file mapped afresh keeps its descriptor open, as the plug-in
// stays loaded, so that the name the dynamic linker knows it by never comes to mean
// another file; one it had mapped already (the same file under another name) does not
// need it.
bool mapChecked(PluginTrustedFile& file, const fs::path& library, std::string& problem) {
    const std::string mapped = "/proc/self/fd/" + std::to_string(file.fd());
    void* handle = dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        problem = dynamicLinkerProblem(mapped, library);
        return false;
    }
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name == mapped) {
        file.release();
    }
    return true;
}

// Neither file is read or mapped before it passes: an untrusted filter is not parsed,
// an untrusted or incomplete library never reaches the dynamic linker.
PluginLoadResult loadOne(const fs::path& library, const PluginProcess& process) {
    PluginLoadResult result;
    result.name = library.stem().string();
    fs::path filterPath = library;
    filterPath.replace_extension(".plist");
    std::shared_ptr<NSDictionary> filter = readTrustedFilter(filterPath, result.message);
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
        result.message = ns_quotedText(library.string()) + " " + problem;
        return result;
    }
    if (mapChecked(file, library, result.message)) {
        result.outcome = PluginLoadResult::Outcome::Loaded;
    }
    return result;
}

// The names of the folder's "*.dylib" entries, whatever each is (one that is not a
// regular file is reported), in load order; read from the folder that was checked.
std::vector<std::string> libraryNames(const PluginTrustedFile& folder) {
    std::vector<std::string> names;
    int fd = ::dup(folder.fd());
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (fs::path(entry->d_name).extension() == ".dylib") {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
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
    PluginTrustedFile trusted =
        PluginTrustedFile::open(absoluteFolder, PluginTrustedFile::Kind::Folder, problem, &missing);
    if (!trusted.isOpen()) {
        if (folderProblem != nullptr) {
            *folderProblem = missing ? std::string() : problem;
        }
        return {};
    }
    std::vector<std::string> libraries = libraryNames(trusted);
    // One load at a time: initialisers install hooks that must not interleave.
    static std::mutex loading;
    std::lock_guard lock(loading);
    std::vector<PluginLoadResult> results;
    results.reserve(libraries.size());
    for (const std::string& library : libraries) {
        results.push_back(loadOne(absoluteFolder / library, process));
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
