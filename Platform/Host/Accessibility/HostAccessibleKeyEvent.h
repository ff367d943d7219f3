#pragma once

#include <cstdint>
#include <string>

// A key of the computer's keyboard as the desktop names it, for assistive tools' key
// listeners (a screen reader's own commands and its key echo): pressed or released,
// the X keysym and keycode (0 where unknown), the X modifier mask, and the text it
// types, or the keysym's name for a key that types none ("Return").
struct HostAccessibleKeyEvent {
    bool pressed = true;
    unsigned keysym = 0;
    unsigned keycode = 0;
    unsigned modifiers = 0;
    std::string text;
    std::uint32_t time = 0;
};
