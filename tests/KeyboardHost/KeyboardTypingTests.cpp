// Typing on the keyboard host's screen headless, as the computer's keyboard and the
// `type` and `key` commands do: each character through its on-screen key (shift
// before a capital, the keyplane switch before a character of the other keyplane),
// one layout pass of the host view a tapped key; BackSpace deletes, Return taps the
// return key, held keys repeat; the text field keeps its text inside its padding.
#include "KeyboardHostCommands.h"
#include "KeyboardHostScreen.h"

#include <UIKit/UIFocusEngine.h>

#include <gtest/gtest.h>

#include <cctype>

namespace {

class KeyboardTyping : public KeyboardHostScreen {
  protected:
    int passes() const { return hostView()->layoutPasses(); }
    // Runs script lines with keyboard-host's own commands.
    void runScript(const std::string& script) {
        std::vector<HostScriptCommand> own =
            KeyboardHostCommands::commands([this] { return hostView(); });
        HostSession scripted(1);
        scripted.setCharacterKeys(
            [this](const HostKey& key) { return KeyboardHostKeys::onScreenKey(*hostView(), key); });
        HostScriptPlayer player(scripted, own);
        for (const ScriptCommand& command : parseEventScript(script, player.syntax())) {
            player.run(command);
        }
    }
    std::string scriptError(const std::string& script) {
        try {
            runScript(script);
        } catch (const ScriptError& error) {
            return error.what();
        }
        return "";
    }
};

TEST_F(KeyboardTyping, EachCharacterTypesThroughItsKeyAfterTheTapsThatReadyIt) {
    // The on-screen taps each character takes, one layout pass each.
    const std::vector<std::pair<char, int>> rows = {
        {'H', 2}, {'e', 1}, {'l', 1}, {'l', 1}, {'o', 1}, {' ', 1}, {'W', 2},
        {'o', 1}, {'r', 1}, {'l', 1}, {'d', 1}, {' ', 1}, {'4', 2}, {'2', 1},
        {',', 1}, {' ', 1}, {'o', 2}, {'k', 1}, {'!', 2}, {'"', 1}, {'A', 3},
    };
    std::string expected;
    for (const auto& [character, taps] : rows) {
        int before = passes();
        HostKey key = *HostKey::typing(character);
        session.keyDown(key);
        UIKBKeyView* onScreen =
            hostView()->keyForCharacter(static_cast<char>(std::tolower(character)));
        EXPECT_TRUE(onScreen->isHighlighted()) << character << ": shown pressed while held";
        EXPECT_FALSE(onScreen->isHidden()) << character;
        EXPECT_EQ(typed(), expected) << character << ": typed when lifted";
        session.keyUp(key);
        expected += character;
        EXPECT_FALSE(onScreen->isHighlighted()) << character;
        EXPECT_EQ(typed(), expected);
        EXPECT_EQ(passes() - before, taps) << character;
        EXPECT_EQ(controller->textField()->accessibilityValue(), expected);
    }
}

TEST_F(KeyboardTyping, BackSpaceDeletesOneCharacterATapUntilEmpty) {
    runScript("type Hello World 42, ok!\n");
    ASSERT_EQ(typed(), "Hello World 42, ok!");
    std::string expected = typed();
    while (!expected.empty()) {
        int before = passes();
        session.pressKey(*HostKeyNamed("BackSpace"));
        expected.pop_back();
        EXPECT_EQ(typed(), expected);
        EXPECT_EQ(passes() - before, 1) << expected;
    }
    int before = passes();
    session.pressKey(*HostKeyNamed("BackSpace"));
    EXPECT_EQ(typed(), "");
    EXPECT_EQ(passes() - before, 1) << "an empty field: the key still lays the keyboard out";
}

TEST_F(KeyboardTyping, HeldKeysRepeatThroughTheirKeys) {
    struct Row {
        std::string before;
        std::string key;
        int repeats;
        std::string after;
        int passes;
    };
    const std::vector<Row> rows = {
        {"", "x", 3, "xxxx", 4},          {"", "Shift+w", 2, "WWW", 6}, {"", "4", 2, "444", 4},
        {"abcd", "BackSpace", 2, "a", 3}, {"ab", "Return", 3, "ab", 4},
    };
    for (const Row& row : rows) {
        runScript("type x\n");
        while (!typed().empty()) {
            session.pressKey(*HostKeyNamed("BackSpace"));
        }
        if (!row.before.empty()) {
            runScript("type " + row.before + "\n");
        }
        int before = passes();
        HostKey key = *HostKeyNamed(row.key);
        session.keyDown(key);
        for (int i = 0; i < row.repeats; ++i) {
            session.keyDown(key, HostKeyPress::repeat);
        }
        session.keyUp(key);
        EXPECT_EQ(typed(), row.after) << row.key;
        EXPECT_EQ(passes() - before, row.passes) << row.key;
        EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown()) << row.key;
    }
}

