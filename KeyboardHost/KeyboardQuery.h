// `keyboard-host --query`: one layout pass of the keyboard's host view and one
// keyboard-appearance query of a text field, reported as one JSON line.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIColor.h>

#include <string>
#include <vector>

struct KeyboardQueryResult {
    std::vector<std::string> plugins; // loaded, by file name without extension
    NSInteger keyboardAppearance = 0;
    UIColorRef background; // none when nobody set one
    int layoutPasses = 0;  // how often the host view's own layout ran
};

// Builds the keyboard's objects (with the keyboard classes registered) and asks them.
KeyboardQueryResult runKeyboardQuery(std::vector<std::string> loadedPlugins);

// {"plugins":[...],"keyboardAppearance":N,"background":[r,g,b,a] or null,"layoutPasses":N}
std::string keyboardQueryJSON(const KeyboardQueryResult& result);
