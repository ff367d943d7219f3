// The window library's table for the start (Start/HostWindowModule.h): the one file
// that puts the rooms of the window library together (the window, the desktop's
// services, the accessibility bridge).
#include <Host/Start/HostWindowModule.h>

#include <Host/Accessibility/Atk/HostAccessibilityBridge.h>
#include <Host/Desktop/HostBusQuestion.h>
#include <Host/Desktop/HostDesktopLinks.h>
#include <Host/Desktop/HostDesktopX11Properties.h>
#include <Host/Session/HostSession.h>
#include <Host/Window/HostWindow.h>
#include <Host/Window/HostWindowEnvironment.h>
#include <UIKit/UIApplication.h>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace {

// How long a bus that does not answer is waited for (off the loop), and how often the
// loop looks for its answer meanwhile.
constexpr auto busAnswerLimit = std::chrono::seconds(5);
constexpr int busPollMs = 20;

// The bridge to the accessibility bus, started once the bus is known to answer: asked
// only once the first frame is up, so that the look costs start-up nothing, and off
// the loop, so that a bus that never answers freezes nothing; where there is none,
// the loop carries on as if it had never looked.
class DeferredBridge {
  public:
    DeferredBridge(std::string name, HostAccessibilityBridgeHooks hooks, void* x11Display)
        : name_(std::move(name)), hooks_(std::move(hooks)), x11Display_(x11Display) {}

    // One turn of the window's loop: how long it may wait before the next (ms).
    int service(bool& changedScreen) {
        if (bridge_) {
            return bridge_->service(changedScreen);
        }
        // The first turn draws the first frame; the second asks; later ones look.
        if (++turns_ == 2) {
            question_ = HostBusQuestion::accessibilityBus(HostX11RootAccessibilityBus(x11Display_));
            asked_ = HostBusQuestion::Clock::now();
        }
        if (!question_) {
            return turns_ < 2 ? 0 : 1000;
        }
        std::optional<bool> answer = question_->answer();
        if (!answer && HostBusQuestion::Clock::now() - asked_ > busAnswerLimit) {
            answer = question_->answeredBy(asked_); // called off
        }
        if (!answer) {
            return busPollMs;
        }
        question_.reset();
        if (*answer) {
            bridge_ = HostAccessibilityBridge::start(name_, std::move(hooks_));
        }
        if (bridge_) {
            bridge_->setWindowActive(active_);
        }
        return 0;
    }
    bool keyEvent(const HostAccessibleKeyEvent& key) { return bridge_ && bridge_->keyEvent(key); }
    // The window's focus, told to the bridge once it runs.
    void setWindowActive(bool active) {
        active_ = active;
        if (bridge_) {
            bridge_->setWindowActive(active);
        }
    }

  private:
    std::string name_;
    HostAccessibilityBridgeHooks hooks_;
    void* x11Display_;
    int turns_ = 0;
    bool active_ = false;
    std::shared_ptr<HostBusQuestion> question_;
    HostBusQuestion::Clock::time_point asked_{};
    std::unique_ptr<HostAccessibilityBridge> bridge_;
};

HostAccessibilityBridgeHooks bridgeHooks(HostWindow& window, HostSession& session) {
    HostAccessibilityBridgeHooks hooks;
    hooks.windowTitle = window.title();
    hooks.windowRect = [&window](CGRect points) { return window.windowRectOf(points); };
    hooks.desktopRect = [&window](CGRect points) { return window.desktopRectOf(points); };
    hooks.tap = [&session](CGPoint point) { session.tap(point); };
    hooks.windowFd = window.connectionFd();
    return hooks;
}

// Where links go while the window runs: the desktop's handler.
UIURLOpening openOnDesktop(const std::string& url) {
    HostLinkOpening opening = HostDesktopLinks::open(url);
    return {opening.opened, opening.problem};
}

int run(HostWindow* window, HostScriptPlayer& player, const std::string& applicationName) {
    auto bridge = std::make_shared<DeferredBridge>(
        applicationName, bridgeHooks(*window, player.session()), window->x11Display());
    window->setKeyListener(
        [bridge](const HostAccessibleKeyEvent& key) { return bridge->keyEvent(key); });
    window->setActivationListener([bridge](bool active) { bridge->setWindowActive(active); });
    window->setIdleHandler(
        [bridge](bool& changedScreen) { return bridge->service(changedScreen); });
    UIApplication::sharedApplication()->setURLOpener(openOnDesktop);
    int status = window->run(player);
    UIApplication::sharedApplication()->setURLOpener({});
    window->setKeyListener({}); // the bridge goes before the session
    window->setActivationListener({});
    window->setIdleHandler({});
    return status;
}

HostWindow* open(const HostWindowIdentity& identity, std::optional<int> scale,
                 std::optional<HostWindowPosition> position, std::string& error,
                 std::string& warning) {
    HostWindowOptions options{identity.title, identity.applicationId, identity.icon, scale, {}};
    if (position) {
        options.position = SDL_Point{position->x, position->y};
    }
    return HostWindow::open(options, error, &warning).release();
}

const HostWindowModule table = {
    [](const HostWindowIdentity& identity) {
        HostPrepareWindowEnvironment(identity.applicationId);
    },
    open,
    [](HostWindow* window) { delete window; },
    [](const HostWindow* window) { return window->scale(); },
    run,
    [](HostWindow* window, const std::string& token, int limitMs) {
        return window->requestRaise(token, limitMs);
    },
};

} // namespace

extern "C" const HostWindowModule* HostWindowModuleTable() {
    return &table;
}
