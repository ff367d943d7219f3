#include "DesktopSession.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace windowtest {

namespace {

pid_t spawn(const std::vector<std::string>& arguments) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

} // namespace

DesktopSession::DesktopSession() {
    const char* kind = std::getenv("PRISMKEY_TEST_DESKTOP");
    wayland_ = kind && std::string(kind) == "wayland";
    x_ = std::make_unique<testsupport::VirtualDisplay>();
    if (!x_->makeCurrent()) {
        failure_ = testsupport::VirtualDisplay::unavailable;
        return;
    }
    unsetenv("SDL_VIDEODRIVER");
    if (!wayland_) {
        return;
    }
    if (const char* scale = std::getenv("PRISMKEY_TEST_OUTPUT_SCALE")) {
        outputScale_ = std::max(1, std::atoi(scale));
    }
    runtime_ = std::make_unique<testsupport::TemporaryDirectory>();
    chmod(runtime_->path().c_str(), 0700);
    std::string socket = "prismkey-test-" + std::to_string(getpid());
    setenv("XDG_RUNTIME_DIR", runtime_->path().c_str(), 1);
    weston_ = spawn({"weston", "--backend=x11-backend.so", "--use-pixman", "--width=1280",
                     "--height=1024", "--scale=" + std::to_string(outputScale_),
                     "--socket=" + socket, "--log=" + (runtime_->path() / "weston.log").string()});
    std::filesystem::path ready = runtime_->path() / socket;
    for (int i = 0; i < 100 && !std::filesystem::exists(ready); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!std::filesystem::exists(ready)) {
        failure_ = "weston did not start (see its log in " + runtime_->path().string() + ")";
        return;
    }
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "wayland", 1);
}

DesktopSession::~DesktopSession() {
    stop(weston_);
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& arguments)
    : pid_(spawn(arguments)) {}

BackgroundProcess::~BackgroundProcess() {
    stop(pid_);
}

namespace {

// xwininfo's lines for the root's children: `  0x200008 "Title": ...`.
std::vector<std::pair<unsigned long, std::string>> topLevelWindows() {
    auto listing = testsupport::runProcess({"/usr/bin/env", "xwininfo", "-root", "-children"});
    std::vector<std::pair<unsigned long, std::string>> windows;
    std::istringstream lines(listing.standardOutput);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t id = line.find("0x"), open = line.find(" \""), close = line.find("\":");
        if (id == std::string::npos || open == std::string::npos || close == std::string::npos ||
            close < open) {
            continue;
        }
        windows.emplace_back(std::stoul(line.substr(id), nullptr, 16),
                             line.substr(open + 2, close - open - 2));
    }
    return windows;
}

} // namespace

unsigned long windowTitled(const std::string& title) {
    for (const auto& [id, name] : topLevelWindows()) {
        if (name == title) {
            return id;
        }
    }
    return 0;
}

std::vector<std::string> stackedTitles() {
    std::vector<std::string> titles;
    // xwininfo lists the children from the top of the stack down.
    for (const auto& window : topLevelWindows()) {
        titles.insert(titles.begin(), window.second);
    }
    return titles;
}

namespace {

// SDL may make a window and replace it before showing one: only a window on the
// screen counts.
bool isViewable(unsigned long id) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", id);
    auto info = testsupport::runProcess({"/usr/bin/env", "xwininfo", "-id", hex});
    return info.standardOutput.find("Map State: IsViewable") != std::string::npos;
}

} // namespace

unsigned long waitForWindow(const std::string& title, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (unsigned long id = windowTitled(title); id != 0 && isViewable(id)) {
            return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

} // namespace windowtest
