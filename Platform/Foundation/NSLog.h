#pragma once

#include <Foundation/NSString.h>

#include <string>

// The system log: one line "<program>: <text>" on standard error.
void NSLogv(const std::string& text);

template <class... Args> void NSLog(const char* format, const Args&... args) {
    NSLogv(NSString::stringWithFormat(format, args...)->utf8());
}
