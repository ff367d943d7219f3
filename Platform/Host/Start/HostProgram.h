// A program on the host: the shared command line with the program's own options
// and script commands, the device root, the scale and the clock, then the program's
// launch and either the window or the headless run of the event script.
//
// Order: parse (bad options: one line, status 2; --help: usage, --version: the
// version, status 0); read and check the whole script (bad line: status 2); prepare
// the device root (cannot: one line naming the folder, status 1; a new plug-in
// folder gets the shipped plug-ins, said in one line); find the application's
// images beside the executable; `beforeRun` (may end the run with a status, e.g. a
// query that needs no display); open the window or choose the headless run (no
// display: say so, status 2); set the screen's scale and the clock (real in a
// window, virtual headless); `launch`; run. Headless runs end when the script ends
// or at `quit`.
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
