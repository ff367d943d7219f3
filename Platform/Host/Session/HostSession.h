// A running program as the host drives it: touches in screen points, the computer's
// keys, focus, rotation, alert buttons and frames of the screen. The window and the
// headless run share it (the event-script commands are built on it, in Program/);
// they differ in how time passes and in what a change of the screen makes them do.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>
#include <Host/Session/HostKey.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Where a program's on-screen keyboard takes a key of the computer's (a character,
// BackSpace, Return), in screen points: the on-screen key that types it, or, while
// the keyboard must first be readied for it (shift before a capital, the key that
// switches to digits and punctuation), the key that readies it, which the session
// taps before asking again. None when the keyboard has no key for it.
struct HostOnScreenKey {
    CGPoint point{};
    bool readies = false;
};
using HostCharacterKeys = std::function<std::optional<HostOnScreenKey>(const HostKey& key)>;

class HostSession {
  public:
    explicit HostSession(CGFloat scale);
    // Cancels a finger that is still down, so that no touch outlives the session
    // (nor the views it began on).
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    CGFloat scale() const { return scale_; }

    // One finger, in screen points. Each returns false when the call does not fit
    // the finger's state (moving with no finger down, putting a second one down).
    bool touchDown(CGPoint point);
    bool touchMove(CGPoint point);
    bool touchUp(CGPoint point);
    bool touchCancel();
    bool isTouchDown() const { return touchDown_; }
    bool tap(CGPoint point);
    // Down at `from`, `moves` evenly spaced moves ending at `to`, up at `to`.
    bool drag(CGPoint from, CGPoint to, int moves);

    // The computer's keyboard. Tab and Shift+Tab move the focus, the arrows move it
    // within a group; Ctrl+C sends copy. With an alert up, Return presses its focused
    // button (at first the one drawn bold) and Escape its cancel button. In a program
    // with an on-screen keyboard, a character, BackSpace and Return put a finger on
    // its key for them while the key is down, after tapping the keys that ready the
    // keyboard, as a user would; a key pressed while another key holds the finger
    // waits its turn (typing fast, keys overlap); a press while the mouse holds the
    // finger does nothing. Elsewhere Space and Return tap the focused element's
    // centre. A repeat (the key held) moves focus and answers alerts again, one alert
    // a repeat; a held on-screen key is lifted (which types) and pressed again; a
    // repeat does nothing elsewhere.
    void keyDown(HostKey key, HostKeyPress press = HostKeyPress::first);
    void keyUp(HostKey key);
    void pressKey(HostKey key);
    void setCharacterKeys(HostCharacterKeys keys) { characterKeys_ = std::move(keys); }
    // Whether the program has an on-screen keyboard that types text.
    bool typesText() const { return static_cast<bool>(characterKeys_); }
    // Typed text as a window reports it: a key that types went down (`code` names it
    // in the window's terms), then the text it typed as the desktop's layout has it,
    // held as that key until the key's key-up (true when `code` typed and is now
    // lifted). Text that no key-down announced (an input method's) is pressed and
    // released at once; characters the keyboard has no key for type nothing.
    void textKeyDown(int code, HostKeyPress press);
    void typeText(const std::string& utf8);
    bool textKeyUp(int code);
    // Lifts a finger that a key holds down, and forgets the keys waiting (the window
    // lost the keyboard).
    void releaseKeys();

    // The window gained focus (the `focus` command headless): the application becomes
    // active, then the program's focus handler runs.
    void focus();
    void setFocusHandler(std::function<void()> handler) { focusHandler_ = std::move(handler); }

    // Presses the button titled `title` on the alert that is up; false when no alert
    // is up or it has no such button.
    bool pressAlertButton(const std::string& title);
    // False when the interface refused to turn.
    bool rotate(bool landscape);

    // Readies the screen for a frame: the focus ring goes where the focus is.
    void prepareFrame() const;
    // The screen now (after a layout pass), `scale` pixels per point.
    CGImageRef renderFrame() const;
    bool isAnimating() const;
    // Says that the screen may have changed, after work done outside the session (a
    // program's own script command, time passing).
    void changed();
    // Called after anything that may have changed the screen.
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

  private:
    void pressAlertButtonForKey(HostKey::Kind kind);
    bool focusKeyDown(HostKey key, HostKeyPress press);
    void pressOnScreenKey(const HostKey& key);
    bool isHeld(const HostKey& key) const;
    void pressWaitingKey();

    CGFloat scale_;
    bool touchDown_ = false;
    HostCharacterKeys characterKeys_;
    // The key whose finger is down, and where.
    std::optional<HostKey> heldKey_;
    CGPoint heldKeyPoint_{};
    // Keys pressed while another held the finger, in order; whether each is up already.
    std::deque<std::pair<HostKey, bool>> waitingKeys_;
    // The key-down whose text is awaited, and the key each typing key typed.
    std::optional<std::pair<int, HostKeyPress>> textKeyDown_;
    std::map<int, HostKey> typedKeys_;
    std::function<void()> changeHandler_;
    std::function<void()> focusHandler_;
};
