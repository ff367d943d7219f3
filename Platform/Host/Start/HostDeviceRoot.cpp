#include <Host/Start/HostDeviceRoot.h>

#include <Foundation/NSFileManager.h>

#include <algorithm>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kPluginFolder = "/Library/MobileSubstrate/DynamicLibraries";

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
    NSFileManagerRef files = NSFileManager::defaultManager();
    HostDeviceRootPreparation result;
    result.pluginFolder = NSFileManager::hostPath(kPluginFolder);
    bool pluginFolderExisted = files->fileExistsAtPath(kPluginFolder);
    NSFileError error;
    if (!files->createStandardDeviceFolders(&error)) {
        result.error = "cannot prepare the device root " + NSFileManager::deviceRoot() + ": " +
                       error.description;
        return result;
    }
    if (pluginFolderExisted) {
        return result;
    }
    removeOthersWrite(result.pluginFolder);
    for (const std::string& name : shippedPluginNames(shippedPlugins)) {
        try {
            installPlugin(shippedPlugins, name, result.pluginFolder);
            result.installedPlugins.push_back(name);
        } catch (const std::filesystem::filesystem_error& failure) {
            result.problems.push_back("cannot install the plug-in " + name + " into " +
                                      result.pluginFolder.string() + ": " +
                                      failure.code().message());
        }
    }
    return result;
}
