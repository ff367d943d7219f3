// keyboard-host's own script commands: `key TEXT` taps the on-screen key of each
// character (a-z and space), `type TEXT` types the text on the computer's keyboard,
// character by character, each through its on-screen key (capitals after shift,
// digits and punctuation after the keyplane switch, as a user taps them).
#pragma once

#include "UIPeripheralHostView.h"

#include <Host/Session/HostScriptPlayer.h>

#include <functional>
#include <vector>

namespace KeyboardHostCommands {

// The commands, acting on the keyboard that `hostView` gives (none before launch).
std::vector<HostScriptCommand> commands(const std::function<UIPeripheralHostView*()>& hostView);

// The character at `index` of `text` as a message names it: itself in quotes, and
// its code point when it is not printable ASCII ("\"é\" (U+00E9)").
std::string characterName(const std::string& text, std::size_t index);

} // namespace KeyboardHostCommands
