// The window library's table for the host (HostWindowModule.h).
#include <Host/Program/HostWindowModule.h>
#include <Host/Window/HostWindow.h>

#include <Host/Accessibility/HostAccessibilityBridge.h>
#include <Host/Session/HostSession.h>

#include <memory>
#include <utility>

namespace {

// The desktop bridge where an accessibility bus runs: it works through the window's
// loop, placing elements by the window and tapping through the session. It looks
// for the bus only once the first frame is up, so that the look costs start-up
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
    hooks.x11Display = window.x11Display();
    struct Deferred {
        int turns = 0;
        std::unique_ptr<HostAccessibilityBridge> bridge;
    };
    auto deferred = std::make_shared<Deferred>();
    window.setIdleHandler([deferred, name, hooks](bool& changedScreen) mutable {
        if (deferred->bridge) {
            return deferred->bridge->service(changedScreen);
        }
        // The first turn draws the first frame; the second looks for the bus.
        if (++deferred->turns == 2) {
            deferred->bridge = HostAccessibilityBridge::startIfBusRuns(name, std::move(hooks));
        }
        return deferred->turns < 2 ? 0 : 1000;
    });
}

int runWithBridge(HostWindow* window, HostScriptRunner& runner,
                  const std::vector<ScriptCommand>& script, const std::string& scriptName,
                  const std::string& applicationName) {
    attachBridge(applicationName, *window, runner.session());
    int status = window->run(runner, script, scriptName);
    window->setIdleHandler({}); // the bridge goes before the session
    return status;
}

const HostWindowModule table = {
    [](const HostWindowIdentity& identity, std::optional<int> scale, std::string& error,
       std::string* warning) {
        return HostWindow::open(identity, scale, error, warning).release();
    },
    [](HostWindow* window) { delete window; },
    [](const HostWindow* window) { return window->scale(); },
    runWithBridge,
    [](HostWindow* window) { window->requestRaise(); },
};

} // namespace

extern "C" const HostWindowModule* HostWindowModuleTable() {
    return &table;
}
