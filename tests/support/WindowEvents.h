// For window tests in the test's own process: a window, and input pushed through
// SDL's own event queue as the window system would deliver it.
#pragma once

#include <Host/Window/HostWindow.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

// A window titled `title` at `scale` pixels a point, placed by the window manager.
inline std::unique_ptr<HostWindow> openTestWindow(const std::string& title, int scale,
                                                  std::string& error) {
    HostWindowOptions options;
    options.title = title;
    options.scale = scale;
    return HostWindow::open(options, error);
}

inline void pushMouse(Uint32 type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
        event.motion.x = x;
        event.motion.y = y;
        event.motion.state = SDL_BUTTON_LMASK;
    } else {
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void pushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE,
                    bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// The text a key types, as SDL reports it after the key's key-down.
inline void pushText(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof event.text.text);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// A window event (focus gained or lost, close) as the window system would deliver it.
inline void pushWindowEvent(SDL_WindowEventID what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = static_cast<Uint8>(what);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}
