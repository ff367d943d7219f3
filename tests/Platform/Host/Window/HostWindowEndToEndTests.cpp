// platform-test-scene in a window, against displays and buses that are not what they
// claim: a display the environment names but nobody serves, and buses that accept a
// connection and never answer. Each run ends (a limit of its own turns a hang into a
// failure), in one line where it cannot run, and a window is never frozen.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::ProcessResult;

std::string sceneProgram() {
    return (testsupport::buildDirectory() / "bin" / "platform-test-scene").string();
}

class SceneWindow : public ::testing::Test {
  protected:
    // The scene in a window with `environment` (env's own words), its script
    // `script`, killed if it outlives a limit that no healthy run comes near.
    ProcessResult run(const std::vector<std::string>& environment, const std::string& script,
                      bool headless = false) {
        testsupport::writeFile(folder.path() / "script.txt", script);
        std::vector<std::string> arguments{"/usr/bin/timeout", "-s", "KILL", "60", "/usr/bin/env"};
        arguments.insert(arguments.end(), environment.begin(), environment.end());
        arguments.insert(arguments.end(), {sceneProgram(), "--root", path("device"), "--events",
                                           path("script.txt")});
        if (headless) {
            arguments.emplace_back("--headless");
        }
        return testsupport::runProcess(arguments);
    }
    std::string path(const std::string& name) const { return (folder.path() / name).string(); }
    testsupport::TemporaryDirectory folder;
};

std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(SceneWindow, ADisplayThatNobodyServesEndsTheStartInOneLine) {
    struct Row {
        std::vector<std::string> environment;
        std::string says;
    };
    const Row rows[] = {
        {{"-u", "WAYLAND_DISPLAY", "DISPLAY=:9876"}, "no usable display at DISPLAY=:9876"},
        {{"-u", "DISPLAY", "WAYLAND_DISPLAY=nowhere", "XDG_RUNTIME_DIR=" + folder.path().string()},
         "no usable display at WAYLAND_DISPLAY=nowhere"},
        {{"-u", "WAYLAND_DISPLAY", "DISPLAY=:9876", "SDL_VIDEODRIVER=offscreen"},
         "SDL's offscreen driver shows nothing"},
    };
    run({"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"}, "quit\n"); // the root's first start
    for (const Row& row : rows) {
        ProcessResult result = run(row.environment, "quit\n");
        EXPECT_EQ(result.exitCode, 2) << row.says;
        EXPECT_EQ(lines(result.standardError), 1u) << result.standardError;
        EXPECT_NE(result.standardError.find(row.says), std::string::npos) << result.standardError;
    }
}

// One player runs the script headless and in a window: a line that cannot run, a
// failure, a quit and the lines after it end each run the same way, in the same words.
TEST_F(SceneWindow, AScriptEndsTheSameHeadlessAndInAWindow) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    testsupport::writeFile(folder.path() / "file", "not a folder");
    struct Row {
        std::string script;
        int status;
        std::string says; // the end of the one line on standard error
    };
    const Row rows[] = {
        {"wait 300\ntap 85 106\nalert Nope\n", 2,
         ", line 3: the alert \"Hello\" has no button \"Nope\" (its buttons: \"Cancel\", "
         "\"OK\")\n"},
        {"wait 100\nscreenshot " + path("file") + "/shot.png\n", 1,
         ", line 2: cannot make the folder " + path("file") + ": Not a directory\n"},
        {"wait 200\npress Ctrl+Q\nalert Nope\n", 0, ""},
        {"tap 85 106\nalert OK\nquit\n", 0, ""},
    };
    for (const Row& row : rows) {
        for (bool headless : {true, false}) {
            ProcessResult result = run({}, row.script, headless);
            const char* mode = headless ? "headless" : "in a window";
            EXPECT_EQ(result.exitCode, row.status) << mode << ": " << row.script;
            std::size_t said = result.standardError.rfind("platform-test-scene: ");
            std::string last = said == std::string::npos ? "" : result.standardError.substr(said);
            if (row.says.empty()) {
                EXPECT_EQ(last.find(", line "), std::string::npos) << mode << ": " << last;
            } else {
                EXPECT_TRUE(last.starts_with("platform-test-scene: " + path("script.txt")) &&
                            last.ends_with(row.says))
                    << mode << ": " << result.standardError;
            }
        }
    }
}

TEST_F(SceneWindow, BusesThatNeverAnswerFreezeNothing) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    testsupport::SilentBus silent(folder.path() / "silent-bus");
    // The script goes on only while the window's loop turns: a frozen loop would hold
    // it (and the run) until the limit.
    const std::string script =
        "wait 700\ntap 85 106\nalert OK\nscreenshot " + path("shot.png") + "\nquit\n";
    struct Row {
        const char* name;
        std::vector<std::string> environment;
        const char* rootWindowBus;
    };
    const Row rows[] = {
        {"the session bus", {"DBUS_SESSION_BUS_ADDRESS=" + silent.address()}, nullptr},
        {"the accessibility bus the root window names",
         {"-u", "DBUS_SESSION_BUS_ADDRESS"},
         silent.address().c_str()},
    };
    for (const Row& row : rows) {
        std::string property = row.rootWindowBus
                                   ? std::string("-set AT_SPI_BUS ") + row.rootWindowBus
                                   : std::string("-remove AT_SPI_BUS");
        ASSERT_EQ(std::system(("xprop -root -f AT_SPI_BUS 8s " + property).c_str()), 0);
        std::filesystem::remove(path("shot.png"));
        ProcessResult result = run(row.environment, script);
        EXPECT_EQ(result.exitCode, 0) << row.name << ": " << result.standardError;
        EXPECT_TRUE(std::filesystem::exists(path("shot.png"))) << row.name;
    }
}

} // namespace
