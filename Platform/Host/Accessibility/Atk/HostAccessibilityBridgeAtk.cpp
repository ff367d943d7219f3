// ATK without a toolkit underneath: our AtkUtil answers the root (the application
// object, whose one child is the model's frame), the toolkit's name and the global
// event listeners through which the bridge hears the objects' signals; then the
// bridge joins the accessibility bus, serviced from GLib's default main context.
#include <Host/Accessibility/Atk/HostAccessibilityAtk.h>

#include <atk-bridge.h>
#include <atk/atk.h>
#include <gio/gio.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

struct BridgeState {
    HostAccessibilityModel* model = nullptr;
    HostAtkCallbacks callbacks;
    AtkObject* application = nullptr;
    // Listener id -> (signal, emission hook).
    std::map<guint, std::pair<guint, gulong>> listeners;
    guint nextListener = 1;
    // Key-event listener id -> (listener, its data), called in the order added.
    std::map<guint, std::pair<AtkKeySnoopFunc, gpointer>> keyListeners;
    guint nextKeyListener = 1;
    // The bridge adds its listeners only once it knows that a tool listens (some time
    // after joining): a signal emitted before is heard by nobody.
    bool listening = false;
};

BridgeState& state() {
    static BridgeState instance;
    return instance;
}

// "Toolkit:AtkObject:state-change" -> the signal on that type, heard through an
// emission hook. Window events ("window:create") have no objects here.
guint addGlobalEventListener(GSignalEmissionHook listener, const gchar* eventType) {
    state().listening = true;
    gchar** parts = g_strsplit(eventType, ":", 3);
    guint id = 0;
    if (g_strv_length(parts) == 3) {
        GType type = g_type_from_name(parts[1]);
        if (type != 0) {
            gpointer typeClass = G_TYPE_IS_INTERFACE(type) ? g_type_default_interface_ref(type)
                                                           : g_type_class_ref(type);
            guint signal = g_signal_lookup(parts[2], type);
            if (signal != 0) {
                gulong hook = g_signal_add_emission_hook(signal, 0, listener, nullptr, nullptr);
                id = state().nextListener++;
                state().listeners[id] = {signal, hook};
            }
            (void)typeClass; // kept: the hook lives as long as the program
        }
    }
    g_strfreev(parts);
    return id;
}

void removeGlobalEventListener(guint id) {
    auto at = state().listeners.find(id);
    if (at != state().listeners.end()) {
        g_signal_remove_emission_hook(at->second.first, at->second.second);
        state().listeners.erase(at);
    }
}

guint addKeyEventListener(AtkKeySnoopFunc listener, gpointer data) {
    guint id = state().nextKeyListener++;
    state().keyListeners[id] = {listener, data};
    return id;
}

void removeKeyEventListener(guint id) {
    state().keyListeners.erase(id);
}

AtkObject* root() {
    return state().application;
}

const gchar* toolkitName() {
    return "Prismkey";
}

const gchar* toolkitVersion() {
    return PRISMKEY_VERSION;
}

// --- the application object: the root, holding the frame.

gint applicationChildren(AtkObject*) {
    HostAccessibleElement* frame = state().model ? state().model->root() : nullptr;
    return frame && frame->peer ? 1 : 0;
}

AtkObject* applicationChild(AtkObject* object, gint index) {
    if (index != 0 || applicationChildren(object) == 0) {
        return nullptr;
    }
    return ATK_OBJECT(g_object_ref(state().model->root()->peer));
}

void* peerOf(const HostAccessibleElement* element) {
    return element ? element->peer : state().application;
}

void emitChildrenChanged(void* parent, const char* detail, int index, void* child) {
    g_signal_emit_by_name(parent, detail, static_cast<guint>(index), child);
}

void publishText(AtkObject* peer, const std::string& before, const std::string& after) {
    // The common beginning and end stay; what is between was removed and inserted.
    glong oldLength = g_utf8_strlen(before.c_str(), -1),
          newLength = g_utf8_strlen(after.c_str(), -1);
    glong prefix = 0;
    while (prefix < oldLength && prefix < newLength &&
           g_utf8_get_char(g_utf8_offset_to_pointer(before.c_str(), prefix)) ==
               g_utf8_get_char(g_utf8_offset_to_pointer(after.c_str(), prefix))) {
        ++prefix;
    }
    if (oldLength > prefix) {
        gchar* removed = g_utf8_substring(before.c_str(), prefix, oldLength);
        g_signal_emit_by_name(peer, "text-remove", static_cast<gint>(prefix),
                              static_cast<gint>(oldLength - prefix), removed);
        g_free(removed);
    }
    if (newLength > prefix) {
        gchar* inserted = g_utf8_substring(after.c_str(), prefix, newLength);
        g_signal_emit_by_name(peer, "text-insert", static_cast<gint>(prefix),
                              static_cast<gint>(newLength - prefix), inserted);
        g_free(inserted);
    }
}

