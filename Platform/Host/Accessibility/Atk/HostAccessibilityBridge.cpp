#include <Host/Accessibility/Atk/HostAccessibilityBridge.h>

#include <Host/Accessibility/Atk/HostAccessibilityAtk.h>
#include <Host/Accessibility/HostAccessibilityModel.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIView.h>

#include <chrono>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// While a tool is talking the bridge waits for the bus and the window's connection
// together, a millisecond at a time, so that neither waits for the other; once the
// tool has been quiet a while, the loop turns the bridge ten times a second.
constexpr auto busyFor = std::chrono::seconds(1);
constexpr int busyWaitMs = 1;
constexpr int quietWaitMs = 100;
// Changes that no notification announced (a title, a text) are found this often.
constexpr auto syncInterval = std::chrono::milliseconds(100);
// Requests handled in one turn, at most: the window's own events come first.
constexpr int iterationsPerTurn = 64;

const UIAccessibilityNode* findNode(const UIAccessibilityNode& node, const UIView* view,
                                    UIAccessibilityRole role) {
    if (node.view == view && node.role == role) {
        return &node;
    }
    for (const UIAccessibilityNode& child : node.children) {
        if (const UIAccessibilityNode* found = findNode(child, view, role)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

struct HostAccessibilityBridge::Impl {
    bool windowActive = false;
    // Whether the window's activation has been announced since the bridge listens.
    bool announced = false;
    HostAccessibilityBridgeHooks hooks;
    HostAccessibilityModel model;
    // Elements a tool asked to activate, by view and role (checked again before use).
    std::vector<std::pair<UIView*, UIAccessibilityRole>> activations;
    bool dirty = true;
    int windowFd = -1;
    Clock::time_point lastSync{};
    Clock::time_point lastRequest{};

    void sync() {
        UIAccessibilityNode tree = UIAccessibilityElementTree(hooks.windowTitle);
        tree.frame = UIScreen::mainScreen()->bounds(); // the frame is the whole screen
        HostAtkPublish(model.sync(tree, UIAccessibilityFocusedElement()), model);
        dirty = false;
        lastSync = Clock::now();
    }
    bool activatePending();
    void announceOnceListened();
};

HostAccessibilityBridge::HostAccessibilityBridge(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}

HostAccessibilityBridge::~HostAccessibilityBridge() {
    UIAccessibilitySetObserver({});
    HostAtkStop();
}

std::unique_ptr<HostAccessibilityBridge>
HostAccessibilityBridge::start(const std::string& applicationName,
                               HostAccessibilityBridgeHooks hooks) {
    auto impl = std::make_unique<Impl>();
    impl->windowFd = hooks.windowFd;
    impl->hooks = std::move(hooks);
    Impl* state = impl.get();
    HostAtkCallbacks callbacks;
    callbacks.desktopRect = state->hooks.desktopRect;
    callbacks.windowRect = state->hooks.windowRect;
    callbacks.activate = [state](const HostAccessibleElement& element) {
        state->activations.emplace_back(element.node.view, element.node.role);
    };
    callbacks.windowActive = [state] { return state->windowActive; };
    HostAtkStart(applicationName, impl->model, std::move(callbacks));
    impl->sync(); // the objects exist before the bus asks for them
    if (!HostAtkJoinBus()) {
        return nullptr;
    }
    UIAccessibilitySetObserver(
        [state](UIAccessibilityNotification, UIView*) { state->dirty = true; });
    return std::unique_ptr<HostAccessibilityBridge>(new HostAccessibilityBridge(std::move(impl)));
}

// Activates what was asked for, as the platform does: the element's own activation,
// else a tap at its centre. True when something was activated.
bool HostAccessibilityBridge::Impl::activatePending() {
    if (activations.empty()) {
        return false;
    }
    std::vector<std::pair<UIView*, UIAccessibilityRole>> pending;
    pending.swap(activations);
    for (const auto& [view, role] : pending) {
        // The view is used only if the tree still shows it.
        UIAccessibilityNode tree = UIAccessibilityElementTree(hooks.windowTitle);
        const UIAccessibilityNode* node = findNode(tree, view, role);
        if (!node || !node->view || node->view->accessibilityActivate()) {
            continue;
        }
        hooks.tap({node->frame.origin.x + node->frame.size.width / 2,
                   node->frame.origin.y + node->frame.size.height / 2});
    }
    dirty = true;
    return true;
}

bool HostAccessibilityBridge::keyEvent(const HostAccessibleKeyEvent& key) {
    return HostAtkKeyEvent(key);
}

void HostAccessibilityBridge::setWindowActive(bool active) {
    if (impl_->windowActive == active) {
        return;
    }
    impl_->windowActive = active;
    if (impl_->announced) {
        impl_->sync(); // what is focused now, before it is announced
        HostAtkPublishWindowActive(active, impl_->model);
    }
}

// The state a tool that starts listening must hear: the active window and its focus.
void HostAccessibilityBridge::Impl::announceOnceListened() {
    if (announced || !HostAtkListening()) {
        return;
    }
    announced = true;
    if (windowActive) {
        sync();
        HostAtkPublishWindowActive(true, model);
    }
}

int HostAccessibilityBridge::service(bool& changedScreen) {
    Clock::time_point now = Clock::now();
    int handled = 0;
    while (handled < iterationsPerTurn && HostAtkIterate()) {
        ++handled;
    }
    if (handled > 0) {
        impl_->lastRequest = now;
    }
    impl_->announceOnceListened();
    changedScreen = impl_->activatePending();
    if (impl_->dirty || now - impl_->lastSync >= syncInterval) {
        impl_->sync();
    }
    if (handled == iterationsPerTurn || changedScreen) {
        return 0;
    }
    if (now - impl_->lastRequest < busyFor) {
        HostAtkWait(busyWaitMs, impl_->windowFd);
        return 0;
    }
    return quietWaitMs;
}
