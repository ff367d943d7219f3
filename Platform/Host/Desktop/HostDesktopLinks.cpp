#include <Host/Desktop/HostDesktopLinks.h>

#include <Host/Desktop/HostDesktopEnvironment.h>
#include <Host/HostPendingAnswer.h>

#include <gio/gio.h>
#include <glib-unix.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";

HostLinkOpening opened() {
    return {true, {}};
}

HostLinkOpening notOpened(std::string why) {
    return {false, std::move(why)};
}

// What the asking thread works with: the answer the caller waits for (whose late
// answer says what a caller that stops waiting takes: once the portal asks the user,
// or a handler runs, the link counts as opened), and the cancellable that its
// call-off cancels.
struct LinkRequest {
    HostPendingAnswer<HostLinkOpening>& answer;
    GCancellable* cancel;
};

// "scheme:rest", the scheme a letter then letters, digits, "+", "-" or "."; no control
// characters anywhere (nothing that could pass for an option or break a line).
bool isAddress(const std::string& url) {
    std::size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 ||
        std::isalpha(static_cast<unsigned char>(url[0])) == 0) {
        return false;
    }
    bool schemeChars =
        std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' ||
                   c == '.';
        });
    return schemeChars && std::none_of(url.begin(), url.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
           });
}

// ---- the portal ------------------------------------------------------------------------

// The connection's unique name as an element of a request's path: ":1.42" -> "1_42".
std::string senderElement(GDBusConnection* connection) {
    const gchar* unique = g_dbus_connection_get_unique_name(connection);
    std::string name = unique != nullptr ? unique : "";
    if (!name.empty() && name[0] == ':') {
        name.erase(0, 1);
    }
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

// Whether the portal runs now: one that could only be started for the asking might not
// be up in time, and the address would then be opened by neither.
bool portalRuns(GDBusConnection* connection, GCancellable* cancel, int limitMs) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", portalName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, limitMs, cancel, nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    return owned != FALSE;
}

void noteResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                  GVariant* parameters, gpointer data) {
    auto* code = static_cast<std::optional<guint32>*>(data);
    guint32 response = 2;
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})"))) {
        g_variant_get_child(parameters, 0, "u", &response);
    }
    *code = response;
}

guint subscribeToResponse(GDBusConnection* connection, const std::string& path,
                          std::optional<guint32>* code) {
    return g_dbus_connection_signal_subscribe(
        connection, nullptr, "org.freedesktop.portal.Request", "Response", path.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, noteResponse, code, nullptr);
}

HostLinkOpening portalAnswer(guint32 response) {
    switch (response) {
    case 0:
        return opened();
    case 1:
        return notOpened("the desktop's choice of an application was cancelled");
    default:
        return notOpened("the desktop found no application for it");
    }
}

gboolean wake(gint, GIOCondition, gpointer) {
    return G_SOURCE_REMOVE;
}

gboolean again(gpointer) {
    return G_SOURCE_CONTINUE;
}

// The request's Response, dispatched on this thread's own context; none when the caller
// stopped waiting first. The wait wakes at a call-off through the answer's descriptor:
// a cancellable's own source, disposed of while the cancellation runs on the caller's
// thread, is kept alive for ever.
std::optional<guint32> awaitResponse(LinkRequest& request, const std::optional<guint32>& code) {
    int descriptor = request.answer.callOffDescriptor();
    // Without a descriptor (none left to make), the wait looks now and then instead.
    GSource* calledOff =
        descriptor >= 0 ? g_unix_fd_source_new(descriptor, G_IO_IN) : g_timeout_source_new(20);
    if (descriptor >= 0) {
        g_source_set_callback(calledOff, G_SOURCE_FUNC(wake), nullptr, nullptr);
    } else {
        g_source_set_callback(calledOff, again, nullptr, nullptr);
    }
    g_source_attach(calledOff, g_main_context_get_thread_default());
    while (!code && !request.answer.calledOff()) {
        g_main_context_iteration(g_main_context_get_thread_default(), TRUE);
    }
    g_source_destroy(calledOff);
    g_source_unref(calledOff);
    return code;
}

