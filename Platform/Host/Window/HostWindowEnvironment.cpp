#include <Host/Window/HostWindowEnvironment.h>

#include <Host/Desktop/HostDesktopEnvironment.h>

#include <cstdlib>

HostWindowEnvironment HostPrepareWindowEnvironment(const std::string& applicationId) {
    if (!applicationId.empty()) {
        HostSetEnvironmentForLibraries("SDL_VIDEO_X11_WMCLASS", applicationId);
        HostSetEnvironmentForLibraries("SDL_VIDEO_WAYLAND_WMCLASS", applicationId);
    }
    HostWindowEnvironment prepared;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) {
        return prepared;
    }
    prepared.busLimit = HostSessionBusLimit;
    prepared.bus = HostProbeSessionBus(address, prepared.busLimit);
    if (prepared.bus == HostBusProbe::silent) {
        // An address that fails at once: SDL then gives up the bus for good.
        HostSetEnvironmentForLibraries("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-bus");
        prepared.busHidden = true;
    }
    return prepared;
}
