#include "DesktopSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace windowtest {

namespace {

// In a process group of its own (a compositor's children go with it), its output to
// `log` when given.
pid_t spawn(const std::vector<std::string>& arguments, const std::string& log = {}) {
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (!log.empty()) {
            FILE* out = std::fopen(log.c_str(), "w");
            if (out) {
                dup2(fileno(out), 1);
                dup2(fileno(out), 2);
            }
        }
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
        kill(-pid, SIGTERM);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

bool waitForPath(const std::filesystem::path& path) {
    for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::filesystem::exists(path);
}

} // namespace

DesktopSession::DesktopSession() {
    const char* kind = std::getenv("PRISMKEY_TEST_DESKTOP");
    kind_ = kind ? kind : "x11";
    wayland_ = kind_ == "wayland" || kind_ == "mutter";
    x_ = std::make_unique<testsupport::VirtualDisplay>();
    if (!x_->makeCurrent()) {
        failure_ = testsupport::VirtualDisplay::unavailable;
        return;
    }
    unsetenv("SDL_VIDEODRIVER");
    runtime_ = std::make_unique<testsupport::TemporaryDirectory>();
    chmod(runtime_->path().c_str(), 0700);
    log_ = (runtime_->path() / "compositor.log").string();
    bool started = kind_ == "wayland"   ? startWeston()
                   : kind_ == "mutter"  ? startMutter()
                   : kind_ == "openbox" ? startOpenbox()
                                        : true;
    if (!started) {
        failure_ = kind_ + " did not start (see its log in " + log_ + ")";
    }
}

bool DesktopSession::startWeston() {
    if (const char* scale = std::getenv("PRISMKEY_TEST_OUTPUT_SCALE")) {
        outputScale_ = std::max(1, std::atoi(scale));
    }
    std::string size = std::getenv("PRISMKEY_TEST_OUTPUT_SIZE")
                           ? std::getenv("PRISMKEY_TEST_OUTPUT_SIZE")
                           : "1280x1024";
    std::string socket = "prismkey-test-" + std::to_string(getpid());
    setenv("XDG_RUNTIME_DIR", runtime_->path().c_str(), 1);
    compositor_ = spawn(
        {"weston", "--backend=x11-backend.so", "--use-pixman", "--idle-time=0",
         "--width=" + size.substr(0, size.find('x')), "--height=" + size.substr(size.find('x') + 1),
         "--scale=" + std::to_string(outputScale_), "--socket=" + socket, "--log=" + log_});
    outputHeight_ = std::atoi(size.c_str() + size.find('x') + 1) * outputScale_;
    if (!waitForPath(runtime_->path() / socket)) {
        return false;
    }
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "wayland", 1);
    return true;
}

bool DesktopSession::startMutter() {
    setenv("XDG_RUNTIME_DIR", runtime_->path().c_str(), 1);
    compositor_ = spawn({"dbus-run-session", "--", "mutter", "--headless", "--wayland", "--no-x11",
                         "--virtual-monitor", "1280x800", "--wayland-display", "prismkey-test"},
                        log_);
    if (!waitForPath(runtime_->path() / "prismkey-test")) {
        return false;
    }
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", "prismkey-test", 1);
    setenv("SDL_VIDEODRIVER", "wayland", 1);
    return true;
}

