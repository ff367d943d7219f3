// The window library (libPlatformHostWindow), loaded only when a window opens: SDL and
// the libraries it brings cost a headless start more than the rest of the platform.
// The start reaches it through this table alone.
#pragma once

#include <Host/Session/HostScriptPlayer.h>
#include <Host/Start/HostSettings.h>

#include <filesystem>
#include <optional>
#include <string>

class HostWindow;

// How the desktop knows a program: its desktop entry's Name, the desktop file's id
// (X11 WM_CLASS, Wayland app_id) and the shipped icon (none: no icon).
struct HostWindowIdentity {
    std::string title;
    std::string applicationId;
    std::filesystem::path icon;
};

struct HostWindowModule {
    // Sets what the window's libraries read from the environment: to be called before
    // any thread of the process starts.
    void (*prepare)(const HostWindowIdentity& identity);
    // The window, hidden until its first frame is drawn; nullptr with `error` set.
    HostWindow* (*open)(const HostWindowIdentity& identity, std::optional<int> scale,
                        std::optional<HostWindowPosition> position, std::string& error,
                        std::string& warning);
    void (*close)(HostWindow* window);
    int (*scale)(const HostWindow* window);
    // Plays the script in the window, with the desktop's services (its accessibility
    // bus, where one runs, naming the program `applicationName`; its handler for
    // links). The exit status.
    int (*run)(HostWindow* window, HostScriptPlayer& player, const std::string& applicationName);
    // From any thread: asks the window to come to the front and waits, within
    // `limitMs`, to learn whether it did.
    bool (*requestRaise)(HostWindow* window, const std::string& activationToken, int limitMs);
};

// The window library beside the host library (build and installed trees alike);
// nullptr with `error` set when it cannot be loaded.
const HostWindowModule* HostLoadWindowModule(std::string& error);

// Defined by the window library.
extern "C" const HostWindowModule* HostWindowModuleTable();
