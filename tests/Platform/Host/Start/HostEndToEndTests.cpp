// Scripted runs of platform-test-scene, headless, with screenshots probed pixel by
// pixel. Screen points (scale 1): status bar y 0..20, bar 20..64 ("Move" at the
// left, "Done" disabled at the right), then the content: "Show Alert" button at
// (20, 84, 130, 44), the slider at (20, 154, 280, 40), the box 60 x 60 at y 224
// sliding from x 20 to x 240 over 0.5 s.
#include "TestSupport.h"

#include <CoreGraphics/CGImage.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testsupport::ProcessResult;

std::filesystem::path sceneProgram() {
    return testsupport::buildDirectory() / "bin" / "platform-test-scene";
}

class SceneRun : public ::testing::Test {
  protected:
    // `output` names where standard output goes (empty: it is read).
    ProcessResult run(const std::string& script, std::vector<std::string> extra = {},
                      const std::string& output = "") {
        testsupport::writeFile(folder.path() / "script.txt", script);
        std::vector<std::string> arguments{sceneProgram().string(),
                                           "--headless",
                                           "--root",
                                           (folder.path() / "device").string(),
                                           "--events",
                                           (folder.path() / "script.txt").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        if (!output.empty()) {
            arguments.insert(arguments.begin(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" >" + output});
        }
        return testsupport::runProcess(arguments);
    }
    std::string path(const std::string& name) const { return (folder.path() / name).string(); }
    CGImageRef shot(const std::string& name) const {
        CGImageRef image = CGImageCreateWithPNGFile(folder.path() / name);
        EXPECT_NE(image, nullptr) << name;
        return image;
    }
    testsupport::TemporaryDirectory folder;
};

bool isRed(CGPixel p) {
    return p.r > 200 && p.g < 60 && p.b < 60;
}
bool isWhite(CGPixel p) {
    return p.r > 245 && p.g > 245 && p.b > 245;
}

// The left edge of the red box on the row y, -1 when no red there.
int boxLeft(const CGImageRef& image, std::size_t y) {
    for (std::size_t x = 0; x < image->width(); ++x) {
        if (isRed(CGImageGetPixel(image, x, y))) {
            return static_cast<int>(x);
        }
    }
    return -1;
}

std::size_t countLines(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(SceneRun, AnimationMovesOnOnlyAsTheClockIsAdvanced) {
    ProcessResult result = run("screenshot " + path("start.png") +
                               "\n"
                               "tap 30 42   # Move\n"
                               "screenshot " +
                               path("now.png") +
                               "\n"
                               "wait 250\n"
                               "screenshot " +
                               path("mid.png") +
                               "\n"
                               "wait 300\n"
                               "screenshot " +
                               path("end.png") + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_NE(result.standardError.find("platform-test-scene: box right"), std::string::npos);
    EXPECT_EQ(boxLeft(shot("start.png"), 254), 20);
    EXPECT_EQ(boxLeft(shot("now.png"), 254), 20) << "no time has passed yet";
    int mid = boxLeft(shot("mid.png"), 254);
    EXPECT_GT(mid, 20);
    EXPECT_LT(mid, 240);
    EXPECT_EQ(boxLeft(shot("end.png"), 254), 240);
}

TEST_F(SceneRun, TapsShowAnAlertAndPressItsButton) {
    ProcessResult result = run("tap 85 106\n"
                               "screenshot " +
                               path("alert.png") +
                               "\n"
                               "tap 160 30   # on the bar, under the dimming: nothing\n"
                               "alert OK\n"
                               "screenshot " +
                               path("after.png") + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const std::string& err = result.standardError;
    EXPECT_NE(err.find("alert: Hello: From the test scene\n"), std::string::npos) << err;
    EXPECT_NE(err.find("platform-test-scene: alert OK\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("box"), std::string::npos) << "a touch under the alert reached the bar";
    CGImageRef alert = shot("alert.png");
    EXPECT_FALSE(isWhite(CGImageGetPixel(alert, 5, 470))) << "the screen is dimmed under an alert";
    EXPECT_GT(CGImageGetPixel(alert, 160, 215).r, 240) << "the alert box is light";
    EXPECT_TRUE(isWhite(CGImageGetPixel(shot("after.png"), 5, 470)));
}

TEST_F(SceneRun, DragSendsOneValueChangedForBeginEachMoveAndEnd) {
    ProcessResult result = run("drag 20 174 300 174 3\n"
                               "screenshot " +
                               path("drag.png") +
                               "\n"
                               "down 160 174\n"
                               "cancel\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const std::string& err = result.standardError;
    EXPECT_EQ(countLines(err, "slider "), 6u) << err;
    EXPECT_NE(
        err.find("slider 0.00\nplatform-test-scene: slider 0.33\nplatform-test-scene: slider 0.67\n"
                 "platform-test-scene: slider 1.00\nplatform-test-scene: slider 1.00\n"
                 "platform-test-scene: slider 0.50\n"),
        std::string::npos)
        << err;
    CGImageRef image = shot("drag.png");
    EXPECT_TRUE(isWhite(CGImageGetPixel(image, 200, 150))) << "above the slider";
    CGPixel fill = CGImageGetPixel(image, 290, 174);
    EXPECT_GT(fill.b, 200);
    EXPECT_LT(fill.r, 60);
}

TEST_F(SceneRun, DisabledBarButtonIsGreyAndAPressOnItDoesNothing) {
    ProcessResult result = run("tap 290 42\n"
                               "screenshot " +
                                   path("bar.png") + "\n",
                               {"--scale", "2"});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(result.standardError.find("done"), std::string::npos) << result.standardError;
    CGImageRef image = shot("bar.png");
    ASSERT_EQ(image->width(), 640u);
    int grey = 0, tinted = 0, moveTinted = 0;
    for (std::size_t y = 40; y < 128; ++y) {
        for (std::size_t x = 0; x < 640; ++x) {
            CGPixel p = CGImageGetPixel(image, x, y);
            bool blue = p.b > 200 && p.r < 80 && p.g < 160;
            bool neutral = p.r == p.g && p.g == p.b && p.r > 120 && p.r < 180;
            if (x >= 480) {
                grey += neutral;
                tinted += blue;
            } else if (x < 160) {
                moveTinted += blue;
            }
        }
    }
    EXPECT_GT(grey, 100) << "\"Done\" should be drawn in grey";
    EXPECT_EQ(tinted, 0);
    EXPECT_GT(moveTinted, 100) << "\"Move\" should be drawn in the tint colour";
}

TEST_F(SceneRun, RotationAndScaleSetTheScreenshotSize) {
    ProcessResult result = run("screenshot " + path("portrait.png") +
                                   "\n"
                                   "rotate landscape\n"
                                   "screenshot " +
                                   path("landscape.png") +
                                   "\n"
                                   "rotate portrait\n"
                                   "screenshot " +
                                   path("again.png") + "\n",
                               {"--scale", "2"});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    CGImageRef portrait = shot("portrait.png"), landscape = shot("landscape.png");
    EXPECT_EQ(portrait->width(), 640u);
    EXPECT_EQ(portrait->height(), 960u);
    EXPECT_EQ(landscape->width(), 960u);
    EXPECT_EQ(landscape->height(), 640u);
    // Landscape: the bar spans the width below the status bar.
    EXPECT_FALSE(isWhite(CGImageGetPixel(landscape, 940, 60)));
    EXPECT_TRUE(isWhite(CGImageGetPixel(landscape, 940, 300)));
    EXPECT_EQ(shot("again.png")->width(), 640u);
}

TEST_F(SceneRun, RootSetsTheDeviceRoot) {
    ProcessResult result = run("quit\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_TRUE(
        std::filesystem::is_directory(folder.path() / "device/var/mobile/Library/Preferences"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() /
                                              "device/Library/MobileSubstrate/DynamicLibraries"));
}

TEST_F(SceneRun, QuitEndsTheRunBeforeTheRestOfTheScript) {
    for (const char* quit : {"quit", "press Ctrl+q", "press Ctrl+Q"}) {
        ProcessResult result = run(std::string(quit) + "\nscreenshot " + path("never.png") + "\n");
        EXPECT_EQ(result.exitCode, 0) << quit;
        EXPECT_FALSE(std::filesystem::exists(path("never.png"))) << quit;
    }
}

// Output that cannot be written fails the run in one line of its own (no library's
// message beside it), never a silent success.
TEST_F(SceneRun, OutputThatCannotBeWrittenFailsInOneLine) {
    struct Row {
        std::string script;
        std::vector<std::string> extra;
        std::string says;
    };
    const Row rows[] = {
        {"state\n", {}, "line 1: cannot write the state to standard output: No space left"},
        {"screenshot /dev/full\n",
         {},
         "line 1: cannot write the screenshot /dev/full: No space left"},
        {"", {"--version"}, "cannot write to standard output: No space left"},
        {"", {"--help"}, "cannot write to standard output: No space left"},
    };
    run(""); // the device root's first start says it installed the plug-ins
    for (const Row& row : rows) {
        ProcessResult result = run(row.script, row.extra, "/dev/full");
        EXPECT_EQ(result.exitCode, 1) << row.says;
        EXPECT_EQ(countLines(result.standardError, "\n"), 1u) << result.standardError;
        EXPECT_NE(result.standardError.find(row.says), std::string::npos) << result.standardError;
    }
}

struct BadScript {
    std::string script;
    int status;
    std::string says;
};

class SceneBadScript : public SceneRun, public ::testing::WithParamInterface<BadScript> {};

TEST_P(SceneBadScript, StopsWithAnErrorNamingTheLine) {
    ProcessResult result = run(GetParam().script);
    EXPECT_EQ(result.exitCode, GetParam().status) << result.standardError;
    EXPECT_NE(result.standardError.find(GetParam().says), std::string::npos)
        << result.standardError;
    EXPECT_EQ(countLines(result.standardError, "platform-test-scene: "), 1u)
        << "one line: " << result.standardError;
}

INSTANTIATE_TEST_SUITE_P(
    Host, SceneBadScript,
    ::testing::Values(BadScript{"tap 30 42\nfly 1 2\n", 2, "line 2: unknown command \"fly\""},
                      BadScript{"# tour\ntap 5\n", 2, "line 2: tap is missing an argument"},
                      BadScript{"wait soon\n", 2, "line 1: \"soon\" is not a number"},
                      BadScript{"alert OK\n", 2, "line 1: no alert is showing"},
                      BadScript{"move 10 10\n", 2, "line 1: move with no finger down"},
                      BadScript{"down 1 1\ndown 2 2\n", 2,
                                "line 2: down while a finger is already down"},
                      BadScript{"screenshot /proc/none/x.png\n", 1, "line 1: cannot"}));

TEST_F(SceneRun, ABadLineStopsTheRunBeforeAnythingRuns) {
    ProcessResult result = run("screenshot " + path("first.png") + "\nfly\n");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(path("first.png")));
}

TEST_F(SceneRun, ScriptFromStandardInput) {
    ProcessResult result = testsupport::runProcess(
        {sceneProgram().string(), "--headless", "--root", path("device"), "--events", "-"},
        "tap 85 106\nalert Cancel\n");
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_NE(result.standardError.find("alert Cancel"), std::string::npos);
}

TEST_F(SceneRun, WithoutADisplayTheWindowIsRefused) {
    ProcessResult result =
        testsupport::runProcess({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                 sceneProgram().string(), "--root", path("device")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.standardError.find("no display"), std::string::npos) << result.standardError;
}

TEST_F(SceneRun, BadOptionsAndHelp) {
    ProcessResult bad = testsupport::runProcess({sceneProgram().string(), "--scale", "4"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.standardError.find("--scale must be 1 or 2"), std::string::npos);
    ProcessResult missing =
        testsupport::runProcess({sceneProgram().string(), "--headless", "--events", path("none")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.standardError.find("cannot read the event script"), std::string::npos);
    ProcessResult help = testsupport::runProcess({sceneProgram().string(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.standardOutput.find("drag X1 Y1 X2 Y2 [N]"), std::string::npos);
}

} // namespace
