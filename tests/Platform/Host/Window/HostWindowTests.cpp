// The window backend in a real X server: an Xvfb started for these tests (as
// `xvfb-run -a` would, on a free display number). Mouse events go through SDL's
// own event queue and must reach the controls as touches; the window's pixels must
// match the frame rendered headless. Skipped when no X server can be started.
#include "PlatformTestSupport.h"
#include "TestScene.h"
#include "WindowEvents.h"

#include <Host/Session/HostSession.h>
#include <Host/Window/HostWindow.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIPasteboard.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::VirtualDisplay;

std::unique_ptr<VirtualDisplay> display;

class WindowBackend : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display = std::make_unique<VirtualDisplay>();
        display->makeCurrent();
    }
    static void TearDownTestSuite() { display.reset(); }
    // The test scene launched in this process at `scale`, on the virtual clock.
    static std::shared_ptr<TestSceneAppDelegate> launchScene(int scale) {
        auto delegate = std::make_shared<TestSceneAppDelegate>();
        EXPECT_TRUE(testsupport::launchApplication(delegate, scale));
        return delegate;
    }
    void SetUp() override {
        if (display->name().empty()) {
            GTEST_SKIP() << VirtualDisplay::unavailable;
        }
    }
    testsupport::TemporaryDirectory folder;
};

TEST_F(WindowBackend, PushedMouseEventsPressAButtonAndDragAControl) {
    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 2, error);
    ASSERT_NE(window, nullptr) << error;
    EXPECT_EQ(window->title(), "platform-test-scene");
    auto delegate = launchScene(2);
    HostSession session(2);
    window->present(session);

    // "Show Alert" at (85, 106) points: 2 pixels a point.
    pushMouse(SDL_MOUSEBUTTONDOWN, 170, 212);
    pushMouse(SDL_MOUSEBUTTONUP, 170, 212);
    window->processEvents(session, 100);
    ASSERT_NE(UIAlertView::visibleAlert(), nullptr) << "the click did not press the button";
    EXPECT_EQ(UIAlertView::visibleAlert()->title(), "Hello");

    // The window shows what the headless renderer draws, alert and all.
    window->present(session);
    CGImageRef shown = window->windowPixels(), rendered = session.renderFrame();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->width(), rendered->width());
    ASSERT_EQ(shown->height(), rendered->height());
    std::size_t differing = 0;
    for (std::size_t y = 0; y < shown->height(); ++y) {
        for (std::size_t x = 0; x < shown->width(); ++x) {
            differing += !(CGImageGetPixel(shown, x, y) == CGImageGetPixel(rendered, x, y));
        }
    }
    EXPECT_EQ(differing, 0u);

    // Press "Cancel" (the alert's left button) by its place on screen.
    UIButton* cancel = UIAlertView::visibleAlert()->buttonAtIndex(0);
    CGRect frame = cancel->convertRectToView(cancel->bounds(), nullptr);
    int cx = static_cast<int>((frame.origin.x + frame.size.width / 2) * 2);
    int cy = static_cast<int>((frame.origin.y + frame.size.height / 2) * 2);
    pushMouse(SDL_MOUSEBUTTONDOWN, cx, cy);
    pushMouse(SDL_MOUSEBUTTONUP, cx, cy);
    window->processEvents(session, 100);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);

    // Drag the slider (20..300 points across, y 154..194) from its left end to x 160.
    TestSceneViewController* scene = delegate->scene();
    std::size_t logged = scene->log().size();
    // Each move in a turn of its own: motion within one frame is coalesced.
    pushMouse(SDL_MOUSEBUTTONDOWN, 40, 348);
    pushMouse(SDL_MOUSEMOTION, 180, 348);
    window->processEvents(session, 100);
    pushMouse(SDL_MOUSEMOTION, 320, 348);
    pushMouse(SDL_MOUSEBUTTONUP, 320, 348);
    window->processEvents(session, 100);
    EXPECT_FLOAT_EQ(scene->slider()->value(), 0.5f);
    std::vector<std::string> drag(scene->log().begin() + static_cast<std::ptrdiff_t>(logged),
                                  scene->log().end());
    EXPECT_EQ(drag, (std::vector<std::string>{"slider 0.00", "slider 0.25", "slider 0.50",
                                              "slider 0.50"}));

    window->present(session);
    CGPixel fill = CGImageGetPixel(window->windowPixels(), 300, 348);
    EXPECT_GT(fill.b, 200);
    EXPECT_LT(fill.r, 60);
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

