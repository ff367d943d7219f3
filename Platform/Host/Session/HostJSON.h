// JSON as the host prints it (the `state` line, keyboard-host's query): strings with
// their bytes repaired to UTF-8, numbers only when finite (JSON has no NaN).
#pragma once

#include <string>

// `text` as a JSON string, quotes included: quotes, backslashes and control
// characters escaped, bytes that are not UTF-8 replaced by U+FFFD.
std::string HostJSONString(const std::string& text);
// The shortest text that reads back to the same float; null for NaN and infinities.
std::string HostJSONNumber(float value);