// Fast typing overlaps keys: each waits for the finger and none is lost.
TEST_F(KeyboardTyping, OverlappingKeysTypeInTheOrderPressed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"+a", "+b", "-a", "-b"}, "ab"},
        {{"+a", "+b", "-b", "-a"}, "ab"},
        {{"+Shift+h", "+i", "-h", "-i"}, "Hi"},
        {{"+a", "+b", "+c", "-c", "-b", "-a"}, "abc"},
        {{"+1", "+x", "-1", "+2", "-x", "-2"}, "1x2"},
        {{"+a", "+b", "=b", "-a", "-b"}, "ab"}, // a waiting key does not repeat
    };
    for (const auto& [events, text] : rows) {
        while (!typed().empty()) {
            session.pressKey(*HostKeyNamed("BackSpace"));
        }
        for (const std::string& event : events) {
            HostKey key = *HostKeyNamed(event.substr(1));
            if (event[0] == '-') {
                session.keyUp(key);
            } else {
                session.keyDown(key, event[0] == '=' ? HostKeyPress::repeat : HostKeyPress::first);
            }
        }
        EXPECT_EQ(typed(), text) << events.front();
        EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown()) << events.front();
    }
}

// A window's typed text: each character paired with the key-down before it (held
// until that key's key-up, retyped at a repeat); text with no key-down at once.
TEST_F(KeyboardTyping, WindowTextIsHeldAsTheKeyThatTypedIt) {
    session.textKeyDown(55, HostKeyPress::first);
    session.typeText("&");
    EXPECT_TRUE(hostView()->keyForCharacter('&')->isHighlighted());
    EXPECT_FALSE(session.textKeyUp(56)) << "another key typed nothing";
    session.textKeyDown(55, HostKeyPress::repeat);
    session.typeText("&");
    EXPECT_EQ(typed(), "&");
    EXPECT_TRUE(session.textKeyUp(55));
    EXPECT_EQ(typed(), "&&");
    EXPECT_FALSE(session.textKeyUp(55)) << "lifted once";
    session.typeText("\xC3\xA9x");
    EXPECT_EQ(typed(), "&&x") << "no key for the accented letter; the x at once";
    session.textKeyDown(57, HostKeyPress::first);
    session.releaseKeys();
    session.typeText("y");
    EXPECT_EQ(typed(), "&&xy");
    EXPECT_FALSE(session.textKeyUp(57));
    EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown());
}

TEST_F(KeyboardTyping, ReturnShowsTheReturnKeyPressedAndInsertsNothing) {
    runScript("type ok\n");
    session.keyDown(*HostKeyNamed("Return"));
    EXPECT_TRUE(hostView()->keyOfKind(UIKBKeyKind::returnKey)->isHighlighted());
    session.keyUp(*HostKeyNamed("Return"));
    EXPECT_EQ(typed(), "ok");
}

TEST_F(KeyboardTyping, ShiftShowsActiveAndLastsOneLetter) {
    UIKBKeyView* shift = hostView()->keyOfKind(UIKBKeyKind::shift);
    ASSERT_TRUE(session.tap(KeyboardHostViewController::screenPointOf(*shift)));
    EXPECT_TRUE(shift->isSelected());
    EXPECT_NE(shift->accessibilityTraits() & UIAccessibilityTraitSelected, 0u);
    EXPECT_EQ(hostView()->keyForCharacter('q')->title(), "Q");
    EXPECT_EQ(hostView()->keyForCharacter('q')->accessibilityLabel(), "Q");
    ASSERT_TRUE(session.tap(*controller->screenPointOfKey('q')));
    EXPECT_EQ(typed(), "Q");
    EXPECT_FALSE(shift->isSelected());
    EXPECT_EQ(shift->accessibilityTraits() & UIAccessibilityTraitSelected, 0u);
    EXPECT_EQ(hostView()->keyForCharacter('q')->title(), "q");
    session.pressKey(*HostKeyNamed("q"));
    EXPECT_EQ(typed(), "Qq");
}

