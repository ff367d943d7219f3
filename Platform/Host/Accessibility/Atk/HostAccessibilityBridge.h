// The desktop bridge: the element tree (`UIAccessibilityElementTree`) on the
// desktop's accessibility bus, where screen readers and test tools read it and
// activate its elements. It starts only where a bus runs and answers (asked off the
// loop, HostBusQuestion.h) and is serviced from the program's own loop, on its
// thread; activations run there too, between turns.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Host/Accessibility/HostAccessibleKeyEvent.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct HostAccessibilityBridgeHooks {
    // The window's title, which names the frame.
    std::string windowTitle;
    // A rectangle of screen points in pixels: on the desktop, and within the window.
    std::function<CGRect(CGRect)> desktopRect;
    std::function<CGRect(CGRect)> windowRect;
    // A tap at a point in screen points: how an element that does not activate
    // itself is activated.
    std::function<void(CGPoint)> tap;
    // The window's connection to its display server, waited on beside the bus while a
    // tool is talking (-1: none).
    int windowFd = -1;
};

class HostAccessibilityBridge {
  public:
    // Joins the accessibility bus (ask HostBusQuestion::accessibilityBus first whether
    // one runs and answers); nullptr when joining failed.
    static std::unique_ptr<HostAccessibilityBridge> start(const std::string& applicationName,
                                                          HostAccessibilityBridgeHooks hooks);
    ~HostAccessibilityBridge();
    HostAccessibilityBridge(const HostAccessibilityBridge&) = delete;
    HostAccessibilityBridge& operator=(const HostAccessibilityBridge&) = delete;

    // A key of the computer's keyboard, before the program acts on it: true when an
    // assistive tool consumed it (the program must then not act on it).
    bool keyEvent(const HostAccessibleKeyEvent& key);
    // The window gained or lost the focus: the frame is active only while it has it,
    // and says so; on activation the focused element is announced again.
    void setWindowActive(bool active);

    // One turn: the bus's pending requests, the activations they asked for, the
    // tree's changes told to the bus. Returns how long the loop may wait before the
    // next turn (ms); `changedScreen` is set when an activation changed the screen.
    int service(bool& changedScreen);

  private:
    struct Impl;
    explicit HostAccessibilityBridge(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
