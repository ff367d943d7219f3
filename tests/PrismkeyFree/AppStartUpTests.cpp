// The settings application's own start-up (AppDelegate) and its never-shown menu
// table (MainViewController), run as they are rather than as copies of their steps.
#include <AppDelegate.h>
#include <HVColorPicker.h>
#include <HVDefaultColorViewController.h>
#include <MainViewController.h>

#include <Foundation/NSFileManager.h>
#include <TintPreferences.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UILabel.h>
#include <UIKit/UINavigationController.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UITableView.h>
#include <UIKit/UITableViewCell.h>

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

std::vector<float> components(const UIColorRef& color) {
    if (!color) {
        return {};
    }
    const CGFloat* c = CGColorGetComponents(color->CGColor());
    return {c, c + CGColorGetNumberOfComponents(color->CGColor())};
}

// A device root of the test's own, with the application's images.
class Launch : public ::testing::Test {
  protected:
    void TearDown() override {
        if (delegate.window()) {
            delegate.window()->setHidden(true);
        }
    }
    testsupport::TestDeviceRoot root;
    AppDelegate delegate;
};

// The screen must hold white before it builds its view, and build it only when the
// window is shown: then a stored colour replaces white, and the picker starts from
// whatever the screen held at that moment (its old colour).
TEST_F(Launch, WindowShowsTheScreenInANavigationControllerHoldingTheRightColour) {
    struct Case {
        const char* name;
        std::optional<std::vector<float>> stored;
        std::vector<float> expected;
    } cases[] = {
        {"no preferences file", std::nullopt, {1, 1}},
        {"a stored blue", std::vector<float>{0, 0, 1, 1}, {0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(NSFileManager::hostPath(TintPreferencesPath));
        if (c.stored) {
            TintPreferences::loadForScreen();
            const auto& s = *c.stored;
            ASSERT_TRUE(TintPreferences::storeColor(UIColor::colorWithRed(s[0], s[1], s[2], s[3]))
                            .succeeded());
        }
        ASSERT_TRUE(delegate.applicationDidFinishLaunchingWithOptions(
            UIApplication::sharedApplication().get(), nullptr));

        const UIWindowRef& window = delegate.window();
        ASSERT_TRUE(window);
        EXPECT_EQ(window->frame(), UIScreen::mainScreen()->bounds());
        EXPECT_TRUE(window->isKeyWindow());
        EXPECT_FALSE(window->isHidden());
        EXPECT_EQ(components(window->backgroundColor()), (std::vector<float>{1, 1}));

        auto navigation =
            std::dynamic_pointer_cast<UINavigationController>(window->rootViewController());
        ASSERT_TRUE(navigation);
        ASSERT_EQ(navigation->viewControllers().size(), 1u);
        auto* screen =
            dynamic_cast<HVDefaultColorViewController*>(navigation->viewControllers()[0].get());
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(screen->isViewLoaded()) << "built when the window was shown";
        EXPECT_EQ(components(screen->selectedColor()), c.expected);
        ASSERT_NE(screen->picker(), nullptr);
        EXPECT_EQ(components(screen->picker()->oldColor()), c.expected);
        EXPECT_EQ(components(screen->picker()->selectedColor()), c.expected);
        window->setHidden(true);
    }
}

TEST(MainViewController, ShowsFourEntriesAsFourSectionsOfOneRow) {
    const char* const entries[] = {"Change Color", "Change Backgorund Image", "More by Me",
                                   "Contanct Us"};
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    auto menu = std::make_shared<MainViewController>(UITableViewStylePlain);
    window->setRootViewController(menu);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();

    UITableView* table = menu->tableView();
    EXPECT_EQ(menu->numberOfSectionsInTableView(table), 4);
    std::vector<UITableViewCell*> cells = table->visibleCells();
    ASSERT_EQ(cells.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(entries[i]);
        EXPECT_EQ(menu->tableViewNumberOfRowsInSection(table, static_cast<NSInteger>(i)), 1);
        EXPECT_EQ(cells[i]->textLabel()->text(), entries[i]);
        EXPECT_EQ(cells[i]->reuseIdentifier(), "Cell");
    }
    window->setHidden(true);
}

} // namespace
