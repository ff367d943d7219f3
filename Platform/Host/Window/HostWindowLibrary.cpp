// The window library's table for the host (HostWindowModule.h).
#include <Host/Start/HostWindowModule.h>
#include <Host/Window/HostWindow.h>
#include <Host/Window/HostWindowImpl.h>

#include <Host/Accessibility/Atk/HostAccessibilityBridge.h>
#include <Host/Desktop/HostBusQuestion.h>
#include <Host/Desktop/HostDesktopLinks.h>
#include <Host/Desktop/HostDesktopX11Properties.h>
#include <Host/Session/HostSession.h>
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

// The desktop bridge where an accessibility bus runs: it works through the window's
// loop, placing elements by the window and tapping through the session. It looks
// for the bus only once the first frame is up, so that the look costs start-up
// nothing, and on a thread of its own, so that a bus that never answers freezes
// nothing; where there is none, the loop carries on as if it had never looked.
void attachBridge(const std::string& name, HostWindow& window, HostSession& session) {
    HostAccessibilityBridgeHooks hooks;
    hooks.windowRect = [&window](CGRect points) { return window.windowRectOf(points); };
    hooks.desktopRect = [&window](CGRect points) {
        CGRect rect = window.windowRectOf(points);
        CGPoint origin = window.desktopOrigin();
        rect.origin.x += origin.x;
        rect.origin.y += origin.y;
        return rect;
    };
    hooks.tap = [&session](CGPoint point) { session.tap(point); };
    void* x11Display = window.x11Display();
    hooks.windowFd = HostX11ConnectionFd(x11Display);
    hooks.windowTitle = window.title();
    struct Deferred {
        int turns = 0;
        bool active = false; // the window's focus, told to the bridge once it runs
        std::shared_ptr<HostBusQuestion> question;
        HostBusQuestion::Clock::time_point asked{};
        std::unique_ptr<HostAccessibilityBridge> bridge;
    };
    auto deferred = std::make_shared<Deferred>();
    window.setKeyListener([deferred](const HostAccessibleKeyEvent& key) {
        return deferred->bridge && deferred->bridge->keyEvent(key);
    });
    window.setActivationListener([deferred](bool active) {
        deferred->active = active;
        if (deferred->bridge) {
            deferred->bridge->setWindowActive(active);
        }
    });
    window.setIdleHandler([deferred, name, hooks, x11Display](bool& changedScreen) mutable {
        if (deferred->bridge) {
            return deferred->bridge->service(changedScreen);
        }
        // The first turn draws the first frame; the second asks, off the loop, whether
        // a bus runs and answers; later turns look for the answer without waiting.
        if (++deferred->turns == 2) {
            deferred->question =
                HostBusQuestion::accessibilityBus(HostX11RootAccessibilityBus(x11Display));
            deferred->asked = HostBusQuestion::Clock::now();
        }
        if (!deferred->question) {
            return deferred->turns < 2 ? 0 : 1000;
        }
        std::optional<bool> answer = deferred->question->answer();
        if (!answer && HostBusQuestion::Clock::now() - deferred->asked > busAnswerLimit) {
            answer = deferred->question->answeredBy(deferred->asked); // called off
        }
        if (!answer) {
            return busPollMs;
        }
        deferred->question.reset();
        if (*answer) {
            deferred->bridge = HostAccessibilityBridge::start(name, std::move(hooks));
        }
        if (deferred->bridge) {
            deferred->bridge->setWindowActive(deferred->active);
        }
        return 0;
    });
}

// Where links go while the window runs: the desktop's handler.
UIURLOpening openOnDesktop(const std::string& url) {
    HostLinkOpening opening = HostDesktopLinks::open(url);
    return {opening.opened, opening.problem};
}

int runWithBridge(HostWindow* window, HostScriptRunner& runner,
                  const std::vector<ScriptCommand>& script, const std::string& scriptName,
                  const std::string& applicationName) {
    attachBridge(applicationName, *window, runner.session());
    UIApplication::sharedApplication()->setURLOpener(openOnDesktop);
    int status = window->run(runner, script, scriptName);
    UIApplication::sharedApplication()->setURLOpener({});
    window->setKeyListener({}); // the bridge goes before the session
    window->setActivationListener({});
    window->setIdleHandler({});
    return status;
}

const HostWindowModule table = {
    HostAskSessionBusEarly,
    [](const HostWindowIdentity& identity, std::optional<int> scale,
       std::optional<HostWindowPosition> position, std::string& error, std::string* warning) {
        return HostWindow::open(identity, scale, error, warning, position).release();
    },
    [](HostWindow* window) { delete window; },
    [](const HostWindow* window) { return window->scale(); },
    runWithBridge,
    [](HostWindow* window, const std::string& token, int limitMs) {
        return window->requestRaise(token, limitMs);
    },
};

} // namespace

extern "C" const HostWindowModule* HostWindowModuleTable() {
    return &table;
}
