// The computer's keyboard without a display: the names a script may use, and what
// each key does in the test scene (an alert with "Cancel" and "OK" behind the
// "Show Alert" button at (85, 106); the slider across (20..300, 154..194)).
#include "PlatformTestSupport.h"
#include "TestScene.h"

#include <Host/Session/HostKey.h>
#include <Host/Session/HostSession.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIFocusEngine.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(HostKey, NamesAScriptMayUse) {
    using K = HostKey::Kind;
    const std::vector<std::pair<std::string, std::optional<HostKey>>> rows = {
        {"a", HostKey{K::character, 'a'}},
        {"Q", HostKey{K::character, 'q'}},
        {"7", HostKey{K::character, '7'}},
        {"space", HostKey{K::character, ' '}},
        {"Return", HostKey{K::returnKey, 0}},
        {"Escape", HostKey{K::escape, 0}},
        {"Tab", HostKey{K::tab, 0}},
        {"BackSpace", HostKey{K::backSpace, 0}},
        {"Left", HostKey{K::left, 0}},
        {"Down", HostKey{K::down, 0}},
        {"Shift+Tab", HostKey{K::tab, 0, HostKey::shift}},
        {"Ctrl+c", HostKey{K::character, 'c', HostKey::control}},
        {"Ctrl+Shift+Up", HostKey{K::up, 0, HostKey::shift | HostKey::control}},
        {"Shift+Ctrl+Up", HostKey{K::up, 0, HostKey::shift | HostKey::control}},
        {"Shift+Shift+a", std::nullopt},
        {"Shift+", std::nullopt},
        {"shift+a", std::nullopt},
        {"Alt+a", std::nullopt},
        {"", std::nullopt},
        {"ab", std::nullopt},
        {"return", std::nullopt},
        {"F1", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"\xc3\xa9", std::nullopt},
    };
    for (const auto& [name, key] : rows) {
        EXPECT_EQ(HostKeyNamed(name), key) << '"' << name << '"';
    }
}

// The test scene launched in this process, headless, at scale 1.
class SceneKeys : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        delegate = std::make_shared<TestSceneAppDelegate>();
        ASSERT_TRUE(testsupport::launchApplication(delegate));
    }
    static void TearDownTestSuite() {
        testsupport::endApplication();
        delegate.reset();
    }
    void TearDown() override { testsupport::dismissAlerts(); }
    // What the scene logged while `run` ran.
    std::vector<std::string> logDuring(const std::function<void()>& run) {
        std::size_t before = delegate->scene()->log().size();
        run();
        const std::vector<std::string>& log = delegate->scene()->log();
        return {log.begin() + static_cast<std::ptrdiff_t>(before), log.end()};
    }

    static inline std::shared_ptr<TestSceneAppDelegate> delegate;
    HostSession session{1};
};

TEST(HostKey, TypingAndTypedCharacterAreInverse) {
    for (int byte = 0x20; byte <= 0x7e; ++byte) {
        auto character = static_cast<char>(byte);
        std::optional<HostKey> key = HostKey::typing(character);
        ASSERT_TRUE(key) << byte;
        EXPECT_EQ(key->typedCharacter(), character) << byte;
    }
    EXPECT_EQ(HostKey::typing('\n'), std::nullopt);
    EXPECT_EQ(HostKey::typing('\xc3'), std::nullopt);
    EXPECT_EQ((HostKey{HostKey::Kind::character, 'c', HostKey::control}).typedCharacter(), 0)
        << "a shortcut types nothing";
    EXPECT_EQ((HostKey{HostKey::Kind::tab, 0}).typedCharacter(), 0);
}

