// The window backend is a library of its own (libPlatformHostWindow), loaded only
// when a window opens: SDL and the libraries it brings (X11, Wayland, sound) cost a
// headless start more than the rest of the platform. The host reaches it through
// this table.
#pragma once

#include <Host/Session/HostScriptPlayer.h>
#include <Host/Start/HostSettings.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class HostWindow;

// How the desktop knows a program: its desktop entry's Name, the desktop file's id
// (X11 WM_CLASS, Wayland app_id) and the shipped icon (none: no icon).
struct HostWindowIdentity {
    std::string title;
    std::string applicationId;
    std::filesystem::path icon;
};

struct HostWindowModule {
    // Starts, off the caller's thread, what a window's start will need to know (whether
    // the session bus answers): called as early as the start knows a window will open.
    void (*prepare)();
    // The window, hidden until its first frame is drawn; `position` none: the window
    // manager places it.
    HostWindow* (*open)(const HostWindowIdentity& identity, std::optional<int> scale,
                        std::optional<HostWindowPosition> position, std::string& error,
                        std::string* warning);
    void (*close)(HostWindow* window);
    int (*scale)(const HostWindow* window);
    // Runs the window with the desktop bridge (where a bus runs) naming the program
    // `applicationName`.
    int (*run)(HostWindow* window, HostScriptRunner& runner,
               const std::vector<ScriptCommand>& script, const std::string& scriptName,
               const std::string& applicationName);
    // From any thread: asks the window to come to the front (with the desktop's
    // activation token, when the start that asks was given one) and waits, within
    // `limitMs`, to learn whether it did.
    bool (*requestRaise)(HostWindow* window, const std::string& activationToken, int limitMs);
};

// The window library beside the host library (build and installed trees alike);
// nullptr with `error` set when it cannot be loaded.
const HostWindowModule* HostLoadWindowModule(std::string& error);

// Defined by the window library.
extern "C" const HostWindowModule* HostWindowModuleTable();
