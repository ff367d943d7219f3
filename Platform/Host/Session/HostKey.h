// A key of the computer's keyboard, as a window reports it and as an event script
// names it (`press KEY`): a letter, a digit, space, Return, Escape, Tab, BackSpace,
// the arrows, each with Shift or Ctrl held or not; and, for typed text, the
// punctuation keys.
#pragma once

#include <optional>
#include <string>

struct HostKey {
    enum class Kind { character, returnKey, escape, tab, backSpace, left, right, up, down };
    enum Modifier : unsigned { shift = 1U << 0U, control = 1U << 1U };

    Kind kind = Kind::character;
    // For characters: the key's own character, 'a'..'z' (a capital letter is its key
    // with Shift), '0'..'9', ' ', or a punctuation character as typed.
    char character = 0;
    unsigned modifiers = 0;

    static HostKey of(char character);
    // The key that types `character` as text ('H' is Shift+h); none for a character
    // that is not printable ASCII.
    static std::optional<HostKey> typing(char character);
    bool has(Modifier modifier) const { return (modifiers & modifier) != 0; }
    // Ctrl+Q (Shift or not), which quits the program, in a window or a script alike.
    bool quits() const { return kind == Kind::character && character == 'q' && has(control); }
    // What the key types: the character, a capital with Shift; 0 for keys that type
    // nothing and for shortcuts (Ctrl held).
    char typedCharacter() const;
    bool operator==(const HostKey&) const = default;
};

// Whether a key is pressed for the first time or repeats while held.
enum class HostKeyPress { first, repeat };

// The key a script names ("a", "Q", "7", "space", "Return", "Left", "Shift+Tab",
// "Ctrl+c", ...); none for others.
std::optional<HostKey> HostKeyNamed(const std::string& name);
// The names a script may use, for messages.
const char* HostKeyNameList();