// Shift lasts one letter and nothing carries it further: a keyplane switch releases
// it, and a lower-case letter from the computer's keyboard comes out in lower case
// (shift tapped off first, as a user would).
TEST_F(KeyboardTyping, ShiftIsReleasedByAKeyplaneSwitchAndByALowerCaseLetter) {
    using P = UIKBKeyplane;
    struct Row {
        // "tap shift", "tap switch" and "tap q" on the screen; "type C" a character
        // and "press KEY" a named key from the computer's keyboard.
        std::vector<std::string> steps;
        std::string text;
        bool shifted;
        UIKBKeyplane keyplane;
    };
    const std::vector<Row> rows = {
        {{"tap shift"}, "", true, P::letters},
        {{"tap shift", "tap q"}, "Q", false, P::letters},
        {{"tap shift", "tap switch"}, "", false, P::numbers},
        {{"tap shift", "tap switch", "tap switch"}, "", false, P::letters},
        {{"tap shift", "tap switch", "tap switch", "tap q"}, "q", false, P::letters},
        {{"tap shift", "type 4"}, "4", false, P::numbers},
        {{"tap shift", "type 4", "type a"}, "4a", false, P::letters},
        {{"tap shift", "type q"}, "q", false, P::letters},
        {{"tap shift", "type q", "type w"}, "qw", false, P::letters},
        {{"tap shift", "press q"}, "q", false, P::letters},
        {{"tap shift", "type Q"}, "Q", false, P::letters},
        {{"tap shift", "press Shift+q", "type w"}, "Qw", false, P::letters},
    };
    for (const Row& row : rows) {
        TearDown(); // a keyboard just shown: letters, no shift, an empty field
        SetUp();
        for (const std::string& step : row.steps) {
            std::string what = step.substr(step.find(' ') + 1);
            if (step.starts_with("tap ")) {
                UIKBKeyView* key = what == "shift" ? hostView()->keyOfKind(UIKBKeyKind::shift)
                                   : what == "switch"
                                       ? hostView()->keyOfKind(UIKBKeyKind::keyplaneSwitch)
                                       : hostView()->keyForCharacter(what[0]);
                ASSERT_TRUE(session.tap(KeyboardHostViewController::screenPointOf(*key))) << step;
            } else if (step.starts_with("type ")) {
                session.pressKey(*HostKey::typing(what[0]));
            } else {
                session.pressKey(*HostKeyNamed(what));
            }
        }
        const std::string name = row.steps.back() + " after " + row.steps.front();
        EXPECT_EQ(typed(), row.text) << name;
        EXPECT_EQ(hostView()->isShifted(), row.shifted) << name;
        EXPECT_EQ(hostView()->keyplane(), row.keyplane) << name;
        EXPECT_EQ(hostView()->keyOfKind(UIKBKeyKind::shift)->isSelected(), row.shifted) << name;
        EXPECT_EQ(hostView()->keyForCharacter('q')->title(), row.shifted ? "Q" : "q") << name;
    }
}

TEST_F(KeyboardTyping, TypeAndKeyCommandsTypeOrNameWhatTheKeyboardLacks) {
    const std::string longText(100, 'a');
    struct Row {
        std::string script;
        std::string text;  // the field afterwards
        std::string error; // a part of the message; empty when none
    };
    const std::vector<Row> rows = {
        {"type Hello World 42, ok!\n", "Hello World 42, ok!", ""},
        {"type 1234567890-/:;()$&@\".,?!'\n", "1234567890-/:;()$&@\".,?!'", ""},
        {"key hello world\n", "hello world", ""},
        {"type abc#d\n", "", "the keyboard has no key for \"#\" in \"abc#d\""},
        {"type caf\xC3\xA9\n", "", "no key for \"\xC3\xA9\" (U+00E9) in \"caf\xC3\xA9\""},
        {"type a\tb\n", "", "no key for a control character (U+0009)"},
        {"type " + longText + "\xFF\n", "",
         "no key for byte 0xFF in \"" + longText.substr(0, 80) + "...\""},
        {"key Hi\n", "", "no key for \"H\" (the keyboard has a-z and space)"},
        {"key 7\n", "", "no key for \"7\""},
    };
    for (const Row& row : rows) {
        while (!typed().empty()) {
            session.pressKey(*HostKeyNamed("BackSpace"));
        }
        std::string error = scriptError(row.script);
        EXPECT_EQ(typed(), row.text) << row.script << ": a refused line types nothing";
        if (row.error.empty()) {
            EXPECT_EQ(error, "") << row.script;
        } else {
            EXPECT_NE(error.find(row.error), std::string::npos) << row.script << error;
            EXPECT_LT(error.size(), 200u) << "at most 80 characters of the input quoted";
        }
    }
}

