// Whether the session bus answers, asked on the caller's thread within a limit, with
// plain sockets (no library that could read the environment meanwhile): connected,
// authenticated and greeted (the Hello every client sends first). A bus that accepts
// and then says nothing would hold a client that waits for it without end.
#pragma once

#include <chrono>
#include <string>

enum class HostBusProbe {
    answers, // greeted back within the limit
    refuses, // nobody listens there, or it refused us: a client fails at once
    silent,  // it took the connection and said nothing in time
    unknown, // no address, or none of a kind this probe speaks (only unix sockets)
};

// `address` as DBUS_SESSION_BUS_ADDRESS gives it ("unix:path=...;unix:abstract=...").
HostBusProbe HostProbeSessionBus(const std::string& address, std::chrono::milliseconds limit);
