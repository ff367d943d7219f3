// A start in the test's own process: a headless run maps neither the window library
// nor SDL nor ATK (they cost a start more than the rest of the platform); the same
// look finds them once the window library is loaded, as a window's start loads it.
#include "PlatformTestSupport.h"
#include "TestScene.h"

#include <Host/Start/HostProgram.h>
#include <Host/Start/HostWindowModule.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool mapped(const std::string& library) {
    return testsupport::readFile("/proc/self/maps").find("/" + library) != std::string::npos;
}

TEST(HostStart, HeadlessMapsNeitherTheWindowLibraryNorSDLNorATK) {
    testsupport::TemporaryDirectory folder;
    testsupport::writeFile(folder.path() / "script.txt", "tap 85 106\nalert OK\nscreenshot " +
                                                             (folder.path() / "shot.png").string() +
                                                             "\n");
    auto delegate = std::make_shared<TestSceneAppDelegate>();
    HostProgram program;
    program.name = "platform-test-scene";
    program.launch = [delegate] {
        UIApplication::sharedApplication()->setDelegate(delegate);
        return UIApplication::sharedApplication()->finishLaunching();
    };
    std::vector<std::string> arguments{"platform-test-scene",
                                       "--headless",
                                       "--root",
                                       (folder.path() / "root").string(),
                                       "--events",
                                       (folder.path() / "script.txt").string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    ASSERT_EQ(HostRun(static_cast<int>(argv.size()), argv.data(), program), 0);
    testsupport::endApplication();

    const char* const windowLibraries[] = {"libPlatformHostWindow.so", "libSDL2-2.0.so",
                                           "libatk-1.0.so", "libatk-bridge-2.0.so"};
    for (const char* library : windowLibraries) {
        EXPECT_FALSE(mapped(library)) << library << " is mapped after a headless run";
    }
    std::string error;
    ASSERT_NE(HostLoadWindowModule(error), nullptr) << error;
    for (const char* library : windowLibraries) {
        EXPECT_TRUE(mapped(library)) << library << " is not mapped with the window library";
    }
}

} // namespace
