// The device root, prepared as a program starts: its standard folders are created
// where missing. When that creates the plug-in folder (it did not exist), the
// plug-ins shipped with the programs are installed into it, as installing the
// package does on a device; an existing plug-in folder is never changed, so a user
// who removed a plug-in keeps it removed.
//
// Nothing is made or written in a root that someone else could change: first the
// ways from "/" to the preferences folder and to the plug-in folder are checked as
// the loader checks a plug-in's way (every folder, along every link, owned by root
// or the user and writable by nobody else; a sticky folder such as /tmp passes for
// what in it is the user's or root's), and the preferences folder itself as well;
// the plug-in folder itself is the loader's to judge. Only then are the missing
// folders made, each in a folder just checked, and checked again.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct HostDeviceRootPreparation {
    // Why the root cannot be used, in one line naming the folder and why (the paths
    // quoted and cut as every echo of input is); none when it is ready.
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
