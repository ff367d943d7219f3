#include <Host/Start/HostDeviceRoot.h>

#include <Foundation/NSFileManager.h>
#include <Host/Session/HostQuotedInput.h>
#include <PluginTrustedWay.h>

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kPreferencesFolder = "/var/mobile/Library/Preferences";
constexpr const char* kPluginFolder = "/Library/MobileSubstrate/DynamicLibraries";

// A folder of the root, reached by a way that is checked; the preferences folder is
// judged itself (whoever may write it may replace the preferences), the plug-in
// folder is the loader's to judge when it loads.
struct RootFolder {
    const char* devicePath;
    bool judgedItself;
};
constexpr RootFolder kRootFolders[] = {{kPreferencesFolder, true}, {kPluginFolder, false}};

using Refusal = PluginTrustedWay::Refusal;

// Why `folder` cannot be used, or none. With `missing` MakeFolder, what is missing on
// the way is made first; with Stop, `absent` tells a way that ends at a missing name.
std::optional<Refusal> refusalOf(const RootFolder& folder, PluginTrustedWay::Missing missing,
                                 bool& absent) {
    const std::string path = NSFileManager::hostPath(folder.devicePath);
    PluginTrustedWay way(path, missing);
    std::string loaderWords; // the loader's own line; this refusal is worded below
    if (!way.walk(loaderWords, absent)) {
        return way.refusal();
    }
    const struct stat& status = way.status();
    if (!S_ISDIR(status.st_mode)) {
        return Refusal{path, " is not a folder"};
    }
    std::string reason = folder.judgedItself ? PluginOwnerProblem(status) : std::string();
    if (folder.judgedItself && reason.empty()) {
        reason = PluginWritersProblem(status);
    }
    return reason.empty() ? std::nullopt : std::optional<Refusal>(Refusal{path, reason, true});
}

// The root named as the user gave it, and a folder relative to it when inside.
std::string placeOf(const std::string& where, const std::string& root) {
    const std::string inside = root == "/" ? root : root + "/";
    if (where == root) {
        return "it";
    }
    if (where.starts_with(inside)) {
        return "its folder " + HostQuotedInput(where.substr(inside.size()));
    }
    return HostQuotedInput(where) + ", on the way to it,";
}

std::string refusalLine(const Refusal& refusal) {
    const std::string root = NSFileManager::deviceRoot();
    return "cannot use the device root " + HostQuotedInput(root) + ": " +
           placeOf(refusal.where, root) + refusal.reason +
           (refusal.othersMayChange ? ", so others could read and change what is kept there" : "");
}

// Every path under the root, with the longest name a program puts in its folders,
// must stay within the system's limit: a longer root would be half made.
std::optional<std::string> lengthProblem() {
    const std::string deepest = NSFileManager::hostPath(kPreferencesFolder);
    if (deepest.size() + 1 + NAME_MAX < PATH_MAX) {
        return std::nullopt;
    }
    return "cannot use the device root " + HostQuotedInput(NSFileManager::deviceRoot()) +
           ": it is " + std::to_string(NSFileManager::deviceRoot().size()) +
           " bytes long, and paths under it would pass the system's limit of " +
           std::to_string(PATH_MAX) + " bytes";
}

// Checks the whole root before anything is made, then makes what is missing and
// checks again. Why it cannot be used, or none; `pluginFolderExisted` says whether
// the plug-in folder was there before.
std::optional<std::string> prepareFolders(bool& pluginFolderExisted) {
    if (std::optional<std::string> problem = lengthProblem()) {
        return problem;
    }
    for (PluginTrustedWay::Missing missing :
         {PluginTrustedWay::Missing::Stop, PluginTrustedWay::Missing::MakeFolder}) {
        for (const RootFolder& folder : kRootFolders) {
            bool absent = false;
            std::optional<Refusal> refusal = refusalOf(folder, missing, absent);
            // A way that ends early is made in the second pass; anything else stops.
            if (refusal && !(absent && missing == PluginTrustedWay::Missing::Stop)) {
                return refusalLine(*refusal);
            }
            if (missing == PluginTrustedWay::Missing::Stop && folder.devicePath == kPluginFolder) {
                pluginFolderExisted = !refusal;
            }
        }
    }
    return std::nullopt;
}

// The shipped plug-ins by name, in order; none when the folder is missing.
std::vector<std::string> shippedPluginNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".dylib" && entry.is_regular_file(error)) {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The loader refuses plug-ins that anyone but their owner could write; a user's
// umask of 002 must not make the programs' own installation untrusted. A file that
// stays writable is reported, with the reason, when the plug-ins load.
void removeOthersWrite(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::permissions(
        path, std::filesystem::perms::group_write | std::filesystem::perms::others_write,
        std::filesystem::perm_options::remove, ignored);
}

// Copied under a hidden temporary name and renamed into place, so that a keyboard
// starting at the same time never loads half a library.
void installFile(const std::filesystem::path& source, const std::filesystem::path& folder) {
    std::filesystem::path target = folder / source.filename();
    std::filesystem::path temporary =
        folder / ("." + source.filename().string() + ".install-" + std::to_string(::getpid()));
    try {
        std::filesystem::copy_file(source, temporary,
                                   std::filesystem::copy_options::overwrite_existing);
        removeOthersWrite(temporary);
        std::filesystem::rename(temporary, target);
    } catch (const std::filesystem::filesystem_error&) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
}

// The filter first: a library that appears without its filter is not loaded.
void installPlugin(const std::filesystem::path& shipped, const std::string& name,
                   const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path filter = shipped / (name + ".plist");
    if (std::filesystem::is_regular_file(filter, error)) {
        installFile(filter, folder);
    }
    installFile(shipped / (name + ".dylib"), folder);
}

} // namespace

HostDeviceRootPreparation HostPrepareDeviceRoot(const std::filesystem::path& shippedPlugins) {
    HostDeviceRootPreparation result;
    result.pluginFolder = NSFileManager::hostPath(kPluginFolder);
    bool pluginFolderExisted = false;
    result.error = prepareFolders(pluginFolderExisted);
    if (result.error || pluginFolderExisted) {
        return result;
    }
    for (const std::string& name : shippedPluginNames(shippedPlugins)) {
        try {
            installPlugin(shippedPlugins, name, result.pluginFolder);
            result.installedPlugins.push_back(name);
        } catch (const std::filesystem::filesystem_error& failure) {
            result.problems.push_back("cannot install the plug-in " + name + " into " +
                                      HostQuotedInput(result.pluginFolder.string()) + ": " +
                                      failure.code().message());
        }
    }
    return result;
}