// OpenURI, subscribed to its request's Response first (the path follows from the
// handle token) so that an answer sent at once is not missed.
HostLinkOpening callOpenURI(LinkRequest& request, GDBusConnection* connection,
                            const std::string& url, int limitMs) {
    static std::atomic<unsigned> requests{0};
    std::string token = "prismkey" + std::to_string(++requests);
    std::string expected =
        std::string(portalPath) + "/request/" + senderElement(connection) + "/" + token;
    std::optional<guint32> code;
    guint subscription = subscribeToResponse(connection, expected, &code);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        connection, portalName, portalPath, "org.freedesktop.portal.OpenURI", "OpenURI",
        g_variant_new("(ssa{sv})", "", url.c_str(), &options), G_VARIANT_TYPE("(o)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, limitMs, request.cancel, &error);
    if (reply == nullptr) {
        g_dbus_connection_signal_unsubscribe(connection, subscription);
        bool late = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
                    g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
        std::string why = late ? "the desktop portal did not answer in time"
                               : std::string("the desktop portal refused it: ") + error->message;
        g_error_free(error);
        return notOpened(why);
    }
    const gchar* handle = nullptr;
    g_variant_get(reply, "(&o)", &handle);
    if (expected != handle) { // a portal that names its requests its own way
        g_dbus_connection_signal_unsubscribe(connection, subscription);
        subscription = subscribeToResponse(connection, handle, &code);
    }
    g_variant_unref(reply);
    request.answer.setLateAnswer(opened());
    std::optional<guint32> response = awaitResponse(request, code);
    g_dbus_connection_signal_unsubscribe(connection, subscription);
    // Still asking the user when the caller stopped waiting: it answered yes.
    return response ? portalAnswer(*response) : opened();
}

// None when there is no portal to ask: no session bus, or no portal running on it.
std::optional<HostLinkOpening> askPortal(LinkRequest& request, const std::string& url,
                                         const std::string& address, int limitMs) {
    if (address.empty()) {
        return std::nullopt;
    }
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, request.cancel, nullptr);
    if (connection == nullptr) {
        return std::nullopt;
    }
    std::optional<HostLinkOpening> answer;
    if (portalRuns(connection, request.cancel, limitMs)) {
        answer = callOpenURI(request, connection, url, limitMs);
    }
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
    return answer;
}

// ---- xdg-open --------------------------------------------------------------------------

// xdg-open in a session of its own (the application it starts outlives this program),
// with none of this program's descriptors (the single-instance lock among them) and
// its messages kept off standard error: the caller says what happened, in one line.
HostLinkOpening runXdgOpen(LinkRequest& request, const std::string& url) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::string program = "xdg-open";
    std::string address = url;
    char* arguments[] = {program.data(), address.data(), nullptr};
    pid_t pid = -1;
    // The environment the program was started with, not what its libraries were given.
    std::vector<std::string> environment = HostChildEnvironment();
    std::vector<char*> variables;
    variables.reserve(environment.size() + 1);
    for (std::string& variable : environment) {
        variables.push_back(variable.data());
    }
    variables.push_back(nullptr);
    int error =
        posix_spawnp(&pid, program.c_str(), &actions, &attributes, arguments, variables.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return notOpened(error == ENOENT
                             ? "xdg-open is not installed (xdg-utils)"
                             : std::string("xdg-open did not start: ") + std::strerror(error));
    }
    request.answer.setLateAnswer(opened());
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return opened(); // reaped elsewhere: it ran, its status is not ours to know
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return opened();
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        return notOpened("no application on this desktop handles it");
    }
    return notOpened(WIFEXITED(status)
                         ? "xdg-open failed (status " + std::to_string(WEXITSTATUS(status)) + ")"
                         : "xdg-open ended by signal " + std::to_string(WTERMSIG(status)));
}

HostLinkOpening openOnDesktop(LinkRequest& request, const std::string& url,
                              const std::string& address, int limitMs) {
    // The portal's Response is dispatched on this thread's own context. What GLib
    // schedules on it while the connection closes (the connection's "closed" signal)
    // is dispatched before it goes: undispatched, it would keep the connection, and
    // the connection the context and its descriptor, for the life of the process.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    std::optional<HostLinkOpening> answer = askPortal(request, url, address, limitMs);
    while (g_main_context_iteration(context, FALSE) != FALSE) {
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return answer ? *answer : runXdgOpen(request, url);
}

} // namespace

HostLinkOpening HostDesktopLinks::open(const std::string& url, std::chrono::milliseconds limit) {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    return open(url, address != nullptr ? address : "", limit);
}

HostLinkOpening HostDesktopLinks::open(const std::string& url, const std::string& sessionBusAddress,
                                       std::chrono::milliseconds limit) {
    if (!isAddress(url)) {
        return notOpened("it is not an address (scheme:...)");
    }
    std::shared_ptr<GCancellable> cancel(g_cancellable_new(), g_object_unref);
    auto limitMs = static_cast<int>(limit.count());
    std::shared_ptr<HostPendingAnswer<HostLinkOpening>> answer = HostAskOnThread(
        notOpened("the desktop did not answer in time"),
        [url, sessionBusAddress, limitMs, cancel](HostPendingAnswer<HostLinkOpening>& pending) {
            pending.onCallOff([cancel] { g_cancellable_cancel(cancel.get()); });
            LinkRequest request{pending, cancel.get()};
            return openOnDesktop(request, url, sessionBusAddress, limitMs);
        });
    if (!answer) {
        return notOpened("the desktop could not be asked: no thread could be started");
    }
    HostLinkOpening outcome = answer->within(limit);
    answer->callOff(); // whatever still waits on the desktop stops
    return outcome;
}
