#include "UIKitTestSupport.h"

#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using uikittest::WindowTest;

namespace {

// A screen as the settings screen builds it: a container of the application
// frame resizing with its parent, the bar styled, two done-style bar buttons, the
// save button disabled.
class ScreenController : public UIViewController {
  public:
    void loadView() override {
        events.push_back("loadView");
        setTitle("Prismkey");
        auto container = std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame());
        container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                       UIViewAutoresizingFlexibleHeight);
        container->setBackgroundColor(UIColor::whiteColor());
        UINavigationBar* bar = navigationController()->navigationBar();
        bar->setTranslucent(false);
        bar->setBarTintColor(UIColor::colorWithRed(0xD1 / 255.0f, 0xEE / 255.0f, 0xFC / 255.0f, 1));
        setView(container);
        save = UIBarButtonItem::initWithTitle(
            "Save", UIBarButtonItemStyleDone, this,
            "rightButtonPressed:", &ScreenController::rightButtonPressed);
        toggle = UIBarButtonItem::initWithTitle("TurnOn", UIBarButtonItemStyleDone, this,
                                                "swithButton", &ScreenController::swithButton);
        navigationItem()->setRightBarButtonItem(save);
        navigationItem()->setLeftBarButtonItem(toggle);
        save->setEnabled(false);
    }
    void viewDidLoad() override { events.push_back("viewDidLoad"); }
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation) override { return true; }
    CGSize contentSizeForViewInPopover() const override { return {320, 416}; }

    void rightButtonPressed(id sender) {
        events.push_back(sender == save.get() ? "save" : "save from ?");
    }
    void swithButton() {
        on = !on;
        toggle->setTitle(on ? "TurnOff" : "TurnOn");
        save->setEnabled(on);
        events.push_back("toggle");
    }

    std::vector<std::string> events;
    UIBarButtonItemRef save, toggle;
    bool on = false;
};

class NavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CAMediaTimeUseVirtualClock(0);
        UIScreen::mainScreen()->setScale(2);
        screen = std::make_shared<ScreenController>();
        navigation = UINavigationController::initWithRootViewController(screen);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        window->setRootViewController(navigation);
    }
    void TearDown() override {
        UIApplication::sharedApplication()->rotateToInterfaceOrientation(
            UIInterfaceOrientationPortrait);
        window.reset();
        UIScreen::mainScreen()->setScale(1);
    }
    void show() {
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
    }
    static void tap(CGFloat x, CGFloat y) {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, {x, y});
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseEnded, {x, y});
    }
    static CGPoint centreOnScreen(UIView* view) {
        CGRect frame = view->convertRectToView(view->bounds(), nullptr);
        return {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
    }
    static CGImageRef frame() {
        return CARenderLayerTree(UIScreen::mainScreen()->layer(),
                                 UIScreen::mainScreen()->bounds().size, 2);
    }

    std::shared_ptr<ScreenController> screen;
    UINavigationControllerRef navigation;
    UIWindowRef window;
};

TEST_F(NavigationTest, TheScreenBuildsItsViewOnlyWhenTheWindowIsShown) {
    EXPECT_FALSE(screen->isViewLoaded());
    EXPECT_TRUE(screen->events.empty());
    show();
    EXPECT_EQ(screen->events, (std::vector<std::string>{"loadView", "viewDidLoad"}));
    screen->view();
    EXPECT_EQ(screen->events.size(), 2u) << "the view is built once";
    EXPECT_EQ(screen->navigationController(), navigation.get());
}

TEST_F(NavigationTest, ContentSitsBelowTheStatusBarAndTheBarInBothOrientations) {
    show();
    UINavigationBar* bar = navigation->navigationBar();
    EXPECT_EQ(bar->convertRectToView(bar->bounds(), nullptr), CGRectMake(0, 20, 320, 44));
    EXPECT_EQ(screen->view()->convertRectToView(screen->view()->bounds(), nullptr),
              CGRectMake(0, 64, 320, 416));
    ASSERT_TRUE(UIApplication::sharedApplication()->rotateToInterfaceOrientation(
        UIInterfaceOrientationLandscapeRight));
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 480, 320));
    EXPECT_EQ(UIScreen::mainScreen()->applicationFrame(), CGRectMake(0, 20, 480, 300));
    EXPECT_EQ(bar->convertRectToView(bar->bounds(), nullptr), CGRectMake(0, 20, 480, 44));
    EXPECT_EQ(screen->view()->convertRectToView(screen->view()->bounds(), nullptr),
              CGRectMake(0, 64, 480, 256));
    EXPECT_EQ(frame()->width(), 960u);
}

TEST_F(NavigationTest, APortraitOnlyControllerRefusesToTurn) {
    auto plain = std::make_shared<UIViewController>();
    window->setRootViewController(UINavigationController::initWithRootViewController(plain));
    show();
    EXPECT_FALSE(UIApplication::sharedApplication()->rotateToInterfaceOrientation(
        UIInterfaceOrientationLandscapeLeft));
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 320, 480));
}

