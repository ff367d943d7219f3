// Handing an address to the desktop, as a window's `openURL:` does: the XDG desktop
// portal's OpenURI where the session bus has the portal running, else xdg-open. The
// asking runs on a thread of its own; the caller waits for its answer a bounded time,
// so that a portal that never answers, or a handler that stays in the foreground,
// never freezes the window.
#pragma once

#include <chrono>
#include <string>

struct HostLinkOpening {
    bool opened = false;
    std::string problem; // why not, when not
};

class HostDesktopLinks {
  public:
    static constexpr std::chrono::milliseconds answerLimit{1500};

    // Through the session bus named by DBUS_SESSION_BUS_ADDRESS (none set: xdg-open).
    static HostLinkOpening open(const std::string& url,
                                std::chrono::milliseconds limit = answerLimit);
    // Through the session bus at `sessionBusAddress`; empty: xdg-open alone.
    //
    // What is known by `limit` decides: the portal's answer, or xdg-open's status
    // (status 0: a handler took it). Past the limit, a portal that took the request and
    // is still asking the user, or an xdg-open still running the handler it found,
    // counts as opened; a portal that has not answered the call, as not. A portal's
    // refusal is not followed by xdg-open: the address is not opened twice.
    static HostLinkOpening open(const std::string& url, const std::string& sessionBusAddress,
                                std::chrono::milliseconds limit);
};
