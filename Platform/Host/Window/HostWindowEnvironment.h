// What a window's start sets in the environment before SDL's video starts, and before
// any thread runs: the application id SDL gives the window (X11 WM_CLASS, Wayland
// app_id), and the session bus hidden from SDL when it does not answer in time (SDL
// waits for the bus as its video starts, without end).
#pragma once

#include <Host/Desktop/HostSessionBusProbe.h>

#include <chrono>
#include <string>

// A bus that works answers in a millisecond (under a load of two busy cores, in 25 at
// most); one that has not answered by this is hidden from SDL.
constexpr std::chrono::milliseconds HostSessionBusLimit{50};

struct HostWindowEnvironment {
    HostBusProbe bus = HostBusProbe::unknown;
    std::chrono::milliseconds busLimit{0}; // what the bus was given to answer
    bool busHidden = false;
};

HostWindowEnvironment HostPrepareWindowEnvironment(const std::string& applicationId);
