// The computer's keyboard on the keyboard host's screen, headless and in a window:
// characters, BackSpace and Return tap the on-screen keys (held down while the key
// is, after shift or the keyplane switch where needed), other keys type nothing.
#include "KeyboardHostScreen.h"
#include "TestSupport.h"
#include "WindowEvents.h"

#include <Host/Window/HostWindow.h>
#include <UIKit/UIApplication.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

namespace {

class KeyboardScreen : public KeyboardHostScreen {
  protected:
    bool highlighted(char c) const { return hostView()->keyForCharacter(c)->isHighlighted(); }
};

TEST_F(KeyboardScreen, PressedKeysTypeWhatTheirOnScreenKeysType) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"h", "i"}, "hi"},
        {{"H", "I"}, "hi"},
        {{"a", "space", "z"}, "a z"},
        {{"7", "0"}, "70"},
        {{"Return", "Escape", "Tab", "Left", "Ctrl+c"}, ""},
    };
    for (const auto& [keys, text] : rows) {
        std::string before = typed();
        for (const std::string& name : keys) {
            session.pressKey(*HostKeyNamed(name));
        }
        EXPECT_EQ(typed().substr(before.size()), text) << keys.front();
        EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown()) << keys.front();
    }
}

TEST_F(KeyboardScreen, AKeyShowsPressedWhileDownAndTypesWhenLifted) {
    session.keyDown(HostKey::of('q'));
    EXPECT_TRUE(highlighted('q'));
    EXPECT_EQ(typed(), "") << "as a tap, it types when lifted";
    session.keyDown(HostKey::of('w'));
    EXPECT_FALSE(highlighted('w')) << "one finger: the second key waits";
    session.keyUp(HostKey::of('q'));
    EXPECT_FALSE(highlighted('q'));
    EXPECT_EQ(typed(), "q");
}

TEST_F(KeyboardScreen, KeysThroughTheWindowTapTheKeysVisibly) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    std::string error;
    std::unique_ptr<HostWindow> shown = openTestWindow("keyboard-host", 1, error);
    ASSERT_NE(shown, nullptr) << error;
    window->layoutIfNeeded();
    shown->present(session);
    CGPoint h = *controller->screenPointOfKey('h');
    auto x = static_cast<std::size_t>(h.x), y = static_cast<std::size_t>(h.y) - 12;
    CGPixel up = CGImageGetPixel(shown->windowPixels(), x, y);

    pushKey(SDL_KEYDOWN, SDLK_h);
    pushText("h");
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_TRUE(highlighted('h'));
    CGPixel down = CGImageGetPixel(shown->windowPixels(), x, y);
    EXPECT_LT(down.r + 100, up.r) << "the pressed cap is drawn dark in the window";
    pushKey(SDL_KEYUP, SDLK_h);
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    pushText(" ");
    pushKey(SDL_KEYUP, SDLK_SPACE);
    pushKey(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL);
    pushKey(SDL_KEYUP, SDLK_c, KMOD_LCTRL);
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_EQ(typed(), "h ") << "Ctrl+C is a shortcut, not a c";
    EXPECT_FALSE(highlighted('h'));
}

// A layout where Shift+7 types '/': the window types what SDL_TEXTINPUT says, through
// the on-screen key, held until the key-up and retyped at each repeat.
TEST_F(KeyboardScreen, TheWindowTypesWhatTheDesktopsLayoutTypesAndRepeatsHeldKeys) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    std::string error;
    std::unique_ptr<HostWindow> shown = openTestWindow("keyboard-host", 1, error);
    ASSERT_NE(shown, nullptr) << error;
    window->layoutIfNeeded();

    pushKey(SDL_KEYDOWN, SDLK_7, KMOD_LSHIFT);
    pushText("/");
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_TRUE(highlighted('/')) << "after the keyplane switch, the '/' key is held";
    EXPECT_EQ(typed(), "");
    for (int i = 0; i < 2; ++i) {
        pushKey(SDL_KEYDOWN, SDLK_7, KMOD_LSHIFT, true);
        pushText("/");
    }
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_EQ(typed(), "//") << "each repeat lifts the key (typing) and presses it again";
    EXPECT_TRUE(highlighted('/'));
    pushKey(SDL_KEYUP, SDLK_7); // Shift let go first
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_EQ(typed(), "///");
    EXPECT_FALSE(highlighted('/'));

    pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
    pushKey(SDL_KEYUP, SDLK_BACKSPACE);
    pushKey(SDL_KEYDOWN, SDLK_e); // a dead key: no text follows
    pushKey(SDL_KEYUP, SDLK_e);
    pushKey(SDL_KEYDOWN, SDLK_e);
    pushText("\xC3\xA9"); // no key for it
    pushKey(SDL_KEYUP, SDLK_e);
    pushText("ab"); // from an input method, with no key-down
    ASSERT_TRUE(shown->processEvents(session, 100));
    EXPECT_EQ(typed(), "//ab");
    EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown());
}

} // namespace
