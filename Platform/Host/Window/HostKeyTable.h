// The computer's keys in the window, from one table: SDL's keys, the session's keys
// they are, and the desktop's names for them (X keysyms, keycodes, modifier masks and
// key names, which assistive tools and the X server speak).
#pragma once

#include <Host/Accessibility/HostAccessibleKeyEvent.h>
#include <Host/Session/HostKey.h>

#include <SDL2/SDL.h>

#include <optional>

class HostNativeWindow;

// The session's key of a keyboard event, with Shift and Ctrl as held; none for keys
// the session does not know.
std::optional<HostKey> HostKeyOf(const SDL_Keysym& keysym);
// The X keysym a key gives with `mod` held (none for keys that have none here), and
// the SDL key of a keysym.
std::optional<unsigned> HostDesktopKeysym(SDL_Keycode key, Uint16 mod);
std::optional<SDL_Keycode> HostSDLKeyOf(unsigned keysym);
// A key event as assistive tools take it (its keycode from the window's X server,
// where there is one).
HostAccessibleKeyEvent HostDesktopKeyOf(const SDL_KeyboardEvent& event,
                                        const HostNativeWindow& window);
