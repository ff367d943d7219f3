// Where a program's own files are, found from its executable, so that a build tree
// and an installed tree (copied anywhere) both run:
//
//   build tree      BUILD/bin/<program>      BUILD/Resources, BUILD/DynamicLibraries,
//                                            BUILD/icons
//   installed tree  PREFIX/bin/<program>     PREFIX/share/prismkey/Resources,
//                                            PREFIX/lib/prismkey/DynamicLibraries,
//                                            PREFIX/share/icons
#pragma once

#include <filesystem>

struct HostInstallation {
    std::filesystem::path resources; // the application's images
    std::filesystem::path plugins;   // the plug-ins shipped with the programs
    std::filesystem::path icons;     // the programs' icons, in hicolor/<N>x<N>/apps

    // For the executable at `program`: the installed layout when the folder above
    // it has share/prismkey, the build tree's otherwise.
    static HostInstallation forProgram(const std::filesystem::path& program);
    // For the running executable; empty paths when it cannot be found (no /proc).
    static HostInstallation current();
};