TEST_F(WindowBackend, PushedKeysAnswerTheAlertAndCtrlQQuits) {
    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
    ASSERT_NE(window, nullptr) << error;
    auto delegate = launchScene(1);
    HostSession session(1);
    window->present(session);

    // Return presses the button drawn bold: the cancel button here.
    const std::vector<std::pair<SDL_Keycode, std::string>> answers = {
        {SDLK_RETURN, "alert Cancel"},
        {SDLK_KP_ENTER, "alert Cancel"},
        {SDLK_ESCAPE, "alert Cancel"}};
    for (const auto& [key, logged] : answers) {
        pushMouse(SDL_MOUSEBUTTONDOWN, 85, 106);
        pushMouse(SDL_MOUSEBUTTONUP, 85, 106);
        window->processEvents(session, 100);
        ASSERT_NE(UIAlertView::visibleAlert(), nullptr) << logged;
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
        EXPECT_TRUE(window->processEvents(session, 100));
        EXPECT_EQ(UIAlertView::visibleAlert(), nullptr) << logged;
        EXPECT_EQ(delegate->scene()->log().back(), logged);
    }

    pushKey(SDL_KEYDOWN, SDLK_q);
    pushKey(SDL_KEYUP, SDLK_q);
    EXPECT_TRUE(window->processEvents(session, 100)) << "q alone is no shortcut";
    pushKey(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL);
    EXPECT_FALSE(window->processEvents(session, 100)) << "Ctrl+Q closes the window";
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

// The Ctrl+Q that closed another window is still held as this one gains focus: the X
// server repeats it into this window, where it must not quit until pressed anew.
TEST_F(WindowBackend, KeysHeldBeforeFocusAreNotActedOnUntilLifted) {
    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
    ASSERT_NE(window, nullptr) << error;
    auto delegate = launchScene(1);
    HostSession session(1);
    window->present(session);
    // The pointer off the window, so that the server sends the real keys elsewhere.
    ASSERT_EQ(std::system("xdotool mousemove 1279 1023 keydown ctrl+q"), 0);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    pushKey(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL);
    pushKey(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL, true);
    bool open = window->processEvents(session, 100);
    ASSERT_EQ(std::system("xdotool keyup ctrl+q"), 0);
    EXPECT_TRUE(open) << "held since before the focus";
    pushKey(SDL_KEYUP, SDLK_q, KMOD_LCTRL);
    pushKey(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL);
    EXPECT_FALSE(window->processEvents(session, 100)) << "pressed anew, Ctrl+Q quits";
    testsupport::endApplication();
}

std::size_t differingPixels(const CGImageRef& a, const CGImageRef& b) {
    std::size_t differing = 0;
    for (std::size_t y = 0; y < a->height(); ++y) {
        for (std::size_t x = 0; x < a->width(); ++x) {
            differing += !(CGImageGetPixel(a, x, y) == CGImageGetPixel(b, x, y));
        }
    }
    return differing;
}

// The ring that Tab shows reaches the window, as the headless frame has it.
TEST_F(WindowBackend, TabShowsTheFocusRingInTheWindow) {
    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
    ASSERT_NE(window, nullptr) << error;
    auto delegate = launchScene(1);
    HostSession session(1);
    window->present(session);
    CGImageRef before = window->windowPixels();
    pushKey(SDL_KEYDOWN, SDLK_TAB);
    pushKey(SDL_KEYUP, SDLK_TAB);
    window->processEvents(session, 100);
    CGImageRef after = window->windowPixels();
    ASSERT_TRUE(before && after);
    EXPECT_GT(differingPixels(before, after), 0u) << "no ring in the window";
    EXPECT_EQ(differingPixels(after, session.renderFrame()), 0u);
    UIFocusEngine::shared().reset();
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

// While a window is open the general pasteboard is the desktop's clipboard.
TEST_F(WindowBackend, ThePasteboardIsTheClipboardWhileTheWindowIsOpen) {
    const UIPasteboardRef& board = UIPasteboard::generalPasteboard();
    {
        std::string error;
        std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
        ASSERT_NE(window, nullptr) << error;
        board->setString("#0000FF");
        char* text = SDL_GetClipboardText();
        EXPECT_STREQ(text, "#0000FF");
        SDL_free(text);
        ASSERT_EQ(SDL_SetClipboardText("pasted elsewhere"), 0) << SDL_GetError();
        EXPECT_EQ(board->string(), "pasted elsewhere");
    }
    board->setString("kept");
    EXPECT_EQ(board->string(), "kept") << "closed: the pasteboard keeps its own text";
}

TEST_F(WindowBackend, ClosingTheWindowEndsTheRun) {
    const std::vector<std::pair<const char*, SDL_Event>> closings = [] {
        SDL_Event quit{}, close{};
        quit.type = SDL_QUIT;
        close.type = SDL_WINDOWEVENT;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        return std::vector<std::pair<const char*, SDL_Event>>{{"quit", quit}, {"close", close}};
    }();
    for (auto [name, event] : closings) {
        std::string error;
        std::unique_ptr<HostWindow> window = openTestWindow("platform-test-scene", 1, error);
        ASSERT_NE(window, nullptr) << error;
        HostSession session(1);
        EXPECT_TRUE(window->processEvents(session, 0)) << name;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        EXPECT_FALSE(window->processEvents(session, 100)) << name;
    }
}

TEST_F(WindowBackend, ProgramInAWindowShowsWhatItShowsHeadless) {
    auto script = [&](const std::string& shot) {
        return "tap 30 42\nwait 600\ntap 85 106\nscreenshot " + (folder.path() / shot).string() +
               "\nquit\n";
    };
    testsupport::writeFile(folder.path() / "window.txt", script("window.png"));
    testsupport::writeFile(folder.path() / "headless.txt", script("headless.png"));
    std::string program = (testsupport::buildDirectory() / "bin" / "platform-test-scene").string();
    std::string root = (folder.path() / "device").string();
    auto windowed = testsupport::runProcess({program, "--scale", "2", "--root", root, "--events",
                                             (folder.path() / "window.txt").string()});
    ASSERT_EQ(windowed.exitCode, 0) << windowed.standardError;
    auto headless =
        testsupport::runProcess({program, "--headless", "--scale", "2", "--root", root, "--events",
                                 (folder.path() / "headless.txt").string()});
    ASSERT_EQ(headless.exitCode, 0) << headless.standardError;
    CGImageRef a = CGImageCreateWithPNGFile(folder.path() / "window.png");
    CGImageRef b = CGImageCreateWithPNGFile(folder.path() / "headless.png");
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->width(), 640u) << "the window's pixels, at scale 2";
    ASSERT_EQ(a->height(), b->height());
    // Below the status bar, whose clock shows the real time in a window.
    std::size_t differing = 0;
    for (std::size_t y = 40; y < a->height(); ++y) {
        for (std::size_t x = 0; x < a->width(); ++x) {
            differing += !(CGImageGetPixel(a, x, y) == CGImageGetPixel(b, x, y));
        }
    }
    EXPECT_EQ(differing, 0u);
}

} // namespace