// A value said as it changes: a slider's through its value, typed text as text
// removed and inserted with the caret after it, anything else through its description
// (a screen reader speaks a change of the focused element's description).
void publishValue(AtkObject* peer, const HostAccessibleElement& element,
                  const std::string& previous) {
    switch (element.node.role) {
    case UIAccessibilityRole::slider:
        g_object_notify(G_OBJECT(peer), "accessible-value");
        g_object_notify(G_OBJECT(peer), "accessible-description");
        break;
    case UIAccessibilityRole::entry:
        publishText(peer, previous, element.node.value);
        g_signal_emit_by_name(peer, "text-caret-moved",
                              static_cast<gint>(g_utf8_strlen(element.node.value.c_str(), -1)));
        break;
    default:
        g_object_notify(G_OBJECT(peer), "accessible-description");
        break;
    }
}

void publishSelection(AtkObject* peer, const HostAccessibleElement& element) {
    switch (element.node.role) {
    case UIAccessibilityRole::toggleButton:
        atk_object_notify_state_change(peer, ATK_STATE_PRESSED, element.isChecked());
        atk_object_notify_state_change(peer, ATK_STATE_CHECKED, element.isChecked());
        break;
    case UIAccessibilityRole::radioButton:
        atk_object_notify_state_change(peer, ATK_STATE_CHECKED, element.isChecked());
        g_object_notify(G_OBJECT(peer), "accessible-description"); // says "selected"
        break;
    default:
        atk_object_notify_state_change(peer, ATK_STATE_SELECTED, element.isSelected());
        break;
    }
}

void publishFocus(AtkObject* peer, bool focused) {
    atk_object_notify_state_change(peer, ATK_STATE_FOCUSED, focused);
    g_signal_emit_by_name(peer, "focus-event", focused ? TRUE : FALSE);
    if (focused) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        atk_focus_tracker_notify(peer);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
}

void publish(const HostAccessibilityChange& change) {
    using Kind = HostAccessibilityChange::Kind;
    HostAccessibleElement& element = *change.element;
    auto* peer = static_cast<AtkObject*>(element.peer);
    switch (change.kind) {
    case Kind::added:
        if (!peer) {
            element.peer = peer =
                static_cast<AtkObject*>(HostAtkCreateAccessible(element, peerOf(change.parent)));
        }
        atk_object_set_parent(peer, static_cast<AtkObject*>(peerOf(change.parent)));
        emitChildrenChanged(peerOf(change.parent), "children-changed::add", change.index, peer);
        break;
    case Kind::removed:
        emitChildrenChanged(peerOf(change.parent), "children-changed::remove", change.index, peer);
        break;
    case Kind::label:
        if (element.announcesNameChanges()) {
            g_object_notify(G_OBJECT(peer), "accessible-name");
        }
        break;
    case Kind::hint:
        g_object_notify(G_OBJECT(peer), "accessible-description");
        break;
    case Kind::value:
        publishValue(peer, element, change.previousValue);
        break;
    case Kind::enabled:
        atk_object_notify_state_change(peer, ATK_STATE_ENABLED, element.isEnabled());
        atk_object_notify_state_change(peer, ATK_STATE_SENSITIVE, element.isEnabled());
        break;
    case Kind::selected:
        publishSelection(peer, element);
        break;
    case Kind::focused:
        publishFocus(peer, element.focused);
        break;
    case Kind::frame: {
        AtkRectangle bounds{};
        atk_component_get_extents(ATK_COMPONENT(peer), &bounds.x, &bounds.y, &bounds.width,
                                  &bounds.height, ATK_XY_SCREEN);
        g_signal_emit_by_name(peer, "bounds-changed", &bounds);
        break;
    }
    }
}

} // namespace

extern "C" {

typedef AtkUtil PrismkeyUtil;
typedef AtkUtilClass PrismkeyUtilClass;
G_DEFINE_TYPE(PrismkeyUtil, prismkey_util, ATK_TYPE_UTIL)
static void prismkey_util_init(PrismkeyUtil*) {}
// ATK asks the base class: our answers go there.
static void prismkey_util_class_init(PrismkeyUtilClass*) {
    auto* base = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
    base->add_global_event_listener = addGlobalEventListener;
    base->remove_global_event_listener = removeGlobalEventListener;
    base->add_key_event_listener = addKeyEventListener;
    base->remove_key_event_listener = removeKeyEventListener;
    base->get_root = root;
    base->get_toolkit_name = toolkitName;
    base->get_toolkit_version = toolkitVersion;
}

typedef AtkObject PrismkeyApplication;
typedef AtkObjectClass PrismkeyApplicationClass;
G_DEFINE_TYPE(PrismkeyApplication, prismkey_application, ATK_TYPE_OBJECT)
static void prismkey_application_init(PrismkeyApplication*) {}
static void prismkey_application_class_init(PrismkeyApplicationClass* klass) {
    klass->get_n_children = applicationChildren;
    klass->ref_child = applicationChild;
}

} // extern "C"

