// The window's events: the mouse as a finger, the computer's keyboard as the session's
// keys, focus and closing.
#include <Host/Window/HostWindowImpl.h>

#include <Host/Session/HostSession.h>

namespace {

unsigned hostModifiersOf(Uint16 mod) {
    unsigned modifiers = 0;
    if ((mod & KMOD_SHIFT) != 0) {
        modifiers |= HostKey::shift;
    }
    if ((mod & KMOD_CTRL) != 0) {
        modifiers |= HostKey::control;
    }
    return modifiers;
}

HostKey::Kind hostKeyKindOf(SDL_Keycode code) {
    using K = HostKey::Kind;
    switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return K::returnKey;
    case SDLK_ESCAPE:
        return K::escape;
    case SDLK_TAB:
        return K::tab;
    case SDLK_BACKSPACE:
        return K::backSpace;
    case SDLK_LEFT:
        return K::left;
    case SDLK_RIGHT:
        return K::right;
    case SDLK_UP:
        return K::up;
    case SDLK_DOWN:
        return K::down;
    default:
        return K::character;
    }
}

// The key a keyboard event names, with Shift and Ctrl as held.
std::optional<HostKey> hostKeyOf(const SDL_Keysym& keysym) {
    SDL_Keycode code = keysym.sym;
    std::optional<HostKey> key;
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9) ||
        code == SDLK_SPACE) {
        key = HostKey::of(static_cast<char>(code));
    } else if (HostKey::Kind kind = hostKeyKindOf(code); kind != HostKey::Kind::character) {
        key = HostKey{kind, 0};
    }
    if (key) {
        key->modifiers = hostModifiersOf(keysym.mod);
    }
    return key;
}

// Alt and the system key make shortcuts of the desktop's, not ours.
std::optional<HostKey> pressedKey(const SDL_KeyboardEvent& event) {
    if ((event.keysym.mod & (KMOD_ALT | KMOD_GUI)) != 0) {
        return std::nullopt;
    }
    return hostKeyOf(event.keysym);
}

} // namespace

void HostWindow::Impl::handle(const SDL_Event& event, HostSession& session) {
    if (event.type == raiseEvent) {
        raise();
        return;
    }
    if (dropKeyHeldBeforeFocus(event) || consumedByListener(event) ||
        handleTypedText(event, session)) {
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        closed = true;
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window, session);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
        handleMouse(event, session);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        flushMotion(session);
        handleKey(event.key, session);
        break;
    default:
        break;
    }
}

void HostWindow::Impl::handleWindowEvent(const SDL_WindowEvent& event, HostSession& session) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closed = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        flushMotion(session);
        if (mouseDown) {
            mouseDown = false;
            SDL_CaptureMouse(SDL_FALSE);
            session.touchCancel();
        }
        session.releaseKeys();
        if (activationListener) {
            activationListener(false);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        noteKeysHeldAtFocus();
        session.focus();
        if (activationListener) {
            activationListener(true);
        }
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The window's surface is new: the last frame must be drawn into it again.
        shownFrame.reset();
        break;
    default:
        return;
    }
    dirty = true;
}

void HostWindow::Impl::flushMotion(HostSession& session) {
    if (pendingMotion) {
        session.touchMove(*pendingMotion);
        pendingMotion.reset();
        dirty = true;
    }
}

void HostWindow::Impl::handleMouse(const SDL_Event& event, HostSession& session) {
    if (event.type == SDL_MOUSEMOTION) {
        if (mouseDown) {
            pendingMotion = toPoints(event.motion.x, event.motion.y);
        }
        return;
    }
    flushMotion(session);
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        // A key that holds the finger keeps it: the mouse then does nothing.
        if (event.button.button == SDL_BUTTON_LEFT && !mouseDown &&
            session.touchDown(toPoints(event.button.x, event.button.y))) {
            mouseDown = true;
            SDL_CaptureMouse(SDL_TRUE);
            dirty = true;
        }
    } else if (event.button.button == SDL_BUTTON_LEFT && mouseDown) {
        mouseDown = false;
        SDL_CaptureMouse(SDL_FALSE);
        session.touchUp(toPoints(event.button.x, event.button.y));
        dirty = true;
    }
}

void HostWindow::Impl::handleKey(const SDL_KeyboardEvent& event, HostSession& session) {
    if (event.type == SDL_KEYUP) {
        if (std::optional<HostKey> key = hostKeyOf(event.keysym)) {
            session.keyUp(*key);
            dirty = true;
        }
    } else if (std::optional<HostKey> key = pressedKey(event); key && key->quits()) {
        closed = true;
    } else if (key) {
        session.keyDown(*key, event.repeat != 0 ? HostKeyPress::repeat : HostKeyPress::first);
        dirty = true;
    }
}

// A key held since before the window had focus (the Ctrl+Q that closed another
// window) repeats into this one: neither it nor the text it types is acted on until
// it is lifted. True for the events so dropped.
bool HostWindow::Impl::dropKeyHeldBeforeFocus(const SDL_Event& event) {
    if (event.type == SDL_KEYUP) {
        heldBeforeFocus.erase(event.key.keysym.sym);
        return false;
    }
    if (event.type == SDL_KEYDOWN && heldBeforeFocus.count(event.key.keysym.sym) != 0) {
        dropTypedText = true;
        return true;
    }
    if (event.type == SDL_TEXTINPUT && dropTypedText) {
        dropTypedText = false;
        return true;
    }
    if (event.type == SDL_KEYDOWN) {
        dropTypedText = false;
    }
    return false;
}

// Assistive tools hear every key first; a key-down one consumes (a screen reader's own
// command) is not acted on, nor is its text. Key-ups always reach the session, which
// would otherwise hold a finger down.
bool HostWindow::Impl::consumedByListener(const SDL_Event& event) {
    if (!keyListener || (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)) {
        return false;
    }
    bool consumed = keyListener(HostDesktopKeyOf(event.key, x11Display()));
    if (consumed && event.type == SDL_KEYDOWN) {
        dropTypedText = true;
        return true;
    }
    return false;
}

void HostWindow::Impl::noteKeysHeldAtFocus() {
    heldBeforeFocus.clear();
    dropTypedText = false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (state[scancode] != 0) {
            heldBeforeFocus.insert(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)));
        }
    }
    // SDL learns of no key but the modifiers held before an X window had focus.
    for (SDL_Keycode key : HostX11HeldKeys(x11Display())) {
        heldBeforeFocus.insert(key);
    }
}

// In a program with an on-screen keyboard, the characters come from SDL_TEXTINPUT,
// which follows the desktop's keyboard layout; the session pairs each with the
// key-down before it and that key's key-up. False for the events handleKey takes.
bool HostWindow::Impl::handleTypedText(const SDL_Event& event, HostSession& session) {
    if (!session.typesText()) {
        return false;
    }
    if (event.type == SDL_KEYDOWN) {
        SDL_Keycode code = event.key.keysym.sym;
        if (code < SDLK_SPACE || code >= SDLK_DELETE ||
            (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) {
            return false;
        }
        flushMotion(session);
        session.textKeyDown(code,
                            event.key.repeat != 0 ? HostKeyPress::repeat : HostKeyPress::first);
        return true;
    }
    if (event.type == SDL_TEXTINPUT) {
        session.typeText(event.text.text);
        dirty = true;
        return true;
    }
    if (event.type == SDL_KEYUP && session.textKeyUp(event.key.keysym.sym)) {
        dirty = true;
        return true;
    }
    return false;
}
