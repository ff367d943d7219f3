#include <Host/HostKey.h>

#include <cctype>

HostKey HostKey::of(char character) {
    return {Kind::character,
            static_cast<char>(std::tolower(static_cast<unsigned char>(character)))};
}

std::optional<HostKey> HostKeyNamed(const std::string& name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        return HostKey::of(name[0]);
    }
    struct Named {
        const char* name;
        HostKey key;
    };
    static const Named named[] = {
        {"space", HostKey::of(' ')},
        {"Return", {HostKey::Kind::returnKey, 0}},
        {"Escape", {HostKey::Kind::escape, 0}},
        {"Tab", {HostKey::Kind::tab, 0}},
        {"BackSpace", {HostKey::Kind::backSpace, 0}},
    };
    for (const Named& entry : named) {
        if (name == entry.name) {
            return entry.key;
        }
    }
    return std::nullopt;
}

const char* HostKeyNameList() {
    return "a letter or digit, space, Return, Escape, Tab or BackSpace";
}
