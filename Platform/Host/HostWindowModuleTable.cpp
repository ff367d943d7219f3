// The window library's table for the host (HostWindowModule.h).
#include <Host/HostWindowModule.h>

namespace {

const HostWindowModule table = {
    [](const HostWindowIdentity& identity, std::optional<int> scale, std::string& error,
       std::string* warning) {
        return HostWindow::open(identity, scale, error, warning).release();
    },
    [](HostWindow* window) { delete window; },
    [](const HostWindow* window) { return window->scale(); },
    [](HostWindow* window, HostSession& session, const std::vector<ScriptCommand>& script,
       const std::string& scriptName) { return window->run(session, script, scriptName); },
    [](HostWindow* window) { window->requestRaise(); },
};

} // namespace

extern "C" const HostWindowModule* HostWindowModuleTable() {
    return &table;
}
