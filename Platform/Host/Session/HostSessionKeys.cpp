// The computer's keyboard in a session: focus keys, alert keys, Ctrl+C, and the keys
// that type through a program's on-screen keyboard.
#include <Host/Session/HostSession.h>

#include <UIKit/UIAlertView.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIFocusEngine.h>

namespace {

std::optional<UIFocusHeading> headingOf(const HostKey& key) {
    using K = HostKey::Kind;
    switch (key.kind) {
    case K::tab:
        return key.has(HostKey::shift) ? UIFocusHeading::previous : UIFocusHeading::next;
    case K::left:
        return UIFocusHeading::left;
    case K::right:
        return UIFocusHeading::right;
    case K::up:
        return UIFocusHeading::up;
    case K::down:
        return UIFocusHeading::down;
    default:
        return std::nullopt;
    }
}

bool isActivation(const HostKey& key) {
    return key.modifiers == 0 && (key.kind == HostKey::Kind::returnKey || key == HostKey::of(' '));
}

} // namespace

// Return presses the focused button (at first the one drawn bold), Escape the
// cancel button; held, each repeat answers the next alert.
void HostSession::pressAlertButtonForKey(HostKey::Kind kind) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    if (alert == nullptr) {
        return;
    }
    NSInteger index = alert->cancelButtonIndex();
    if (kind == HostKey::Kind::returnKey) {
        index = alert->indexOfButton(UIFocusEngine::shared().focusedView());
    }
    if (index >= 0) {
        alert->pressButtonAtIndex(index);
        changed();
    }
}

// Keys of the platform's own: moving focus, Ctrl+C, Return and Escape on an alert,
// Space and Return on the focused element. False for the keys left to the program.
bool HostSession::focusKeyDown(HostKey key, HostKeyPress press) {
    if (std::optional<UIFocusHeading> heading = headingOf(key)) {
        if (UIFocusEngine::shared().moveFocus(*heading)) {
            changed();
        }
        return true;
    }
    if (key.has(HostKey::control)) {
        if (key == HostKey{HostKey::Kind::character, 'c', HostKey::control} &&
            press == HostKeyPress::first) {
            UIApplication::sharedApplication()->sendAction("copy:", nullptr, nullptr, nullptr);
        }
        return true;
    }
    bool returnOrEscape = key.kind == HostKey::Kind::returnKey || key.kind == HostKey::Kind::escape;
    if (UIAlertView::visibleAlert() != nullptr) {
        if (returnOrEscape) {
            pressAlertButtonForKey(key.kind);
        }
        return returnOrEscape;
    }
    // In a program that types, Space and Return type as its keys do.
    if (isActivation(key) && !typesText()) {
        if (std::optional<CGPoint> point = UIFocusEngine::shared().activationPoint()) {
            if (press == HostKeyPress::first) {
                tap(*point); // the same touches as a tap there
            }
            return true;
        }
    }
    return key.kind == HostKey::Kind::escape ||
           (key.kind == HostKey::Kind::returnKey && !typesText());
}

void HostSession::keyDown(HostKey key, HostKeyPress press) {
    using K = HostKey::Kind;
    if (focusKeyDown(key, press)) {
        return;
    }
    bool typing =
        !key.has(HostKey::control) &&
        (key.typedCharacter() != 0 || key.kind == K::backSpace || key.kind == K::returnKey);
    if (!typing || !characterKeys_) {
        return;
    }
    if (press == HostKeyPress::repeat) {
        if (!isHeld(key)) {
            return;
        }
        keyUp(key);
    }
    if (heldKey_) {
        if (press == HostKeyPress::first) {
            waitingKeys_.emplace_back(key, false);
        }
        return;
    }
    pressOnScreenKey(key);
}

// Readying takes at most a shift and a keyplane switch; the bound keeps a keyboard
// that never settles from looping.
void HostSession::pressOnScreenKey(const HostKey& key) {
    constexpr int readyingTaps = 4;
    for (int tapped = 0; tapped <= readyingTaps; ++tapped) {
        std::optional<HostOnScreenKey> onScreen = characterKeys_(key);
        if (!onScreen) {
            return;
        }
        if (!onScreen->readies) {
            if (touchDown(onScreen->point)) {
                heldKey_ = key;
                heldKeyPoint_ = onScreen->point;
            }
            return;
        }
        if (!tap(onScreen->point)) {
            return;
        }
    }
}

// The same key of the computer's keyboard, whatever modifiers came and went.
bool HostSession::isHeld(const HostKey& key) const {
    return heldKey_ && heldKey_->kind == key.kind && heldKey_->character == key.character;
}

void HostSession::keyUp(HostKey key) {
    if (isHeld(key)) {
        heldKey_.reset();
        touchUp(heldKeyPoint_);
        pressWaitingKey();
        return;
    }
    for (auto& [waiting, up] : waitingKeys_) {
        if (waiting.kind == key.kind && waiting.character == key.character && !up) {
            up = true;
            return;
        }
    }
}

// The next waiting key takes the finger; one already up is tapped, and the next
// after it waits no longer either.
void HostSession::pressWaitingKey() {
    while (!heldKey_ && !waitingKeys_.empty()) {
        auto [key, up] = waitingKeys_.front();
        waitingKeys_.pop_front();
        pressOnScreenKey(key);
        if (!heldKey_) {
            continue; // the keyboard has no key for it, or the mouse holds the finger
        }
        if (up) {
            heldKey_.reset();
            touchUp(heldKeyPoint_);
        }
    }
}

void HostSession::pressKey(HostKey key) {
    keyDown(key);
    keyUp(key);
}

void HostSession::textKeyDown(int code, HostKeyPress press) {
    textKeyDown_.emplace(code, press);
}

void HostSession::typeText(const std::string& utf8) {
    std::optional<HostKey> key = utf8.size() == 1 ? HostKey::typing(utf8[0]) : std::nullopt;
    if (key && textKeyDown_) {
        keyDown(*key, textKeyDown_->second);
        typedKeys_[textKeyDown_->first] = *key;
    } else {
        for (char character : utf8) {
            if (std::optional<HostKey> typed = HostKey::typing(character)) {
                pressKey(*typed);
            }
        }
    }
    textKeyDown_.reset();
}

bool HostSession::textKeyUp(int code) {
    auto typed = typedKeys_.find(code);
    if (typed == typedKeys_.end()) {
        return false;
    }
    HostKey key = typed->second;
    typedKeys_.erase(typed);
    keyUp(key);
    return true;
}

void HostSession::releaseKeys() {
    waitingKeys_.clear();
    textKeyDown_.reset();
    typedKeys_.clear();
    if (heldKey_) {
        heldKey_.reset();
        touchCancel();
    }
}
