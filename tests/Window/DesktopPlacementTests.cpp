// Where the windows go and how they first appear. Under openbox (PRISMKEY_TEST_DESKTOP=
// openbox): placed by the window manager unless a position is asked for, never smaller
// than half their screen, and a second PrismkeyFree start brings the first to the top.
// On a bare X server: a window is mapped once, with its first frame already on it.
#include "DesktopSession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace {

using windowtest::BackgroundProcess;
using windowtest::builtProgram;
using windowtest::DesktopSession;
using windowtest::OnDesktop;

class DesktopPlacement : public OnDesktop {
  protected:
    void SetUp() override { startDesktop("openbox"); }
};

// The managed window titled `title` (under the window manager's frame), waited for up
// to 30 s; 0 when none shows.
unsigned long waitForClient(const std::string& title) {
    for (int i = 0; i < 300; ++i) {
        auto found = testsupport::runProcess(
            {"/usr/bin/env", "xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
        if (!found.standardOutput.empty()) {
            return std::stoul(found.standardOutput);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

bool overlap(const windowtest::WindowGeometry& a, const windowtest::WindowGeometry& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// The managed windows from the bottom of the stack to its top.
std::vector<unsigned long> clientStack() {
    auto listing =
        testsupport::runProcess({"/usr/bin/env", "xprop", "-root", "_NET_CLIENT_LIST_STACKING"});
    std::vector<unsigned long> ids;
    std::istringstream words(listing.standardOutput.substr(listing.standardOutput.find('#') + 1));
    std::string word;
    while (words >> word) {
        ids.push_back(std::stoul(word, nullptr, 16));
    }
    return ids;
}

bool becomesTopClient(unsigned long id) {
    for (int i = 0; i < 100; ++i) {
        std::vector<unsigned long> stack = clientStack();
        if (!stack.empty() && stack.back() == id) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Started as a desktop starts them (no position), the two programs are placed by the
// window manager: side by side, not on top of each other; a second PrismkeyFree then
// brings the first back over keyboard-host.
TEST_F(DesktopPlacement, TheWindowManagerPlacesTheWindowsAndTheSecondStartRaisesTheFirst) {
    BackgroundProcess free({builtProgram("PrismkeyFree"), "--root", path("device")});
    unsigned long freeWindow = waitForClient("PrismkeyFree");
    BackgroundProcess host({builtProgram("keyboard-host"), "--root", path("device")});
    unsigned long hostWindow = waitForClient("Prismkey Keyboard Host");
    ASSERT_NE(freeWindow, 0u);
    ASSERT_NE(hostWindow, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // placed and settled
    windowtest::WindowGeometry a = windowtest::windowGeometry(freeWindow),
                               b = windowtest::windowGeometry(hostWindow);
    EXPECT_FALSE(overlap(a, b)) << a.x << "," << a.y << " and " << b.x << "," << b.y;
    ASSERT_TRUE(becomesTopClient(hostWindow)) << "the newer window on top";

    auto second = testsupport::runProcess({builtProgram("PrismkeyFree"), "--root", path("device")});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.standardError,
              "PrismkeyFree: already open for this device root; brought its window to the "
              "front\n");
    EXPECT_TRUE(becomesTopClient(freeWindow)) << "the first window on top of the stack";
}

// A position asked for (option or environment) is where the window's frame goes; the
// window cannot be made smaller than half its screen.
TEST_F(DesktopPlacement, APositionAskedForIsHonouredAndTheSizeHasAFloor) {
    struct Row {
        std::vector<std::string> arguments;
        const char* environment; // PRISMKEY_WINDOW_POSITION, or nullptr
        int x, y;
    };
    const Row rows[] = {
        {{"--position", "300,200"}, nullptr, 300, 200},
        {{"--position=620,90"}, "40,40", 620, 90}, // the option wins
        {{}, "500,100", 500, 100},
    };
    for (const Row& row : rows) {
        if (row.environment) {
            setenv("PRISMKEY_WINDOW_POSITION", row.environment, 1);
        }
        std::vector<std::string> arguments{builtProgram("PrismkeyFree"), "--root", path("device")};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        BackgroundProcess free(arguments);
        unsetenv("PRISMKEY_WINDOW_POSITION");
        unsigned long window = waitForClient("PrismkeyFree");
        ASSERT_NE(window, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        windowtest::WindowGeometry placed = windowtest::windowGeometry(window);
        // The client sits inside openbox's frame: its border beside, its title above.
        EXPECT_GE(placed.x, row.x);
        EXPECT_LE(placed.x, row.x + 8);
        EXPECT_GE(placed.y, row.y);
        EXPECT_LE(placed.y, row.y + 40);
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lx", window);
        testsupport::runProcess({"/usr/bin/env", "xdotool", "windowsize", hex, "30", "20"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        windowtest::WindowGeometry shrunk = windowtest::windowGeometry(window);
        EXPECT_EQ(shrunk.width, 160);
        EXPECT_EQ(shrunk.height, 240);
    }
}

// The key that closed one window (Ctrl+Q in PrismkeyFree) is still down as the other
// takes the focus under the window manager: it is not acted on there, and once lifted
// (a lift SDL never reports, having never seen the press) the same key types at once.
TEST_F(DesktopPlacement, AKeyHeldAsTheFocusArrivesTypesAgainOnceLifted) {
    // keyboard-host prints what assistive tools see, its text among it, every 100 ms.
    std::string script;
    for (int i = 0; i < 300; ++i) {
        script += "wait 100\nstate\n";
    }
    testsupport::writeFile(path("states.txt"), script);
    BackgroundProcess host({"/bin/sh", "-c", "exec \"$0\" --root \"$1\" --events \"$2\" > \"$3\"",
                            builtProgram("keyboard-host"), path("device"), path("states.txt"),
                            path("states.out")});
    ASSERT_NE(waitForClient("Prismkey Keyboard Host"), 0u);
    BackgroundProcess free({builtProgram("PrismkeyFree"), "--root", path("device")});
    unsigned long freeWindow = waitForClient("PrismkeyFree");
    ASSERT_NE(freeWindow, 0u);
    auto xdotool = [](std::vector<std::string> words) {
        words.insert(words.begin(), {"/usr/bin/env", "xdotool"});
        return testsupport::runProcess(words).exitCode;
    };
    ASSERT_EQ(xdotool({"windowactivate", "--sync", std::to_string(freeWindow)}), 0);
    ASSERT_EQ(xdotool({"keydown", "ctrl+q"}), 0);
    EXPECT_EQ(free.exitWithin(10), 0) << "Ctrl+Q closes PrismkeyFree";
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the focus moves on
    ASSERT_EQ(xdotool({"keyup", "q", "keyup", "ctrl"}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(xdotool({"key", "q"}), 0);
    std::string text = "(no state line)";
    for (int i = 0; i < 100 && text != "q"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::string states = testsupport::readFile(path("states.out"));
        std::size_t last = states.rfind("\"text\":");
        if (last != std::string::npos) {
            std::size_t start = states.find('"', last + 7) + 1;
            text = states.substr(start, states.find('"', start) - start);
        }
    }
    EXPECT_EQ(text, "q") << "keyboard-host's text after the held q was lifted and q typed";
}

class DesktopFirstFrame : public OnDesktop {
  protected:
    void SetUp() override { startDesktop("x11"); }
};

// On a bare X server (no compositor keeps pixels for a window): each program maps one
// window, once, and what it shows the moment it is mapped is what it shows a second
// later (below the status bar, whose clock may move; a caret may blink).
TEST_F(DesktopFirstFrame, AWindowIsMappedOnceWithItsFirstFrameOnIt) {
    const std::pair<const char*, const char*> programs[] = {
        {"PrismkeyFree", "PrismkeyFree"}, {"keyboard-host", "Prismkey Keyboard Host"}};
    for (const auto& [binary, title] : programs) {
        windowtest::MapWatch watch;
        BackgroundProcess running({builtProgram(binary), "--root", path("device")});
        windowtest::FirstMap map = watch.firstMap(title, 30, 1.0);
        ASSERT_TRUE(map.seen) << binary;
        EXPECT_EQ(map.unmappedBefore, 0) << binary << ": a window mapped and unmapped first";
        ASSERT_EQ(map.atMap.size(), map.settled.size());
        std::size_t differing = 0, first = static_cast<std::size_t>(map.width) * 20;
        for (std::size_t i = first; i < map.atMap.size(); ++i) {
            differing += map.atMap[i] != map.settled[i];
        }
        EXPECT_LT(differing, (map.atMap.size() - first) / 100)
            << binary << ": not painted at its map";
    }
}

} // namespace