bool DesktopSession::startOpenbox() {
    compositor_ = spawn({"openbox", "--sm-disable"}, log_);
    // openbox names itself on the root once it manages the screen.
    for (int i = 0; i < 100; ++i) {
        auto root =
            testsupport::runProcess({"/usr/bin/env", "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"});
        if (root.standardOutput.find("window id") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

DesktopSession::~DesktopSession() {
    stop(compositor_);
}

std::string DesktopSession::compositorLog() const {
    std::ifstream log(log_);
    return {std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& arguments)
    : pid_(spawn(arguments)) {}

BackgroundProcess::~BackgroundProcess() {
    stop(pid_);
}

std::optional<int> BackgroundProcess::exitWithin(double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
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

WindowGeometry windowGeometry(unsigned long id) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", id);
    auto info = testsupport::runProcess({"/usr/bin/env", "xwininfo", "-id", hex});
    WindowGeometry geometry;
    auto field = [&](const std::string& name) {
        std::size_t at = info.standardOutput.find(name);
        return at == std::string::npos ? 0
                                       : std::atoi(info.standardOutput.c_str() + at + name.size());
    };
    geometry.x = field("Absolute upper-left X:");
    geometry.y = field("Absolute upper-left Y:");
    geometry.width = field("Width:");
    geometry.height = field("Height:");
    return geometry;
}

namespace {

std::vector<unsigned long> pixelsOf(Display* display, Window window, int width, int height) {
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) {
        return pixels;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFFUL);
        }
    }
    XDestroyImage(image);
    return pixels;
}

std::string nameOf(Display* display, Window window) {
    char* name = nullptr;
    std::string text;
    if (XFetchName(display, window, &name) != 0 && name) {
        text = name;
    }
    XFree(name);
    return text;
}

} // namespace

Screen readScreen(const std::string& xDisplay) {
    Screen screen;
    Display* display = XOpenDisplay(xDisplay.c_str());
    if (!display) {
        return screen;
    }
    XWindowAttributes root{};
    XGetWindowAttributes(display, DefaultRootWindow(display), &root);
    screen.pixels = pixelsOf(display, DefaultRootWindow(display), root.width, root.height);
    if (!screen.pixels.empty()) {
        screen.width = root.width;
        screen.height = root.height;
    }
    XCloseDisplay(display);
    return screen;
}

MapWatch::MapWatch() {
    Display* display = XOpenDisplay(nullptr);
    display_ = display;
    if (display) {
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);
    }
}

MapWatch::~MapWatch() {
    if (display_) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}

FirstMap MapWatch::firstMap(const std::string& title, double seconds, double settleSeconds) {
    auto* display = static_cast<Display*>(display_);
    FirstMap result;
    std::map<Window, bool> ours; // windows of that title mapped so far
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (display && !result.seen && std::chrono::steady_clock::now() < end) {
        if (XPending(display) == 0) {
            pollfd ready{ConnectionNumber(display), POLLIN, 0};
            poll(&ready, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == UnmapNotify && ours.count(event.xunmap.window) != 0) {
            ++result.unmappedBefore;
        }
        if (event.type != MapNotify || nameOf(display, event.xmap.window) != title) {
            continue;
        }
        Window window = event.xmap.window;
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        std::vector<unsigned long> atMap =
            pixelsOf(display, window, attributes.width, attributes.height);
        ours[window] = true;
        // A window mapped and unmapped again at once is not the one that stays.
        std::this_thread::sleep_for(std::chrono::duration<double>(settleSeconds));
        XSync(display, False);
        bool unmapped = false;
        while (XPending(display) != 0) {
            XEvent later;
            XNextEvent(display, &later);
            unmapped = unmapped || (later.type == UnmapNotify && later.xunmap.window == window);
        }
        if (unmapped) {
            ++result.unmappedBefore;
            continue;
        }
        result = {true,
                  result.unmappedBefore,
                  attributes.width,
                  attributes.height,
                  atMap,
                  pixelsOf(display, window, attributes.width, attributes.height)};
    }
    return result;
}

std::string builtProgram(const std::string& name) {
    return (testsupport::buildDirectory() / "bin" / name).string();
}

void OnDesktop::startDesktop(const std::string& kind) {
    const char* asked = std::getenv("PRISMKEY_TEST_DESKTOP");
    if ((asked ? asked : "x11") != kind) {
        GTEST_SKIP() << "runs on " << kind;
    }
    desktop_ = std::make_unique<DesktopSession>();
    if (!desktop_->failure().empty()) {
        GTEST_SKIP() << desktop_->failure();
    }
}

} // namespace windowtest