TEST_F(KeyboardTyping, ALongLineStaysInsideTheFieldWithTheCaretInView) {
    const KeyboardTextField& field = *controller->textField();
    const std::vector<std::string> rows = {"", "short", std::string(60, 'w'),
                                           "Hello World 42, ok! Hello World 42, ok! Hello"};
    for (const std::string& text : rows) {
        while (!typed().empty()) {
            session.pressKey(*HostKeyNamed("BackSpace"));
        }
        if (!text.empty()) {
            runScript("type " + text + "\n");
        }
        window->layoutIfNeeded();
        CGRect clip = field.textClipFrame(), caret = field.caretFrame();
        EXPECT_GE(caret.origin.x, clip.origin.x) << text;
        EXPECT_LE(CGRectGetMaxX(caret), CGRectGetMaxX(clip)) << text;
        bool fits = CGRectGetMaxX(field.textFrame()) < CGRectGetMaxX(clip) - 3;
        EXPECT_EQ(field.textFrame().origin.x == clip.origin.x, fits)
            << text << ": scrolled only when the text does not fit";

        // No ink in the padding either side; the caret's blue at the clip's right
        // end once the text scrolls.
        CGImageRef frame = session.renderFrame();
        CGRect onScreen = field.convertRectToView(field.bounds(), nullptr);
        for (auto y = static_cast<std::size_t>(onScreen.origin.y + 8);
             y < static_cast<std::size_t>(CGRectGetMaxY(onScreen) - 8); ++y) {
            for (CGFloat x : {onScreen.origin.x + 3, onScreen.origin.x + 8,
                              CGRectGetMaxX(onScreen) - 8, CGRectGetMaxX(onScreen) - 3}) {
                CGPixel p = CGImageGetPixel(frame, static_cast<std::size_t>(x), y);
                EXPECT_EQ(p, (CGPixel{255, 255, 255, 255})) << text << " at " << x << "," << y;
            }
        }
        if (!fits) {
            CGPixel caretPixel = CGImageGetPixel(
                frame, static_cast<std::size_t>(onScreen.origin.x + CGRectGetMidX(caret)),
                static_cast<std::size_t>(onScreen.origin.y + CGRectGetMidY(caret)));
            EXPECT_GT(caretPixel.b, caretPixel.r + 100) << text << ": the caret shows";
        }
    }
}

TEST_F(KeyboardTyping, TheFieldAndEveryShownKeyAreAccessibilityElements) {
    runScript("type Hi\n");
    auto labels = [] {
        UIAccessibilityNode tree = UIAccessibilityElementTree("keyboard-host");
        std::vector<std::string> found;
        for (const UIAccessibilityNode& node : tree.children) {
            if (node.role == UIAccessibilityRole::entry) {
                found.push_back("entry " + node.label + "=" + node.value);
            } else if ((node.traits & UIAccessibilityTraitKeyboardKey) != 0) {
                found.push_back(node.label);
            }
        }
        return found;
    };
    std::vector<std::string> letters = {"entry Text field=Hi"};
    for (char c : std::string("qwertyuiopasdfghjkl")) {
        letters.emplace_back(1, c);
    }
    letters.emplace_back("shift");
    for (char c : std::string("zxcvbnm")) {
        letters.emplace_back(1, c);
    }
    for (const char* name : {"delete", "123", "space", "return"}) {
        letters.emplace_back(name);
    }
    EXPECT_EQ(labels(), letters);

    session.pressKey(*HostKeyNamed("1"));
    std::vector<std::string> numbers = {"entry Text field=Hi1"};
    for (char c : std::string("1234567890-/:;()$&@\".,?!'")) {
        numbers.emplace_back(1, c);
    }
    for (const char* name : {"delete", "ABC", "space", "return"}) {
        numbers.emplace_back(name);
    }
    EXPECT_EQ(labels(), numbers) << "shift and the letters hide with their keyplane";
}

// Tools keep their focus on the field typed into (the first responder) while the
// keyboard has moved focus nowhere: typing there is what they read back.
TEST_F(KeyboardTyping, TheFieldHoldsTheFocusUntilTabMovesIt) {
    UIFocusEngine::shared().reset();
    auto focused = [] {
        UIView* view = UIAccessibilityFocusedElement();
        return view ? view->accessibilityLabel() : std::string("(none)");
    };
    EXPECT_TRUE(controller->textField()->isFirstResponder());
    EXPECT_EQ(focused(), "Text field");
    runScript("type Hi\n");
    EXPECT_EQ(focused(), "Text field") << "typing taps keys but leaves the focus";
    runScript("press Tab\n");
    EXPECT_EQ(focused(), "q");
    UIFocusEngine::shared().reset();
    EXPECT_EQ(focused(), "Text field");
}

} // namespace
