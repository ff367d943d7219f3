// The toolkit side of the desktop bridge: ATK objects for the model's elements, the
// bus, and GLib's main context. Every ATK and GLib call lives in the files ending in
// Atk; the rest of the bridge sees only these functions.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Host/Accessibility/Atk/HostAccessibilityBridge.h>
#include <Host/Accessibility/HostAccessibilityModel.h>

#include <functional>
#include <string>
#include <vector>

struct HostAtkCallbacks {
    // A rectangle of screen points in pixels: on the desktop, and within the window.
    std::function<CGRect(CGRect)> desktopRect;
    std::function<CGRect(CGRect)> windowRect;
    // An assistive tool asked to activate the element (done later, on the loop).
    std::function<void(const HostAccessibleElement&)> activate;
    // Whether the window has the focus (its frame and dialogs are active).
    std::function<bool()> windowActive;
};

// Makes ATK answer for this program: its root the application named
// `applicationName`, holding the model's root.
void HostAtkStart(const std::string& applicationName, HostAccessibilityModel& model,
                  HostAtkCallbacks callbacks);
// Joins the accessibility bus; false when that failed.
bool HostAtkJoinBus();
// Leaves the bus.
void HostAtkStop();

// Creates and drops the elements' objects and tells the bus what changed.
void HostAtkPublish(const std::vector<HostAccessibilityChange>& changes,
                    const HostAccessibilityModel& model);

// Whether the bridge has added its event listeners: until it has, what is emitted is
// heard by nobody, and the state worth announcing waits.
bool HostAtkListening();
// Hands a key to ATK's key-event listeners (the bridge's among them); true when one
// consumed it.
bool HostAtkKeyEvent(const HostAccessibleKeyEvent& key);
// The frame became active or not: its state, AtkWindow's activate or deactivate, and
// on activation the focused element announced again.
void HostAtkPublishWindowActive(bool active, const HostAccessibilityModel& model);

// Dispatches what is pending in GLib's default main context, without waiting; true
// when there was something.
bool HostAtkIterate();
// Waits up to `timeoutMs` for the bus, or for `alsoFd` (the window's connection, -1
// for none) to be readable, then dispatches what came.
void HostAtkWait(int timeoutMs, int alsoFd);

// The objects for one element (in HostAccessibleAtk.cpp): `parent` is the parent's
// object (the application object for the root). Returns an owned reference.
void* HostAtkCreateAccessible(HostAccessibleElement& element, void* parent);
// The element is gone: the object is marked defunct and forgets it.
void HostAtkForgetElement(void* accessible);
const HostAtkCallbacks& HostAtkCurrentCallbacks();
