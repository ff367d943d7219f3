// What SDL does not do on Wayland, done with libwayland on SDL's own connection: the
// commit that shows what libdecor drew, the connection's descriptor to wait on, and
// bringing the window forward with an xdg-activation token.
#include <Host/Window/HostNativeWindow.h>

#include <Host/Desktop/HostDesktopX11Properties.h>

#include <wayland-client.h>

#include <cstring>

namespace {

// xdg_activation_v1 as its protocol describes it on the wire, for the one request made
// of it (activate) and its destructor; get_activation_token is never sent.
const wl_interface* activateTypes[] = {nullptr, &wl_surface_interface};
const wl_message activationRequests[] = {
    {"destroy", "", nullptr},
    {"get_activation_token", "n", nullptr},
    {"activate", "so", activateTypes},
};
const wl_interface activationInterface = {"xdg_activation_v1", 1, 3,
                                          activationRequests,  0, nullptr};
constexpr std::uint32_t activationDestroy = 0;
constexpr std::uint32_t activationActivate = 2;

// The compositor's xdg_activation_v1, bound on a queue of this file's own so that
// SDL's dispatching never sees its registry.
struct ActivationLookup {
    wl_registry* registry = nullptr;
    wl_proxy* activation = nullptr;
};

void registryGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                    std::uint32_t /*version*/) {
    auto* lookup = static_cast<ActivationLookup*>(data);
    if (!lookup->activation && std::strcmp(interface, activationInterface.name) == 0) {
        lookup->activation =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &activationInterface, 1));
    }
}

void registryGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

} // namespace

int HostNativeWindow::connectionFd() const {
    if (waylandDisplay_) {
        return wl_display_get_fd(static_cast<wl_display*>(waylandDisplay_));
    }
    return HostX11ConnectionFd(x11Display_);
}

void HostNativeWindow::commitDecorations() const {
    // libdecor draws the title bar and borders into subsurfaces that show only when
    // the window's own surface commits; a window whose pixels did not change would
    // otherwise keep its first (or no) decorations, and its last acknowledged
    // configure (and window geometry) unapplied until it closes.
    if (waylandSurface_ && shown_) {
        wl_surface_commit(static_cast<wl_surface*>(waylandSurface_));
        wl_display_flush(static_cast<wl_display*>(waylandDisplay_));
    }
}

bool HostNativeWindow::activateWayland(const std::string& token) const {
    auto* display = static_cast<wl_display*>(waylandDisplay_);
    if (!display || token.empty()) {
        return false;
    }
    wl_event_queue* queue = wl_display_create_queue(display);
    ActivationLookup lookup;
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    lookup.registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_registry_add_listener(lookup.registry, &registryListener, &lookup);
    // One round trip lists the globals; the compositor answers it at once.
    bool listed = wl_display_roundtrip_queue(display, queue) >= 0;
    if (lookup.activation) {
        wl_proxy_marshal(lookup.activation, activationActivate, token.c_str(),
                         static_cast<wl_surface*>(waylandSurface_));
        wl_proxy_marshal(lookup.activation, activationDestroy);
        wl_proxy_destroy(lookup.activation);
        wl_display_flush(display);
    }
    wl_registry_destroy(lookup.registry);
    wl_event_queue_destroy(queue);
    return listed && lookup.activation != nullptr;
}
