#include <Foundation/NSLog.h>

#include <cerrno>
#include <cstdio>

void NSLogv(const std::string& text) {
    // One write per line, so lines of concurrent processes do not interleave.
    std::string line = std::string(program_invocation_short_name) + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
