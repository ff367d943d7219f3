#include <Host/Window/HostKeyTable.h>

#include <Host/Window/HostNativeWindow.h>

#include <cctype>

namespace {

using K = HostKey::Kind;

struct NamedKey {
    SDL_Keycode sdl;
    unsigned keysym;
    const char* name;
    // The session's key, for the keys it acts on.
    std::optional<K> kind = std::nullopt;
};

// The keys that type no character. The keypad's keysyms follow Num Lock (below).
const NamedKey namedKeys[] = {
    {SDLK_RETURN, 0xff0d, "Return", K::returnKey},
    {SDLK_KP_ENTER, 0xff8d, "KP_Enter", K::returnKey},
    {SDLK_ESCAPE, 0xff1b, "Escape", K::escape},
    {SDLK_TAB, 0xff09, "Tab", K::tab},
    {SDLK_BACKSPACE, 0xff08, "BackSpace", K::backSpace},
    {SDLK_DELETE, 0xffff, "Delete"},
    {SDLK_INSERT, 0xff63, "Insert"},
    {SDLK_HOME, 0xff50, "Home"},
    {SDLK_END, 0xff57, "End"},
    {SDLK_PAGEUP, 0xff55, "Prior"},
    {SDLK_PAGEDOWN, 0xff56, "Next"},
    {SDLK_LEFT, 0xff51, "Left", K::left},
    {SDLK_UP, 0xff52, "Up", K::up},
    {SDLK_RIGHT, 0xff53, "Right", K::right},
    {SDLK_DOWN, 0xff54, "Down", K::down},
    {SDLK_SPACE, 0x20, "space"},
    {SDLK_LSHIFT, 0xffe1, "Shift_L"},
    {SDLK_RSHIFT, 0xffe2, "Shift_R"},
    {SDLK_LCTRL, 0xffe3, "Control_L"},
    {SDLK_RCTRL, 0xffe4, "Control_R"},
    {SDLK_CAPSLOCK, 0xffe5, "Caps_Lock"},
    {SDLK_LALT, 0xffe9, "Alt_L"},
    {SDLK_RALT, 0xffea, "Alt_R"},
    {SDLK_LGUI, 0xffeb, "Super_L"},
    {SDLK_RGUI, 0xffec, "Super_R"},
    {SDLK_NUMLOCKCLEAR, 0xff7f, "Num_Lock"},
    {SDLK_F1, 0xffbe, "F1"},
    {SDLK_F2, 0xffbf, "F2"},
    {SDLK_F3, 0xffc0, "F3"},
    {SDLK_F4, 0xffc1, "F4"},
    {SDLK_F5, 0xffc2, "F5"},
    {SDLK_F6, 0xffc3, "F6"},
    {SDLK_F7, 0xffc4, "F7"},
    {SDLK_F8, 0xffc5, "F8"},
    {SDLK_F9, 0xffc6, "F9"},
    {SDLK_F10, 0xffc7, "F10"},
    {SDLK_F11, 0xffc8, "F11"},
    {SDLK_F12, 0xffc9, "F12"},
};

// The keypad: its keysym and name with Num Lock on, then off.
struct KeypadKey {
    SDL_Keycode sdl;
    NamedKey on, off;
};
const KeypadKey keypadKeys[] = {
    {SDLK_KP_0, {0, 0xffb0, "KP_0"}, {0, 0xff9e, "KP_Insert"}},
    {SDLK_KP_1, {0, 0xffb1, "KP_1"}, {0, 0xff9c, "KP_End"}},
    {SDLK_KP_2, {0, 0xffb2, "KP_2"}, {0, 0xff99, "KP_Down"}},
    {SDLK_KP_3, {0, 0xffb3, "KP_3"}, {0, 0xff9b, "KP_Next"}},
    {SDLK_KP_4, {0, 0xffb4, "KP_4"}, {0, 0xff96, "KP_Left"}},
    {SDLK_KP_5, {0, 0xffb5, "KP_5"}, {0, 0xff9d, "KP_Begin"}},
    {SDLK_KP_6, {0, 0xffb6, "KP_6"}, {0, 0xff98, "KP_Right"}},
    {SDLK_KP_7, {0, 0xffb7, "KP_7"}, {0, 0xff95, "KP_Home"}},
    {SDLK_KP_8, {0, 0xffb8, "KP_8"}, {0, 0xff97, "KP_Up"}},
    {SDLK_KP_9, {0, 0xffb9, "KP_9"}, {0, 0xff9a, "KP_Prior"}},
    {SDLK_KP_PERIOD, {0, 0xffae, "KP_Decimal"}, {0, 0xff9f, "KP_Delete"}},
};

const NamedKey* namedKeyOf(SDL_Keycode key) {
    for (const NamedKey& named : namedKeys) {
        if (named.sdl == key) {
            return &named;
        }
    }
    return nullptr;
}

unsigned modifierMask(Uint16 mod) {
    unsigned mask = 0;
    const std::pair<Uint16, unsigned> masks[] = {{KMOD_SHIFT, 1U},      {KMOD_CAPS, 1U << 1U},
                                                 {KMOD_CTRL, 1U << 2U}, {KMOD_ALT, 1U << 3U},
                                                 {KMOD_NUM, 1U << 4U},  {KMOD_GUI, 1U << 6U}};
    for (const auto& [sdl, x] : masks) {
        if ((mod & sdl) != 0) {
            mask |= x;
        }
    }
    return mask;
}

} // namespace

