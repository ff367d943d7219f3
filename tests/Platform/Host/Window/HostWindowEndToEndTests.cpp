// platform-test-scene in a window, against displays and buses that are not what they
// claim: a display the environment names but nobody serves, and buses that accept a
// connection and never answer. Each run ends (a limit of its own turns a hang into a
// failure), in one line where it cannot run, and a window is never frozen.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::ProcessResult;

std::string sceneProgram() {
    return (testsupport::buildDirectory() / "bin" / "platform-test-scene").string();
}

// A bus that accepts connections (the backlog does it) and never answers a byte.
class SilentBus {
  public:
    explicit SilentBus(const std::filesystem::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.string().copy(address.sun_path, sizeof address.sun_path - 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd_, 64), 0);
        address_ = "unix:path=" + path.string();
    }
    ~SilentBus() { close(fd_); }
    SilentBus(const SilentBus&) = delete;
    SilentBus& operator=(const SilentBus&) = delete;
    const std::string& address() const { return address_; }

  private:
    int fd_ = -1;
    std::string address_;
};

class SceneWindow : public ::testing::Test {
  protected:
    // The scene in a window with `environment` (env's own words), its script
    // `script`, killed if it outlives a limit that no healthy run comes near.
    ProcessResult run(const std::vector<std::string>& environment, const std::string& script) {
        testsupport::writeFile(folder.path() / "script.txt", script);
        std::vector<std::string> arguments{"/usr/bin/timeout", "-s", "KILL", "60", "/usr/bin/env"};
        arguments.insert(arguments.end(), environment.begin(), environment.end());
        arguments.insert(arguments.end(), {sceneProgram(), "--root", path("device"), "--events",
                                           path("script.txt")});
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

TEST_F(SceneWindow, BusesThatNeverAnswerFreezeNothing) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    SilentBus silent(folder.path() / "silent-bus");
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
