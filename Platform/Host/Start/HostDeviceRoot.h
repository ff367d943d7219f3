// The device root, prepared as a program starts: its standard folders are created
// where missing. When that creates the plug-in folder (it did not exist), the
// plug-ins shipped with the programs are installed into it, as installing the
// package does on a device; an existing plug-in folder is never changed, so a user
// who removed a plug-in keeps it removed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct HostDeviceRootPreparation {
    // Why the root cannot be used, naming the folder; none when it is ready.
    std::optional<std::string> error;
    // The host path of the root's plug-in folder.
    std::filesystem::path pluginFolder;
    // The plug-ins installed now, by file name without extension, in order.
    std::vector<std::string> installedPlugins;
    // One line for each shipped plug-in that could not be installed.
    std::vector<std::string> problems;
};

// Prepares the device root that NSFileManager has, installing from `shippedPlugins`
// (each NAME.dylib with its filter NAME.plist when there is one).
HostDeviceRootPreparation HostPrepareDeviceRoot(const std::filesystem::path& shippedPlugins);
