// The controls in a real window: controls-test-scene in an Xvfb of its own, driven
// by mouse events pushed through SDL's own queue, as a person's mouse would be.
// Skipped when no X server can be started.
#include "ControlsTestScene.h"
#include "TestSupport.h"
#include "WindowEvents.h"

#include <Host/Session/HostSession.h>
#include <Host/Window/HostWindow.h>
#include <QuartzCore/CAMediaTiming.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::VirtualDisplay;

// Screen points to window pixels at scale 2.
void pushMouse(Uint32 type, CGPoint point) {
    ::pushMouse(type, static_cast<int>(point.x * 2), static_cast<int>(point.y * 2));
}

void drag(CGPoint from, CGPoint to, int moves) {
    pushMouse(SDL_MOUSEBUTTONDOWN, from);
    for (int i = 1; i <= moves; ++i) {
        CGFloat f = static_cast<CGFloat>(i) / static_cast<CGFloat>(moves);
        pushMouse(SDL_MOUSEMOTION, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    pushMouse(SDL_MOUSEBUTTONUP, to);
}

void click(CGPoint p) {
    drag(p, p, 0);
}

TEST(ControlsSceneWindow, MouseDragsTheWheelAndSliderAndClicksSwatchAndCompareView) {
    VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << VirtualDisplay::unavailable;
    }

    std::string error;
    std::unique_ptr<HostWindow> window = openTestWindow("controls-test-scene", 2, error);
    ASSERT_NE(window, nullptr) << error;
    CAMediaTimeUseVirtualClock(0);
    UIScreen::mainScreen()->setScale(2);
    auto delegate = std::make_shared<ControlsSceneAppDelegate>();
    UIApplication::sharedApplication()->setDelegate(delegate);
    ASSERT_TRUE(UIApplication::sharedApplication()->finishLaunching());
    ControlsSceneViewController* scene = delegate->scene();
    HostSession session(2);
    window->present(session);

    // The wheel, from its point (180, 60) to the rim at three o'clock.
    drag({220, 95}, {280, 155}, 2);
    window->processEvents(session, 200);
    ASSERT_GE(scene->log().size(), 4u);
    EXPECT_EQ(scene->log()[1], "wheel 0.125 0.71");
    EXPECT_EQ(scene->log().back(), "wheel 0.000 1.00");
    EXPECT_EQ(scene->wheel()->wheelKnobView()->center(), CGPointMake(237, 120));

    // The brightness knob (value 0.9) to the slider's x 156.
    drag({67, 301}, {180, 301}, 2);
    window->processEvents(session, 200);
    EXPECT_NEAR(scene->brightnessSlider()->value(), 1 - (156.0f - 20) / 232, 1e-6);

    click({227, 388});
    window->processEvents(session, 200);
    EXPECT_EQ(scene->log().back(), "swatch 4");
    EXPECT_TRUE(scene->swatch(4)->isSelected());
    EXPECT_EQ(scene->alphaSlider()->value(), 0.5f);

    click({32, 52});
    window->processEvents(session, 200);
    EXPECT_EQ(scene->log().back(), "compare");
    EXPECT_TRUE(
        scene->compareView()->currentColor()->isEqual(scene->compareView()->oldColor().get()));

    // The window shows what the renderer draws.
    CAMediaTimeAdvance(1);
    window->present(session);
    CGImageRef shown = window->windowPixels(), rendered = session.renderFrame();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->width(), rendered->width());
    std::size_t differing = 0;
    for (std::size_t y = 0; y < shown->height(); ++y) {
        for (std::size_t x = 0; x < shown->width(); ++x) {
            differing += !(CGImageGetPixel(shown, x, y) == CGImageGetPixel(rendered, x, y));
        }
    }
    EXPECT_EQ(differing, 0u);
}

} // namespace
