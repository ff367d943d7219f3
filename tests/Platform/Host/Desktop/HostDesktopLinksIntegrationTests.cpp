// Links handed to the desktop: through xdg-open, to a handler registered in the test's
// own XDG_DATA_HOME and XDG_CONFIG_HOME, and through a stand-in of the desktop portal on
// a private bus (fake-portal.py), including one that never answers.
#include <Host/Desktop/HostDesktopLinks.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ; // NOLINT(readability-redundant-declaration)

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A process in the background, stopped and reaped when this goes.
class Background {
  public:
    explicit Background(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
    }
    ~Background() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

  private:
    pid_t pid_ = -1;
};

bool waitForFile(const fs::path& path) {
    for (auto end = Clock::now() + 10s; Clock::now() < end; std::this_thread::sleep_for(20ms)) {
        if (fs::exists(path)) {
            return true;
        }
    }
    return false;
}

class DesktopLinks : public ::testing::Test {
  protected:
    // xdg-open finds scheme handlers only where a display is named, takes the generic
    // desktop's way (mimeapps.list) when none is named, and is kept from trying browsers.
    static void SetUpTestSuite() {
        for (const char* name :
             {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
              "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "DBUS_SESSION_BUS_ADDRESS"}) {
            unsetenv(name);
        }
        setenv("BROWSER", "false", 1);
        if (std::getenv("DISPLAY") == nullptr) {
            setenv("DISPLAY", ":9999", 1); // a display that nothing serves: named only
        }
    }

    void SetUp() override {
        fs::path data = folder.path() / "data", config = folder.path() / "config";
        fs::create_directories(data / "applications");
        fs::create_directories(config);
        testsupport::writeFile(handler(),
                               "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " + handled().string() + "\n");
        chmod(handler().c_str(), 0755);
        testsupport::writeFile(
            data / "applications" / "prismkey-test-handler.desktop",
            "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" + handler().string() +
                " %u\nMimeType=x-scheme-handler/prismkey-test;\n");
        testsupport::writeFile(config / "mimeapps.list",
                               "[Default Applications]\n"
                               "x-scheme-handler/prismkey-test=prismkey-test-handler.desktop\n");
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }

    fs::path handler() const { return folder.path() / "handler"; }
    fs::path handled() const { return folder.path() / "handled"; }
    std::string read(const fs::path& path) const {
        return fs::exists(path) ? testsupport::readFile(path) : std::string();
    }

    testsupport::TemporaryDirectory folder;
};

struct Row {
    const char* url;
    bool opened;
    const char* problem; // a part of it
};

TEST_F(DesktopLinks, WithoutAPortalXdgOpenRunsTheRegisteredHandlerOrSaysNothingDoes) {
    const Row rows[] = {
        {"prismkey-test:hello?a=1", true, ""},
        {"prismkey-none://package/x", false, "no application on this desktop handles it"},
        {"-prismkey-test:x", false, "not an address"},
        {"prismkey-test:two\nlines", false, "not an address"},
    };
    std::string expected;
    for (const Row& row : rows) {
        HostLinkOpening opening = HostDesktopLinks::open(row.url, "", 10s);
        EXPECT_EQ(opening.opened, row.opened) << row.url << ": " << opening.problem;
        EXPECT_NE(opening.problem.find(row.problem), std::string::npos) << opening.problem;
        if (row.opened) {
            expected += std::string(row.url) + "\n";
        }
    }
    EXPECT_EQ(read(handled()), expected) << "the handler got each address that opened, once";
}

// A private session bus, stopped when this goes; `address` empty when none started.
struct PrivateBus {
    PrivateBus() {
        auto bus = testsupport::runProcess(
            {"/usr/bin/dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"});
        std::istringstream lines(bus.standardOutput);
        std::string pid;
        if (bus.exitCode != 0 || !std::getline(lines, address) || !std::getline(lines, pid)) {
            address.clear();
            return;
        }
        this->pid = static_cast<pid_t>(std::stoi(pid));
    }
    ~PrivateBus() {
        if (pid > 0) {
            kill(pid, SIGTERM);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    std::string address;
    pid_t pid = -1;
};

std::size_t openDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Each link asks the session bus for a portal: everything made for the asking goes
// with it, or a long session runs out of descriptors.
TEST_F(DesktopLinks, ManyLinksThroughABusWithoutAPortalLeaveNoDescriptorBehind) {
    PrivateBus bus;
    if (bus.address.empty()) {
        GTEST_SKIP() << "no private bus";
    }
    // The first asking starts what GLib keeps for the process (its D-Bus worker).
    ASSERT_TRUE(HostDesktopLinks::open("prismkey-test:first", bus.address, 10s).opened);
    std::size_t before = openDescriptors();
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(HostDesktopLinks::open("prismkey-test:again", bus.address, 10s).opened) << i;
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(DesktopLinks, APortalOnTheBusDecidesAndOneThatDoesNotAnswerIsWaitedForABoundedTime) {
    PrivateBus bus;
    if (bus.address.empty()) {
        GTEST_SKIP() << "no private bus";
    }
    const std::string& address = bus.address;

    // A bus without a portal: xdg-open opens it.
    EXPECT_TRUE(HostDesktopLinks::open("prismkey-test:no-portal", address, 10s).opened);
    EXPECT_EQ(read(handled()), "prismkey-test:no-portal\n");

    fs::path record = folder.path() / "portal", ready = folder.path() / "ready";
    Background portal(
        {"/usr/bin/python3",
         (testsupport::sourceDirectory() / "tests/Platform/Host/Desktop/fake-portal.py").string(),
         address, record.string(), ready.string()});
    ASSERT_TRUE(waitForFile(ready)) << "the stand-in portal did not take its name";

    const Row rows[] = {
        {"answer0:x", true, ""},
        {"answer1:x", false, "cancelled"},
        {"answer2:x", false, "no application"},
        {"silent-response:x", true, ""}, // still asking the user: handed over
        {"silent-call:x", false, "did not answer in time"},
    };
    std::string expected;
    for (const Row& row : rows) {
        auto start = Clock::now();
        HostLinkOpening opening = HostDesktopLinks::open(row.url, address, 500ms);
        // Bounded, not timed: a generous ceiling that a wait without end would pass.
        EXPECT_LT(Clock::now() - start, 5s) << row.url;
        EXPECT_EQ(opening.opened, row.opened) << row.url << ": " << opening.problem;
        EXPECT_NE(opening.problem.find(row.problem), std::string::npos) << opening.problem;
        expected += std::string(row.url) + "\n";
    }
    EXPECT_EQ(read(record), expected) << "each address went to the portal";
    EXPECT_EQ(read(handled()), "prismkey-test:no-portal\n") << "and none to xdg-open as well";
}

} // namespace
