// The `state` line: what assistive tools see now (the focused element, the alert, the
// entry's text, the elements in reading order with their traits and frames in screen
// points), as one JSON object.
#pragma once

#include <string>

std::string HostStateLine();
