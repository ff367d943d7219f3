// Standard output for what a run is asked to print (the `state` line, a query's
// answer, --help): output that cannot be written (a full device, a closed pipe) is a
// failure of the run, never a silent success.
#pragma once

#include <string>

// Writes `text` and flushes; false with `problem` set ("No space left on device")
// when it did not all go out.
bool HostWriteStandardOutput(const std::string& text, std::string& problem);
