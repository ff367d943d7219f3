// A window on the screen for tests, touches in screen points, and frames.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace uikittest {

// A visible key window filling the screen, with a plain white root view; torn
// down (and any alert dismissed, the screen turned upright) after the test.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CAMediaTimeUseVirtualClock(100);
        UIScreen::mainScreen()->setScale(1);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        root = std::make_shared<UIView>(UIScreen::mainScreen()->bounds());
        root->setBackgroundColor(UIColor::whiteColor());
        window->addSubview(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        UIApplication& application = *UIApplication::sharedApplication();
        if (application.hasTouchDown()) {
            application.sendTouch(UITouchPhaseCancelled, CGPointZero);
        }
        while (UIAlertView* alert = UIAlertView::visibleAlert()) {
            alert->dismissWithClickedButtonIndex(0, false);
        }
        application.rotateToInterfaceOrientation(UIInterfaceOrientationPortrait);
        window.reset();
    }

    static void down(CGFloat x, CGFloat y) {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, {x, y});
    }
    static void move(CGFloat x, CGFloat y) {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseMoved, {x, y});
    }
    static void up(CGFloat x, CGFloat y) {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseEnded, {x, y});
    }
    static void cancel() {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseCancelled, CGPointZero);
    }
    static void tap(CGFloat x, CGFloat y) {
        down(x, y);
        up(x, y);
    }

    static CGImageRef frame(CGFloat scale = 1) {
        const UIScreenRef& screen = UIScreen::mainScreen();
        return CARenderLayerTree(screen->layer(), screen->bounds().size, scale);
    }

    UIWindowRef window;
    UIViewRef root;
};

inline bool near(CGPixel pixel, CGPixel expected, int tolerance = 3) {
    return std::abs(pixel.r - expected.r) <= tolerance &&
           std::abs(pixel.g - expected.g) <= tolerance &&
           std::abs(pixel.b - expected.b) <= tolerance &&
           std::abs(pixel.a - expected.a) <= tolerance;
}

inline std::string describe(CGPixel p) {
    return "(" + std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b) + "," +
           std::to_string(p.a) + ")";
}

// Pixels in a rectangle (in pixels) for which `test` holds.
template <class Test>
int countPixels(const CGImageRef& image, int x0, int y0, int x1, int y1, Test test) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (test(CGImageGetPixel(image, static_cast<std::size_t>(x),
                                     static_cast<std::size_t>(y)))) {
                ++count;
            }
        }
    }
    return count;
}

} // namespace uikittest
