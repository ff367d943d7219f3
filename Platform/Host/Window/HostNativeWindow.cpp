// SDL's video for a window: started only on a display the environment names (never on
// SDL's offscreen or dummy drivers, which would run the window where nobody sees it),
// with the desktop's application id, and with SDL's own use of the session bus unable
// to hold the start.
#include <Host/Window/HostWindowImpl.h>

#include <Host/Desktop/HostBusQuestion.h>

#include <cstdlib>
#include <cstring>

namespace {

// SDL connects to the session bus as its video starts (for input methods) and waits
// for it without end; a bus that has not answered this soon after the question is
// hidden from SDL instead. A bus that works answers in a millisecond (under a load of
// two busy cores, in 25 at most), and the question is asked well before SDL's video
// starts: a bus that never answers costs the start little more than none.
constexpr auto sessionBusLimit = std::chrono::milliseconds(50);

struct SessionBusQuestion {
    std::shared_ptr<HostBusQuestion> question;
    HostBusQuestion::Clock::time_point asked{};
};

SessionBusQuestion& sessionBusQuestion() {
    static SessionBusQuestion asked;
    return asked;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// SDL reads the window class (X11) and app id (Wayland) from the environment as its
// video starts; ours are set for that moment only, so that children do not inherit them.
class ApplicationIdEnvironment {
  public:
    explicit ApplicationIdEnvironment(const std::string& id) {
        if (!id.empty()) {
            setenv("SDL_VIDEO_X11_WMCLASS", id.c_str(), 1);
            setenv("SDL_VIDEO_WAYLAND_WMCLASS", id.c_str(), 1);
            set_ = true;
        }
    }
    ~ApplicationIdEnvironment() {
        if (set_) {
            unsetenv("SDL_VIDEO_X11_WMCLASS");
            unsetenv("SDL_VIDEO_WAYLAND_WMCLASS");
        }
    }
    ApplicationIdEnvironment(const ApplicationIdEnvironment&) = delete;
    ApplicationIdEnvironment& operator=(const ApplicationIdEnvironment&) = delete;

  private:
    bool set_ = false;
};

// The displays the environment names, for messages: "DISPLAY=:7".
std::string namedDisplays() {
    std::string named;
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (std::string value = environment(name); !value.empty()) {
            named += (named.empty() ? "" : " and ") + std::string(name) + "=" + value;
        }
    }
    return named;
}

// SDL's drivers for the displays named, Wayland first.
std::string namedDrivers() {
    std::string drivers;
    if (!environment("WAYLAND_DISPLAY").empty()) {
        drivers = "wayland";
    }
    if (!environment("DISPLAY").empty()) {
        drivers += drivers.empty() ? "x11" : ",x11";
    }
    return drivers;
}

bool onDesktopDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

} // namespace

void HostAskSessionBusEarly() {
    SessionBusQuestion& asked = sessionBusQuestion();
    if (!asked.question) {
        asked.question = HostBusQuestion::sessionBus();
        asked.asked = HostBusQuestion::Clock::now();
    }
}

HostSessionBusForSDL::HostSessionBusForSDL() {
    HostAskSessionBusEarly();
    SessionBusQuestion& asked = sessionBusQuestion();
    if (asked.question->answeredBy(asked.asked + sessionBusLimit)) {
        return;
    }
    address_ = environment("DBUS_SESSION_BUS_ADDRESS");
    if (!address_.empty()) {
        // An address that fails at once: SDL then gives up the bus for good.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-bus", 1);
        hidden_ = true;
    }
}

HostSessionBusForSDL::~HostSessionBusForSDL() {
    if (hidden_) {
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
}

bool HostVideoSubsystem::start(const std::string& applicationId, std::string& error) {
    std::string displays = namedDisplays();
    if (displays.empty()) {
        error = "no display available (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "use --headless with --events to run without one";
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, namedDrivers().c_str());
    ApplicationIdEnvironment id(applicationId);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = "no usable display at " + displays + " (" + SDL_GetError() +
                "); use --headless with --events to run without one";
        SDL_Quit();
        return false;
    }
    started = true;
    if (!onDesktopDriver()) {
        error = std::string("no usable display: SDL's ") + SDL_GetCurrentVideoDriver() +
                " driver shows nothing on a desktop; use --headless to run without a window";
        return false;
    }
    return true;
}