const HostAtkCallbacks& HostAtkCurrentCallbacks() {
    return state().callbacks;
}

void HostAtkStart(const std::string& applicationName, HostAccessibilityModel& model,
                  HostAtkCallbacks callbacks) {
    BridgeState& bridge = state();
    bridge.model = &model;
    bridge.callbacks = std::move(callbacks);
    g_type_class_unref(g_type_class_ref(prismkey_util_get_type()));
    // The bridge hears window events through AtkWindow's signals: the type must exist
    // before it asks for them.
    g_type_default_interface_unref(g_type_default_interface_ref(ATK_TYPE_WINDOW));
    bridge.application = ATK_OBJECT(g_object_new(prismkey_application_get_type(), nullptr));
    atk_object_set_role(bridge.application, ATK_ROLE_APPLICATION);
    atk_object_set_name(bridge.application, applicationName.c_str());
    if (!g_get_prgname()) {
        g_set_prgname(applicationName.c_str());
    }
}

bool HostAtkJoinBus() {
    return atk_bridge_adaptor_init(nullptr, nullptr) == 0;
}

void HostAtkStop() {
    atk_bridge_adaptor_cleanup();
    state().listening = false;
    state().model = nullptr; // the application object has no children from now on
}

void HostAtkPublish(const std::vector<HostAccessibilityChange>& changes,
                    const HostAccessibilityModel& model) {
    for (const HostAccessibilityChange& change : changes) {
        publish(change);
    }
    // Removed elements die with the next sync: their objects forget them now.
    for (const auto& element : model.removed()) {
        if (element->peer) {
            HostAtkForgetElement(element->peer);
            g_object_unref(element->peer);
            element->peer = nullptr;
        }
    }
}

bool HostAtkListening() {
    return state().listening;
}

bool HostAtkKeyEvent(const HostAccessibleKeyEvent& key) {
    AtkKeyEventStruct event{};
    event.type = key.pressed ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
    event.state = key.modifiers;
    event.keyval = key.keysym;
    event.keycode = static_cast<guint16>(key.keycode);
    event.length = static_cast<gint>(key.text.size());
    std::string text = key.text; // listeners take a mutable string
    event.string = text.data();
    event.timestamp = key.time;
    bool consumed = false;
    // A copy: a listener may add or remove listeners.
    auto listeners = state().keyListeners;
    for (const auto& [id, listener] : listeners) {
        consumed = listener.first(&event, listener.second) != 0 || consumed;
    }
    return consumed;
}

void HostAtkPublishWindowActive(bool active, const HostAccessibilityModel& model) {
    HostAccessibleElement* frame = model.root();
    if (!frame || !frame->peer) {
        return;
    }
    auto* peer = static_cast<AtkObject*>(frame->peer);
    atk_object_notify_state_change(peer, ATK_STATE_ACTIVE, active);
    g_signal_emit_by_name(peer, active ? "activate" : "deactivate");
    if (HostAccessibleElement* focused = active ? model.focused() : nullptr;
        focused && focused->peer) {
        publishFocus(static_cast<AtkObject*>(focused->peer), true);
    }
}

bool HostAtkIterate() {
    return g_main_context_iteration(nullptr, FALSE) != FALSE;
}

void HostAtkWait(int timeoutMs, int alsoFd) {
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) {
        return;
    }
    gint priority = 0;
    g_main_context_prepare(context, &priority);
    std::vector<GPollFD> fds(8);
    gint timeout = -1;
    gint count = 0;
    while ((count = g_main_context_query(context, priority, &timeout, fds.data(),
                                         static_cast<gint>(fds.size()))) >
           static_cast<gint>(fds.size())) {
        fds.resize(static_cast<std::size_t>(count));
    }
    fds.resize(static_cast<std::size_t>(count));
    if (alsoFd >= 0) {
        fds.push_back({alsoFd, G_IO_IN, 0});
    }
    g_poll(fds.data(), static_cast<guint>(fds.size()),
           timeout < 0 ? timeoutMs : std::min(timeout, timeoutMs));
    if (g_main_context_check(context, priority, fds.data(), count)) {
        g_main_context_dispatch(context);
    }
    g_main_context_release(context);
}
