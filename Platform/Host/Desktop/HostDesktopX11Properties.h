// What an X desktop says in its root window's properties: where the accessibility bus
// is (AT_SPI_BUS, set by the desktop's bus launcher) and the font resolution (Xft.dpi
// in RESOURCE_MANAGER). Asked over the window's own connection where there is one: a
// connection of our own would cost more than the question.
#pragma once

#include <optional>
#include <string>

// The accessibility bus named on the root window of `xDisplay` (an Xlib Display, may
// be nullptr).
std::optional<std::string> HostX11RootAccessibilityBus(void* xDisplay);
// The connection's file descriptor, or -1 for none.
int HostX11ConnectionFd(void* xDisplay);

// The Xft.dpi resource of the X server behind `xDisplay`, when one is set.
std::optional<double> HostXftDpi(void* xDisplay);
// The same, of the X server at DISPLAY, read before any window is open.
std::optional<double> HostDisplayXftDpi();
