// The command line of keyboard-host.
#pragma once

#include <string>
#include <vector>

struct KeyboardHostOptions {
    std::string root;    // empty: the default device root
    std::string plugins; // empty: the device root's plug-in folder
    bool query = false;  // one layout pass and one appearance query, as JSON
    bool help = false;
    bool headless = false;
    std::string events; // event script; "-" for standard input
    int scale = 0;      // 0: the default for the run
};

struct KeyboardHostCommandLine {
    KeyboardHostOptions options;
    std::string error; // empty when the command line is sound
};

// `arguments` without the program name.
KeyboardHostCommandLine parseKeyboardHostOptions(const std::vector<std::string>& arguments);

std::string keyboardHostUsage();
