// keyboard-host's screen with the built plug-in loaded into the test's process, as the
// host loads it, while the preferences file changes under the running keyboard: each
// layout pass (the keyboard shown again, a typed key) shows what the file says now,
// and "off" looks exactly as the keyboard did before the plug-in was loaded.
#include "../shared/TintPreferencesFixture.h"
#include "KeyboardClasses.h"
#include "KeyboardHostScreen.h"

#include <PluginLoader.h>

#include <algorithm>
#include <filesystem>

using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

class RunningKeyboard : public KeyboardHostScreen {
  protected:
    void SetUp() override {
        NSFileManager::setDeviceRoot(root.path().string());
        ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
        KeyboardClasses::registerAll();
        KeyboardHostScreen::SetUp();
    }
    // Installed as a package installs it, then loaded as keyboard-host loads it.
    static std::vector<std::string> loadPlugin() {
        const std::string folder =
            NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries");
        for (const char* file : {"Prismkey.dylib", "Prismkey.plist"}) {
            fs::copy_file(testsupport::buildDirectory() / "DynamicLibraries" / file,
                          fs::path(folder) / file);
        }
        const PluginProcess process{"keyboard-host", {"com.apple.UIKit", "com.apple.Foundation"}};
        return PluginLoader::loadedNames(PluginLoader::loadPlugins(folder, process));
    }
    void put(const std::string& contents) const {
        fs::path file = NSFileManager::hostPath(TintPreferencesPath);
        if (contents.empty()) {
            fs::remove(file);
        } else {
            testsupport::writeFile(file, contents);
        }
    }
    // The pixel of the keyboard's host view at (x, y) in its own points.
    static CGPixel keyboardPixel(const CGImageRef& frame, CGFloat x, CGFloat y) {
        return CGImageGetPixel(frame, static_cast<std::size_t>(x),
                               static_cast<std::size_t>(264 + y));
    }
    static std::size_t differingPixels(const CGImageRef& a, const CGImageRef& b) {
        std::size_t count = 0;
        for (std::size_t y = 0; y < CGImageGetHeight(a); ++y) {
            for (std::size_t x = 0; x < CGImageGetWidth(a); ++x) {
                count += !(CGImageGetPixel(a, x, y) == CGImageGetPixel(b, x, y));
            }
        }
        return count;
    }

    testsupport::TemporaryDirectory root;
};

TEST_F(RunningKeyboard, EachPassShowsTheFileAsItIsNowAndOffLooksAsIfThePluginWereAbsent) {
    CGImageRef absent = session.renderFrame();
    ASSERT_EQ(loadPlugin(), std::vector<std::string>{"Prismkey"});

    enum class Look { absent, tinted, darkUntinted };
    enum class Pass { shown, typed };
    const std::string onWithFive = plist(openEntry("on") + colorEntry(fiveElements));
    const std::string offWithFive = plist(openEntry("off") + colorEntry(fiveElements));
    const struct {
        const char* name;
        std::string file; // empty: no file
        Pass pass;
        Look look;
    } rows[] = {
        {"on", onWithFive, Pass::shown, Look::tinted},
        {"off", offWithFive, Pass::shown, Look::absent},
        {"on again", onWithFive, Pass::typed, Look::tinted},
        {"off again", offWithFive, Pass::typed, Look::absent},
        {"on", onWithFive, Pass::shown, Look::tinted},
        {"on, white saved", plist(openEntry("on") + colorEntry(threeElements)), Pass::shown,
         Look::darkUntinted},
        {"on", onWithFive, Pass::typed, Look::tinted},
        {"file removed", "", Pass::shown, Look::absent},
        {"on", onWithFive, Pass::shown, Look::tinted},
        {"unreadable", "{ open = on; }", Pass::typed, Look::absent},
    };
    const CGPixel tint{51, 102, 153, 255};
    const UIKBKeySpec firstKey = UIKBKeyboardGeometry::keys(320).front();
    for (const auto& row : rows) {
        put(row.file);
        if (row.pass == Pass::shown) {
            controller->keyboardShown();
        } else {
            // A key typed and taken back: the field is as it was, the keyboard laid out.
            session.pressKey(*HostKeyNamed("x"));
            session.pressKey(*HostKeyNamed("BackSpace"));
            ASSERT_EQ(typed(), "");
        }
        CGImageRef frame = session.renderFrame();
        // In the gap above the first key, and below the last row.
        CGPixel gap =
            keyboardPixel(frame, CGRectGetMidX(firstKey.frame), firstKey.frame.origin.y - 2);
        CGPixel bottom = keyboardPixel(frame, 1, 212);
        switch (row.look) {
        case Look::absent:
            EXPECT_EQ(differingPixels(frame, absent), 0u) << row.name;
            break;
        case Look::tinted:
            EXPECT_EQ(gap, tint) << row.name;
            EXPECT_EQ(bottom, tint) << row.name;
            break;
        case Look::darkUntinted:
            EXPECT_LT(std::max({gap.r, gap.g, gap.b}), 40) << row.name << ": the dark backdrop";
            EXPECT_LT(std::max({bottom.r, bottom.g, bottom.b}), 40) << row.name;
            break;
        }
    }
}

} // namespace
