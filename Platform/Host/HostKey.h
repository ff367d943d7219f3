// A key of the computer's keyboard, as a window reports it and as an event script
// names it (`press KEY`): a letter, a digit, space, Return, Escape, Tab, BackSpace.
#pragma once

#include <optional>
#include <string>

struct HostKey {
    enum class Kind { character, returnKey, escape, tab, backSpace };

    Kind kind = Kind::character;
    // For characters: 'a'..'z' (a capital letter is its key), '0'..'9' or ' '.
    char character = 0;

    static HostKey of(char character);
    bool operator==(const HostKey&) const = default;
};

// The key a script names ("a", "Q", "7", "space", "Return", ...); none for others.
std::optional<HostKey> HostKeyNamed(const std::string& name);
// The names a script may use, for messages.
const char* HostKeyNameList();
