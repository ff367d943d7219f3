#include <Host/Desktop/HostBusQuestion.h>

#include <gio/gio.h>

#include <cstring>
#include <memory>

namespace {

// Authenticated and greeted, or nullptr. The greeting itself cannot be called off:
// a bus that authenticates and then falls silent keeps only the asking thread.
GDBusConnection* connectTo(const char* address, GCancellable* cancel) {
    return g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancel, nullptr);
}

void disconnect(GDBusConnection* connection) {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

GVariant* callBus(GDBusConnection* connection, const char* name, const char* path,
                  const char* interface, const char* method, GVariant* arguments,
                  const char* replyType, GCancellable* cancel) {
    constexpr int replyLimitMs = 2000;
    return g_dbus_connection_call_sync(connection, name, path, interface, method, arguments,
                                       G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                       replyLimitMs, cancel, nullptr);
}

// Where org.a11y.Bus on the session bus says the accessibility bus is, when it runs
// (it is not started for the asking).
std::optional<std::string> accessibilityBusAddress(const std::string& session,
                                                   GCancellable* cancel) {
    GDBusConnection* connection = session.empty() ? nullptr : connectTo(session.c_str(), cancel);
    if (!connection) {
        return std::nullopt; // never autolaunch a bus to ask
    }
    std::optional<std::string> address;
    gboolean owned = FALSE;
    if (GVariant* reply = callBus(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus", "NameHasOwner",
                                  g_variant_new("(s)", "org.a11y.Bus"), "(b)", cancel)) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    GVariant* reply = owned ? callBus(connection, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                      "GetAddress", nullptr, "(s)", cancel)
                            : nullptr;
    if (reply) {
        const gchar* text = nullptr;
        g_variant_get(reply, "(&s)", &text);
        address = text;
        g_variant_unref(reply);
    }
    disconnect(connection);
    return address;
}

bool answers(const std::string& address, GCancellable* cancel) {
    GDBusConnection* connection = connectTo(address.c_str(), cancel);
    if (connection) {
        disconnect(connection);
    }
    return connection != nullptr;
}

// The session bus's address, read on the asking thread; empty when none is set: a bus
// is never autolaunched to be asked.
std::string sessionBusAddress() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    return address ? address : "";
}

} // namespace

HostBusQuestion::~HostBusQuestion() {
    answer_->callOff();
}

std::shared_ptr<HostBusQuestion>
HostBusQuestion::accessibilityBus(const std::optional<std::string>& rootWindowAddress) {
    const char* disabled = g_getenv("NO_AT_BRIDGE");
    std::shared_ptr<HostPendingAnswer<bool>> answer;
    if (!disabled || std::strcmp(disabled, "1") != 0) {
        std::shared_ptr<GCancellable> cancel(g_cancellable_new(), g_object_unref);
        answer = HostAskOnThread(false, [rootWindowAddress, session = sessionBusAddress(),
                                         cancel](HostPendingAnswer<bool>& pending) {
            // A call-off cancels what can be cancelled; the greeting itself cannot be,
            // so a bus that authenticates and falls silent keeps this thread alone.
            pending.onCallOff([cancel] { g_cancellable_cancel(cancel.get()); });
            std::optional<std::string> address =
                rootWindowAddress ? rootWindowAddress
                                  : accessibilityBusAddress(session, cancel.get());
            return address && answers(*address, cancel.get());
        });
    }
    if (!answer) {
        answer = std::make_shared<HostPendingAnswer<bool>>(false);
        answer->give(false);
    }
    return std::shared_ptr<HostBusQuestion>(new HostBusQuestion(std::move(answer)));
}
