#include "KeyboardHostKeys.h"

#include "KeyboardHostViewController.h"

namespace KeyboardHostKeys {

namespace {

// The on-screen key that does what `key` asks, after any readying.
UIKBKeyView* keyToTap(const UIPeripheralHostView& hostView, const HostKey& key) {
    switch (key.kind) {
    case HostKey::Kind::backSpace:
        return hostView.keyOfKind(UIKBKeyKind::deleteKey);
    case HostKey::Kind::returnKey:
        return hostView.keyOfKind(UIKBKeyKind::returnKey);
    case HostKey::Kind::character:
        return key.typedCharacter() != 0 ? hostView.keyToTapFor(key.typedCharacter()) : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

std::optional<HostOnScreenKey> onScreenKey(const UIPeripheralHostView& hostView,
                                           const HostKey& key) {
    UIKBKeyView* tapped = keyToTap(hostView, key);
    if (tapped == nullptr) {
        return std::nullopt;
    }
    bool readies = key.kind == HostKey::Kind::character && tapped->kind() != UIKBKeyKind::character;
    return HostOnScreenKey{KeyboardHostViewController::screenPointOf(*tapped), readies};
}

bool canType(const UIPeripheralHostView& hostView, char character) {
    return hostView.keyToTapFor(character) != nullptr;
}

} // namespace KeyboardHostKeys
