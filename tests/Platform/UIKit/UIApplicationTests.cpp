#include "UIKitTestSupport.h"

#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

// Standard error while `body` runs.
template <class Body> std::string captureStandardError(Body body) {
    std::fflush(stderr);
    int saved = dup(2);
    std::FILE* file = std::tmpfile();
    dup2(fileno(file), 2);
    body();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) {
        text.append(buffer, n);
    }
    std::fclose(file);
    return text;
}

TEST(UIApplicationEffects, OpenURLWritesItsLineAndAnswersYes) {
    bool answer = false;
    std::string err = captureStandardError([&] {
        answer = UIApplication::sharedApplication()->openURL("cydia://package/com.example.pro");
    });
    EXPECT_TRUE(answer);
    EXPECT_EQ(err, "open-url: cydia://package/com.example.pro\n");
}

// With a desktop, the answer is the opener's, and the line says when nothing opened it.
TEST(UIApplicationEffects, OpenURLAnswersWhatTheDesktopDidInOneLine) {
    const struct {
        UIURLOpening opening;
        const char* line;
    } rows[] = {
        {{true, ""}, "open-url: cydia://package/a\n"},
        {{false, "no application handles it"},
         "open-url: cydia://package/a (not opened: no application handles it)\n"},
    };
    UIApplication& application = *UIApplication::sharedApplication();
    for (const auto& row : rows) {
        std::string handed;
        application.setURLOpener([&](const std::string& url) {
            handed = url;
            return row.opening;
        });
        bool answer = !row.opening.opened;
        std::string err =
            captureStandardError([&] { answer = application.openURL("cydia://package/a"); });
        EXPECT_EQ(answer, row.opening.opened);
        EXPECT_EQ(handed, "cydia://package/a");
        EXPECT_EQ(err, row.line);
    }
    application.setURLOpener({});
    EXPECT_EQ(captureStandardError([&] { EXPECT_TRUE(application.openURL("x:y")); }),
              "open-url: x:y\n")
        << "without a desktop, the line alone";
}

TEST(UIApplicationEffects, EachShowWritesTheAlertLine) {
    std::string err = captureStandardError([] {
        auto alert =
            UIAlertView::initWithTitle("Sorry", "free version", nullptr, "Later", {"Try now!"});
        alert->show();
        UIAlertView::initWithTitle("Sorry", "again", nullptr, "Later")->show();
        while (UIAlertView* up = UIAlertView::visibleAlert()) {
            up->dismissWithClickedButtonIndex(0, false);
        }
    });
    EXPECT_EQ(err, "alert: Sorry: free version\nalert: Sorry: again\n");
}

TEST(UIApplicationDelegates, DelegateClassesAreMadeByName) {
    struct Delegate : UIResponder, UIApplicationDelegate {
        bool
        applicationDidFinishLaunchingWithOptions(UIApplication*,
                                                 const std::shared_ptr<NSDictionary>&) override {
            launched = true;
            return true;
        }
        bool launched = false;
    };
    UIApplicationRegisterDelegateClass<Delegate>("TestDelegate");
    auto delegate = UIApplicationCreateDelegate("TestDelegate");
    ASSERT_NE(delegate, nullptr);
    EXPECT_EQ(UIApplicationCreateDelegate("NoSuchDelegate"), nullptr);
    UIApplication::sharedApplication()->setDelegate(delegate);
    EXPECT_TRUE(UIApplication::sharedApplication()->finishLaunching());
    EXPECT_TRUE(dynamic_cast<Delegate*>(delegate.get())->launched);
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

TEST(UIScreenAndDevice, ThePhoneScreen) {
    const UIScreenRef& screen = UIScreen::mainScreen();
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 320, 480));
    EXPECT_EQ(screen->applicationFrame(), CGRectMake(0, 20, 320, 460));
    screen->setScale(2);
    EXPECT_EQ(UIImage::screenScale(), 2);
    screen->setScale(1);
    EXPECT_EQ(UIDevice::currentDevice()->userInterfaceIdiom(), UIUserInterfaceIdiomPhone);
}

// A menu as the settings application's never-shown table: four sections of one
// row, cells asked for "Cell" with nothing registered.
class Menu : public UITableViewController {
  public:
    Menu() : UITableViewController(UITableViewStylePlain) {}
    NSInteger numberOfSectionsInTableView(UITableView*) override { return 4; }
    NSInteger tableViewNumberOfRowsInSection(UITableView*, NSInteger) override { return 1; }
    UITableViewCellRef tableViewCellForRowAtIndexPath(UITableView* table,
                                                      const NSIndexPathRef& path) override {
        UITableViewCellRef cell = table->dequeueReusableCellWithIdentifier("Cell", path);
        cell->textLabel()->setText(entries[static_cast<std::size_t>(path->section())]);
        return cell;
    }
    void tableViewDidSelectRowAtIndexPath(UITableView*, const NSIndexPathRef& path) override {
        selected = path->section();
    }
    std::vector<std::string> entries{"Change Color", "Change Backgorund Image", "More by Me",
                                     "Contanct Us"};
    NSInteger selected = -1;
};

class TableTest : public uikittest::WindowTest {};

TEST_F(TableTest, UnregisteredCellIdentifierGivesAPlainCellWithATextLabel) {
    auto menu = std::make_shared<Menu>();
    window->setRootViewController(menu);
    window->layoutIfNeeded();
    std::vector<UITableViewCell*> cells = menu->tableView()->visibleCells();
    ASSERT_EQ(cells.size(), 4u);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i]->textLabel()->text(), menu->entries[i]);
        EXPECT_EQ(cells[i]->reuseIdentifier(), "Cell");
        EXPECT_EQ(cells[i]->style(), UITableViewCellStyleDefault);
        EXPECT_EQ(cells[i]->frame().origin.y, 44.0f * static_cast<float>(i));
    }
    // Row 2 ("More by Me") sits at y 20 + 88..132 on screen.
    tap(100, 20 + 88 + 20);
    EXPECT_EQ(menu->selected, 2);
}

} // namespace