TEST_F(SceneKeys, ReturnAndEscapeAnswerTheAlertOtherKeysDoNot) {
    struct Row {
        bool alertUp;
        std::vector<std::string> keys;
        std::vector<std::string> logged;
        bool alertStaysUp;
    };
    const std::vector<Row> rows = {
        // Return presses the button drawn bold (Cancel), until Tab moves the focus.
        {true, {"Return"}, {"alert Cancel"}, false},
        {true, {"Tab", "Return"}, {"alert OK"}, false},
        {true, {"Shift+Tab", "Return"}, {"alert OK"}, false},
        {true, {"Tab", "Tab", "Return"}, {"alert Cancel"}, false},
        {true, {"Right", "Return"}, {"alert OK"}, false},
        {true, {"Escape"}, {"alert Cancel"}, false},
        {true, {"Tab", "BackSpace", "space", "a", "7", "Ctrl+c"}, {}, true},
        {false, {"Return", "Escape"}, {}, false},
    };
    for (const Row& row : rows) {
        if (row.alertUp) {
            ASSERT_TRUE(session.tap({85, 106}));
            ASSERT_NE(UIAlertView::visibleAlert(), nullptr);
        }
        std::vector<std::string> logged = logDuring([&] {
            for (const std::string& name : row.keys) {
                session.pressKey(*HostKeyNamed(name));
            }
        });
        EXPECT_EQ(logged, row.logged) << row.keys.front();
        EXPECT_EQ(UIAlertView::visibleAlert() != nullptr, row.alertStaysUp) << row.keys.front();
        TearDown();
    }
}

// Held, Return taps the focused button once, then answers one alert a repeat; it
// never taps again while held, so holding it cannot raise alert after alert.
TEST_F(SceneKeys, HeldReturnTapsOnceThenAnswersOneAlertARepeat) {
    UIFocusEngine::shared().reset();
    const HostKey returnKey = *HostKeyNamed("Return");
    EXPECT_EQ(logDuring([&] { session.pressKey(returnKey); }), std::vector<std::string>{})
        << "nothing holds focus before Tab";
    session.pressKey(*HostKeyNamed("Tab"));
    session.pressKey(*HostKeyNamed("Tab"));
    ASSERT_EQ(UIFocusEngine::shared().focusedView()->accessibilityLabel(), "Show Alert");
    struct Row {
        HostKeyPress press;
        std::vector<std::string> logged;
        bool alertUp;
    };
    const Row rows[] = {
        {HostKeyPress::first, {"show alert"}, true},
        {HostKeyPress::repeat, {"alert Cancel"}, false},
        {HostKeyPress::repeat, {}, false},
        {HostKeyPress::repeat, {}, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(logDuring([&] { session.keyDown(returnKey, row.press); }), row.logged);
        EXPECT_EQ(UIAlertView::visibleAlert() != nullptr, row.alertUp);
    }
    session.keyUp(returnKey);
    EXPECT_EQ(logDuring([&] { session.pressKey(HostKey::of(' ')); }),
              std::vector<std::string>{"show alert"})
        << "Space taps the focused button too";
    EXPECT_EQ(logDuring([&] { session.keyDown(*HostKeyNamed("Escape"), HostKeyPress::repeat); }),
              std::vector<std::string>{"alert Cancel"});
    UIFocusEngine::shared().reset();
}

TEST_F(SceneKeys, ACharacterKeyHoldsAFingerOnItsPlaceUntilReleased) {
    // 'a' sits at the slider's middle; the scene has no key for anything else.
    session.setCharacterKeys([](const HostKey& key) -> std::optional<HostOnScreenKey> {
        return key.typedCharacter() == 'a' ? std::optional(HostOnScreenKey{{160, 174}})
                                           : std::nullopt;
    });
    EXPECT_EQ(logDuring([&] { session.keyDown(HostKey::of('a')); }),
              std::vector<std::string>{"slider 0.50"});
    EXPECT_TRUE(UIApplication::sharedApplication()->hasTouchDown()) << "held while the key is";
    session.keyUp(HostKey::of('b'));
    EXPECT_TRUE(UIApplication::sharedApplication()->hasTouchDown()) << "another key lifts nothing";
    EXPECT_EQ(logDuring([&] { session.keyUp(HostKey::of('a')); }),
              std::vector<std::string>{"slider 0.50"});
    EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown());

    EXPECT_EQ(logDuring([&] { session.pressKey(HostKey::of('b')); }), std::vector<std::string>{});
    ASSERT_TRUE(session.touchDown({40, 174}));
    EXPECT_EQ(logDuring([&] { session.pressKey(HostKey::of('a')); }), std::vector<std::string>{})
        << "a finger is down already: the key does nothing";
    session.touchCancel();

    session.keyDown(HostKey::of('a'));
    session.releaseKeys();
    EXPECT_FALSE(UIApplication::sharedApplication()->hasTouchDown()) << "released when focus goes";
}

} // namespace
