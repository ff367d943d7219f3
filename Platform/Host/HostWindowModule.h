// The window backend is a library of its own (libPlatformHostWindow), loaded only
// when a window opens: SDL and the libraries it brings (X11, Wayland, sound) cost a
// headless start more than the rest of the platform. The host reaches it through
// this table.
#pragma once

#include <Host/HostWindow.h>

#include <optional>
#include <string>
#include <vector>

struct HostWindowModule {
    HostWindow* (*open)(const HostWindowIdentity& identity, std::optional<int> scale,
                        std::string& error, std::string* warning);
    void (*close)(HostWindow* window);
    int (*scale)(const HostWindow* window);
    // Runs the window with the desktop bridge (where a bus runs) naming the program
    // `applicationName`.
    int (*run)(HostWindow* window, HostSession& session, const std::vector<ScriptCommand>& script,
               const std::string& scriptName, const std::string& applicationName);
    void (*requestRaise)(HostWindow* window);
};

// The window library beside the host library (build and installed trees alike);
// nullptr with `error` set when it cannot be loaded.
const HostWindowModule* HostLoadWindowModule(std::string& error);

// Defined by the window library.
extern "C" const HostWindowModule* HostWindowModuleTable();
