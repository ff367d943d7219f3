#include "UIKitTestSupport.h"

#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

using uikittest::WindowTest;

namespace {

struct AlertDelegate : NSObject, UIAlertViewDelegate {
    void alertViewClickedButtonAtIndex(UIAlertView* alertView, NSInteger buttonIndex) override {
        presses.push_back(alertView->title() + " " + std::to_string(buttonIndex));
        if (onPress) {
            onPress();
        }
    }
    std::vector<std::string> presses;
    std::function<void()> onPress;
};

// The centre of a button of the alert that is up, in screen points.
CGPoint buttonCentre(NSInteger index) {
    UIButton* button = UIAlertView::visibleAlert()->buttonAtIndex(index);
    CGRect frame = button->convertRectToView(button->bounds(), nullptr);
    return {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
}

class AlertTest : public WindowTest {
  protected:
    void tapButton(NSInteger index) {
        CGPoint centre = buttonCentre(index);
        tap(centre.x, centre.y);
    }
    AlertDelegate delegate;
};

TEST_F(AlertTest, CancelIsIndexZeroAndOtherButtonsFollow) {
    auto alert =
        UIAlertView::initWithTitle("Sorry", "free version", &delegate, "Later", {"Try now!"});
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
    EXPECT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Try now!");
    alert->show();
    tapButton(1);
    EXPECT_EQ(delegate.presses, (std::vector<std::string>{"Sorry 1"}));
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
}

TEST_F(AlertTest, NoCancelTitleMeansNoCancelButton) {
    auto alert = UIAlertView::initWithTitle("T", "M", nullptr, "", {"A", "B"});
    EXPECT_EQ(alert->cancelButtonIndex(), -1);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 0);
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "B");
}

TEST_F(AlertTest, TouchesElsewhereDoNothingWhileAnAlertIsUp) {
    int pressed = 0;
    auto button = std::make_shared<UIButton>(CGRectMake(0, 20, 320, 60));
    button->addTarget(
        nullptr, "pressed", [&](id, UIEvent*) { ++pressed; }, UIControlEventTouchUpInside);
    root->addSubview(button);
    UIAlertView::initWithTitle("Tips", "Save successful", &delegate, "get it")->show();
    tap(160, 50);
    EXPECT_EQ(pressed, 0);
    EXPECT_NE(UIAlertView::visibleAlert(), nullptr);
    tapButton(0);
    tap(160, 50);
    EXPECT_EQ(pressed, 1);
}

TEST_F(AlertTest, AlertsShownWhileOneIsUpWaitAndComeUpInOrder) {
    for (const char* title : {"first", "second", "third"}) {
        UIAlertView::initWithTitle(title, "", &delegate, "Later", {"Try now!"})->show();
    }
    ASSERT_EQ(UIAlertView::visibleAlert()->title(), "first");
    ASSERT_EQ(UIAlertView::queuedAlerts().size(), 2u);
    tapButton(0);
    ASSERT_EQ(UIAlertView::visibleAlert()->title(), "second");
    tapButton(1);
    ASSERT_EQ(UIAlertView::visibleAlert()->title(), "third");
    tapButton(0);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
    EXPECT_EQ(delegate.presses, (std::vector<std::string>{"first 0", "second 1", "third 0"}));
}

// A program may queue an alert at every change of a control: one waiting has no
// subviews and no sublayers, so it lays out and draws nothing, until it comes up.
TEST_F(AlertTest, AQueuedAlertHoldsNoViewsOrLayersUntilItComesUp) {
    UIAlertView::initWithTitle("first", "up", &delegate, "Later", {"Try now!"})->show();
    for (int i = 0; i < 3; ++i) {
        UIAlertView::initWithTitle("queued", "waits", &delegate, "Later", {"Try now!"})->show();
    }
    for (UIAlertView* queued : UIAlertView::queuedAlerts()) {
        EXPECT_TRUE(queued->subviews().empty());
        EXPECT_TRUE(queued->layer()->sublayers().empty());
    }
    EXPECT_EQ(UIAlertView::visibleAlert()->subviews().size(), 6u) << "2 labels, 2 buttons, 2 lines";
    tapButton(0);
    UIAlertView* next = UIAlertView::visibleAlert();
    ASSERT_EQ(next->title(), "queued");
    EXPECT_EQ(next->subviews().size(), 6u);
    EXPECT_NE(next->buttonAtIndex(1), nullptr);
}

TEST_F(AlertTest, AnAlertShownFromAPressWaitsBehindThoseAlreadyQueued) {
    UIAlertView::initWithTitle("first", "", &delegate, "OK")->show();
    UIAlertView::initWithTitle("second", "", &delegate, "OK")->show();
    delegate.onPress = [&] {
        delegate.onPress = nullptr;
        UIAlertView::initWithTitle("from press", "", &delegate, "OK")->show();
    };
    tapButton(0);
    EXPECT_EQ(UIAlertView::visibleAlert()->title(), "second");
    tapButton(0);
    EXPECT_EQ(UIAlertView::visibleAlert()->title(), "from press");
}

TEST_F(AlertTest, ThePlatformKeepsAShownAlertAlive) {
    std::weak_ptr<NSObject> watch;
    {
        auto alert = UIAlertView::initWithTitle("kept", "", nullptr, "OK");
        watch = alert->weak_from_this();
        alert->show();
    }
    EXPECT_FALSE(watch.expired());
    tapButton(0);
    EXPECT_TRUE(watch.expired());
}

TEST_F(AlertTest, ADelegateThatIsNotAnAlertDelegateIsToldNothing) {
    UIView notADelegate;
    UIAlertView::initWithTitle("T", "M", &notADelegate, "OK")->show();
    tapButton(0);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
}

TEST_F(AlertTest, ShownAlertIsDrawnCentredOverADimmedScreen) {
    UIAlertView::initWithTitle(
        "Tips", "Save successful,please use the keyboard and type any words to refresh it:)",
        nullptr, "get it")
        ->show();
    CGImageRef image = frame();
    CGRect box = UIAlertView::visibleAlert()->frame();
    EXPECT_EQ(box.size.width, UIAlertView::width);
    EXPECT_NEAR(box.origin.x + box.size.width / 2, 160, 1);
    EXPECT_NEAR(box.origin.y + box.size.height / 2, 240, 1);
    // White screen under 40% black: grey; the box itself light.
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(image, 5, 470), {153, 153, 153, 255}, 2))
        << uikittest::describe(CGImageGetPixel(image, 5, 470));
    CGPixel inside = CGImageGetPixel(image, 160, static_cast<std::size_t>(box.origin.y + 4));
    EXPECT_GT(inside.r, 240) << uikittest::describe(inside);
    // The message wraps inside the box: dark text pixels in its middle band.
    int dark = uikittest::countPixels(
        image, static_cast<int>(box.origin.x), static_cast<int>(box.origin.y),
        static_cast<int>(box.origin.x + box.size.width),
        static_cast<int>(box.origin.y + box.size.height - UIAlertView::buttonHeight),
        [](CGPixel p) { return p.r < 100 && p.g < 100 && p.b < 100; });
    EXPECT_GT(dark, 200);
}

} // namespace
