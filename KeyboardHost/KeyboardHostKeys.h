// The computer's keyboard on the keyboard host's on-screen keyboard: which key a
// typed character, BackSpace or Return taps next, as a user would tap it.
#pragma once

#include "UIPeripheralHostView.h"

#include <Host/Session/HostSession.h>

#include <optional>

namespace KeyboardHostKeys {

// The on-screen key for `key`: the key that types it, or shift or the keyplane
// switch first (marked as readying) while the keyboard shows the wrong case or
// keyplane; none when the keyboard has no key for it.
std::optional<HostOnScreenKey> onScreenKey(const UIPeripheralHostView& hostView,
                                           const HostKey& key);

// Whether the keyboard has a key that types `character` (on either keyplane).
bool canType(const UIPeripheralHostView& hostView, char character);

} // namespace KeyboardHostKeys