std::optional<HostKey> HostKeyOf(const SDL_Keysym& keysym) {
    SDL_Keycode code = keysym.sym;
    std::optional<HostKey> key;
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9) ||
        code == SDLK_SPACE) {
        key = HostKey::of(static_cast<char>(code));
    } else if (const NamedKey* named = namedKeyOf(code); named && named->kind) {
        key = HostKey{*named->kind, 0};
    }
    if (key) {
        key->modifiers = ((keysym.mod & KMOD_SHIFT) != 0 ? HostKey::shift : 0U) |
                         ((keysym.mod & KMOD_CTRL) != 0 ? HostKey::control : 0U);
    }
    return key;
}

std::optional<unsigned> HostDesktopKeysym(SDL_Keycode key, Uint16 mod) {
    if (const NamedKey* named = namedKeyOf(key)) {
        return named->keysym;
    }
    for (const KeypadKey& keypad : keypadKeys) {
        if (keypad.sdl == key) {
            return ((mod & KMOD_NUM) != 0 ? keypad.on : keypad.off).keysym;
        }
    }
    if (key > 0x20 && key < 0x7f) {
        bool capital = ((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0);
        return static_cast<unsigned>(capital ? std::toupper(key) : key); // Latin-1 keysyms
    }
    return std::nullopt;
}

std::optional<SDL_Keycode> HostSDLKeyOf(unsigned keysym) {
    for (const NamedKey& named : namedKeys) {
        if (named.keysym == keysym) {
            return named.sdl;
        }
    }
    if (keysym > 0x20 && keysym < 0x7f) {
        return static_cast<SDL_Keycode>(std::tolower(static_cast<int>(keysym)));
    }
    return std::nullopt;
}

HostAccessibleKeyEvent HostDesktopKeyOf(const SDL_KeyboardEvent& event,
                                        const HostNativeWindow& window) {
    HostAccessibleKeyEvent key;
    key.pressed = event.type == SDL_KEYDOWN;
    key.modifiers = modifierMask(event.keysym.mod);
    key.time = event.timestamp;
    std::optional<unsigned> keysym = HostDesktopKeysym(event.keysym.sym, event.keysym.mod);
    key.keysym = keysym.value_or(0);
    if (keysym && *keysym > 0x20 && *keysym < 0x7f) {
        key.text = std::string(1, static_cast<char>(*keysym));
    }
    if (const NamedKey* named = namedKeyOf(event.keysym.sym)) {
        key.text = named->name;
    }
    for (const KeypadKey& keypad : keypadKeys) {
        if (keypad.sdl == event.keysym.sym) {
            key.text = ((event.keysym.mod & KMOD_NUM) != 0 ? keypad.on : keypad.off).name;
        }
    }
    key.keycode = keysym ? window.keycodeOf(*keysym) : 0;
    return key;
}
