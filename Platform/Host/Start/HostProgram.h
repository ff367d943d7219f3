// A program on the host, the one entry both programs call: the shared command line
// with the program's own options and script commands, the device root, then the
// window or the headless run of the event script. HostRun reads and checks everything
// it was given before anything runs (a bad option or script line: one line, status
// 2), prepares the device root (cannot: one line naming the folder, status 1), calls
// `beforeRun` (which may end the run with a status, e.g. a query that needs no
// display), opens the window unless headless (no display: one line, status 2),
// launches the application and plays the script.
#pragma once

#include <Host/Session/HostScriptPlayer.h>
#include <Host/Start/HostCommandLine.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct HostProgram {
    // The name in messages; by default the program's file name.
    std::string name;
    // As the program's desktop entry names it: the window title (its Name; by default
    // `name`) and the application id (the desktop file's id), which also names the
    // shipped icon.
    std::string title;
    std::string applicationId;
    // One window per device root: a second window start brings the first to the front
    // and ends with status 0.
    bool singleWindow = false;
    // One line for --help.
    std::string summary;
    // For --help: the computer's keys that work in the window (key, what it does); the
    // shared script commands the program still accepts but does not list; the
    // program's own wording for a shared command.
    std::vector<std::pair<std::string, std::string>> keys;
    std::vector<std::string> unlistedCommands;
    std::map<std::string, std::string> commandDescriptions;
    std::vector<HostOption> options;
    std::vector<HostScriptCommand> commands;
    // Where the program's on-screen keys are, for the computer's keyboard.
    HostCharacterKeys characterKeys;
    // After the device root is prepared and the script checked, before any display
    // is needed. A status ends the run with it.
    std::function<std::optional<int>(const HostSettings& settings)> beforeRun;
    // Builds the application (windows, controllers). False: launching failed.
    std::function<bool()> launch;
    // The window gained focus (or the script said `focus`), after the application's
    // delegate heard that it became active.
    std::function<void()> focused;
};

int HostRun(int argc, char** argv, const HostProgram& program);
