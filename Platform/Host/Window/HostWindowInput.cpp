#include <Host/Window/HostWindowInput.h>

#include <Host/Session/HostSession.h>
#include <Host/Window/HostFramePresenter.h>
#include <Host/Window/HostKeyTable.h>

#include <SDL2/SDL_syswm.h>

namespace {

// Alt and the system key make shortcuts of the desktop's, not ours.
std::optional<HostKey> pressedKey(const SDL_KeyboardEvent& event) {
    if ((event.keysym.mod & (KMOD_ALT | KMOD_GUI)) != 0) {
        return std::nullopt;
    }
    return HostKeyOf(event.keysym);
}

HostKeyPress pressOf(const SDL_KeyboardEvent& event) {
    return event.repeat != 0 ? HostKeyPress::repeat : HostKeyPress::first;
}

} // namespace

bool HostWindowInput::handle(const SDL_Event& event, HostSession& session) {
    bool changed = false;
    if (dropKeyHeldBeforeFocus(event) || consumedByListener(event) ||
        handleTypedText(event, session, changed)) {
        return changed;
    }
    switch (event.type) {
    case SDL_QUIT:
        closed_ = true;
        return false;
    case SDL_WINDOWEVENT:
        return handleWindowEvent(event.window, session);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
        return handleMouse(event, session);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        flushMotion(session);
        return handleKey(event.key, session);
    default:
        return false;
    }
}

bool HostWindowInput::handleWindowEvent(const SDL_WindowEvent& event, HostSession& session) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closed_ = true;
        return false;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        flushMotion(session);
        if (mouseDown_) {
            mouseDown_ = false;
            SDL_CaptureMouse(SDL_FALSE);
            session.touchCancel();
        }
        session.releaseKeys();
        if (activationListener_) {
            activationListener_(false);
        }
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        noteKeysHeldAtFocus();
        session.focus();
        if (activationListener_) {
            activationListener_(true);
        }
        return true;
    default:
        return false;
    }
}

bool HostWindowInput::flushMotion(HostSession& session) {
    if (!pendingMotion_) {
        return false;
    }
    session.touchMove(*pendingMotion_);
    pendingMotion_.reset();
    return true;
}

bool HostWindowInput::handleMouse(const SDL_Event& event, HostSession& session) {
    if (event.type == SDL_MOUSEMOTION) {
        if (mouseDown_) {
            pendingMotion_ = presenter_.toPoints(event.motion.x, event.motion.y);
        }
        return false;
    }
    bool changed = flushMotion(session);
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        // A key that holds the finger keeps it: the mouse then does nothing.
        if (event.button.button == SDL_BUTTON_LEFT && !mouseDown_ &&
            session.touchDown(presenter_.toPoints(event.button.x, event.button.y))) {
            mouseDown_ = true;
            SDL_CaptureMouse(SDL_TRUE);
            changed = true;
        }
    } else if (event.button.button == SDL_BUTTON_LEFT && mouseDown_) {
        mouseDown_ = false;
        SDL_CaptureMouse(SDL_FALSE);
        session.touchUp(presenter_.toPoints(event.button.x, event.button.y));
        changed = true;
    }
    return changed;
}

bool HostWindowInput::handleKey(const SDL_KeyboardEvent& event, HostSession& session) {
    if (event.type == SDL_KEYUP) {
        std::optional<HostKey> key = HostKeyOf(event.keysym);
        if (key) {
            session.keyUp(*key);
        }
        return key.has_value();
    }
    std::optional<HostKey> key = pressedKey(event);
    if (key && key->quits()) {
        closed_ = true;
        return false;
    }
    if (key) {
        session.keyDown(*key, pressOf(event));
    }
    return key.has_value();
}

// A key held since before the window had focus repeats into this one: neither it nor
// the text it types is acted on until it is lifted. SDL reports no lift of a key it
// never saw pressed (the key went down in the other window): on X11 the server's own
// release is read for it. True for the events so dropped.
bool HostWindowInput::dropKeyHeldBeforeFocus(const SDL_Event& event) {
    if (event.type == SDL_SYSWMEVENT) {
        if (std::optional<SDL_Keycode> lifted = window_.liftedKey(*event.syswm.msg)) {
            heldBeforeFocus_.erase(*lifted);
        }
        if (heldBeforeFocus_.empty()) {
            SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
        }
        return true;
    }
    if (event.type == SDL_KEYUP) {
        heldBeforeFocus_.erase(event.key.keysym.sym);
        return false;
    }
    if (event.type == SDL_KEYDOWN && heldBeforeFocus_.count(event.key.keysym.sym) != 0) {
        dropTypedText_ = true;
        return true;
    }
    if (event.type == SDL_TEXTINPUT && dropTypedText_) {
        dropTypedText_ = false;
        return true;
    }
    if (event.type == SDL_KEYDOWN) {
        dropTypedText_ = false;
    }
    return false;
}

// Assistive tools hear every key first; a key-down one consumes (a screen reader's own
// command) is not acted on, nor is its text. Key-ups always reach the session, which
// would otherwise hold a finger down.
bool HostWindowInput::consumedByListener(const SDL_Event& event) {
    if (!keyListener_ || (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)) {
        return false;
    }
    bool consumed = keyListener_(HostDesktopKeyOf(event.key, window_));
    if (consumed && event.type == SDL_KEYDOWN) {
        dropTypedText_ = true;
        return true;
    }
    return false;
}

void HostWindowInput::noteKeysHeldAtFocus() {
    heldBeforeFocus_.clear();
    dropTypedText_ = false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (state[scancode] != 0) {
            heldBeforeFocus_.insert(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)));
        }
    }
    // SDL learns of no key but the modifiers held before an X window had focus.
    for (SDL_Keycode key : window_.heldKeys()) {
        heldBeforeFocus_.insert(key);
    }
    if (!heldBeforeFocus_.empty() && window_.system() == HostNativeWindow::System::x11) {
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
}

// In a program with an on-screen keyboard, the characters come from SDL_TEXTINPUT,
// which follows the desktop's keyboard layout; the session pairs each with the
// key-down before it and that key's key-up. False for the events handleKey takes.
bool HostWindowInput::handleTypedText(const SDL_Event& event, HostSession& session, bool& changed) {
    if (!session.typesText()) {
        return false;
    }
    if (event.type == SDL_KEYDOWN) {
        SDL_Keycode code = event.key.keysym.sym;
        if (code < SDLK_SPACE || code >= SDLK_DELETE ||
            (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) {
            return false;
        }
        changed = flushMotion(session);
        session.textKeyDown(code, pressOf(event.key));
        return true;
    }
    if (event.type == SDL_TEXTINPUT) {
        session.typeText(event.text.text);
        changed = true;
        return true;
    }
    if (event.type == SDL_KEYUP && session.textKeyUp(event.key.keysym.sym)) {
        changed = true;
        return true;
    }
    return false;
}
