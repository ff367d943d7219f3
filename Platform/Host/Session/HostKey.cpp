#include <Host/Session/HostKey.h>

#include <cctype>

namespace {

std::optional<HostKey> plainKeyNamed(const std::string& name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        return HostKey::of(name[0]);
    }
    struct Named {
        const char* name;
        HostKey::Kind kind;
        char character;
    };
    using K = HostKey::Kind;
    static const Named named[] = {
        {"space", K::character, ' '},   {"Return", K::returnKey, 0},
        {"Escape", K::escape, 0},       {"Tab", K::tab, 0},
        {"BackSpace", K::backSpace, 0}, {"Left", K::left, 0},
        {"Right", K::right, 0},         {"Up", K::up, 0},
        {"Down", K::down, 0},
    };
    for (const Named& entry : named) {
        if (name == entry.name) {
            return HostKey{entry.kind, entry.character};
        }
    }
    return std::nullopt;
}

} // namespace

HostKey HostKey::of(char character) {
    return {Kind::character,
            static_cast<char>(std::tolower(static_cast<unsigned char>(character)))};
}

std::optional<HostKey> HostKey::typing(char character) {
    auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte > 0x7e) {
        return std::nullopt;
    }
    HostKey key = of(character);
    if (std::isupper(byte)) {
        key.modifiers = shift;
    } else if (!std::isalnum(byte)) {
        key.character = character; // punctuation is typed as it is
    }
    return key;
}

char HostKey::typedCharacter() const {
    if (kind != Kind::character || has(control)) {
        return 0;
    }
    if (has(shift) && std::islower(static_cast<unsigned char>(character))) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    }
    return character;
}

std::optional<HostKey> HostKeyNamed(const std::string& name) {
    // "Shift+" and "Ctrl+" in either order, each at most once, before the key.
    unsigned modifiers = 0;
    std::string rest = name;
    for (;;) {
        if (rest.rfind("Shift+", 0) == 0 && (modifiers & HostKey::shift) == 0) {
            modifiers |= HostKey::shift;
            rest.erase(0, 6);
        } else if (rest.rfind("Ctrl+", 0) == 0 && (modifiers & HostKey::control) == 0) {
            modifiers |= HostKey::control;
            rest.erase(0, 5);
        } else {
            break;
        }
    }
    std::optional<HostKey> key = plainKeyNamed(rest);
    if (key) {
        key->modifiers = modifiers;
    }
    return key;
}

const char* HostKeyNameList() {
    return "a letter or digit, space, Return, Escape, Tab, BackSpace, Left, Right, Up or Down, "
           "with Shift+ or Ctrl+ before it";
}
