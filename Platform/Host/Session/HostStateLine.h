// What assistive tools see, as one JSON line (the `state` script command):
// {"focus": LABEL|null, "alert": {"title","message","buttons"}|null,
//  "text": TEXT|null, "elements": [{"label","value","traits","frame"}...]}
// The elements are the element tree's, each before those it holds; traits by name;
// frames [x, y, width, height] in screen points; "text" is the entry's value.
#pragma once

#include <string>

std::string HostAccessibilityStateJSON();

// `text` as a JSON string, quotes included: quotes, backslashes and control
// characters escaped, bytes that are not UTF-8 replaced by U+FFFD.
std::string HostJSONString(const std::string& text);