TEST_F(NavigationTest, BarShowsTitleCentredAndTheDisabledButtonGreyed) {
    show();
    CGImageRef image = frame();
    auto blueish = [](CGPixel p) { return p.b > 200 && p.r < 80 && p.g > 80 && p.g < 160; };
    auto grey = [](CGPixel p) { return p.r == p.g && p.g == p.b && p.r > 120 && p.r < 180; };
    auto dark = [](CGPixel p) { return p.r < 60 && p.g < 60 && p.b < 60; };
    // Bar colour: D1EEFC, opaque, between the status bar and the content.
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(image, 320, 44), {0xD1, 0xEE, 0xFC, 255}))
        << uikittest::describe(CGImageGetPixel(image, 320, 44));
    // In pixels (scale 2): the bar spans y 40..128.
    UILabel* title = navigation->navigationBar()->titleLabel();
    EXPECT_EQ(title->text(), "Prismkey");
    EXPECT_NEAR(centreOnScreen(title).x, 160, 0.5);
    EXPECT_GT(uikittest::countPixels(image, 240, 40, 400, 128, dark), 150);
    // Left "TurnOn" (enabled): tinted; right "Save" (disabled): grey, never tinted.
    EXPECT_GT(uikittest::countPixels(image, 0, 40, 200, 128, blueish), 150);
    EXPECT_EQ(uikittest::countPixels(image, 480, 40, 640, 128, blueish), 0);
    EXPECT_GT(uikittest::countPixels(image, 480, 40, 640, 128, grey), 100);
    // The content starts at y 64 points.
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(image, 320, 140), {255, 255, 255, 255}));
}

TEST_F(NavigationTest, APressOnTheDisabledButtonDoesNothingAndOnTheEnabledOneActs) {
    show();
    UINavigationBar* bar = navigation->navigationBar();
    CGPoint save = centreOnScreen(bar->rightButton());
    CGPoint toggle = centreOnScreen(bar->leftButton());
    EXPECT_GT(save.x, 240);
    EXPECT_LT(toggle.x, 80);
    tap(save.x, save.y);
    EXPECT_EQ(screen->events.size(), 2u) << "a disabled bar button must not act";
    tap(toggle.x, toggle.y);
    EXPECT_EQ(screen->events.back(), "toggle");
    EXPECT_EQ(bar->leftButton()->titleLabel()->text(), "TurnOff");
    window->layoutIfNeeded();
    save = centreOnScreen(bar->rightButton());
    tap(save.x, save.y);
    EXPECT_EQ(screen->events.back(), "save");
}

TEST_F(NavigationTest, DoneStyleTitlesAreBold) {
    show();
    EXPECT_TRUE(navigation->navigationBar()->rightButton()->titleLabel()->font()->isBold());
    screen->save->setStyle(UIBarButtonItemStylePlain);
    EXPECT_FALSE(navigation->navigationBar()->rightButton()->titleLabel()->font()->isBold());
}

TEST(UINavigationBarItems, ItemsThatOutliveTheBarNoLongerReachIt) {
    auto item = std::make_shared<UINavigationItem>("T");
    auto replaced =
        std::make_shared<UIBarButtonItem>("A", UIBarButtonItemStylePlain, nullptr, "a", nullptr);
    auto kept =
        std::make_shared<UIBarButtonItem>("B", UIBarButtonItemStylePlain, nullptr, "b", nullptr);
    {
        UINavigationBar bar;
        bar.pushNavigationItem(item);
        item->setRightBarButtonItem(replaced);
        item->setRightBarButtonItem(kept);
        EXPECT_EQ(bar.rightButton()->item(), kept.get());
        kept->setTitle("B2");
        EXPECT_EQ(bar.rightButton()->titleLabel()->text(), "B2");
    }
    // With the bar gone, changes must not call into it (the sanitizer run checks).
    replaced->setTitle("C");
    kept->setEnabled(false);
    item->setTitle("X");
}

TEST(UIViewControllerDefaults, PlainControllerAnswersAsThePhoneDoes) {
    UIViewController controller;
    EXPECT_TRUE(controller.shouldAutorotateToInterfaceOrientation(UIInterfaceOrientationPortrait));
    EXPECT_FALSE(
        controller.shouldAutorotateToInterfaceOrientation(UIInterfaceOrientationLandscapeLeft));
    EXPECT_EQ(controller.contentSizeForViewInPopover(), CGSizeMake(320, 1100));
    EXPECT_EQ(controller.view()->frame(), UIScreen::mainScreen()->applicationFrame());
    EXPECT_EQ(controller.view()->autoresizingMask(), 18u);
    controller.setTitle("T");
    EXPECT_EQ(controller.navigationItem()->title(), "T");
}

} // namespace
