// One ATK object per element: a plain element (label, dialog, frame) answers as a
// component; a control also has the action that activates it; an entry also has
// its text.
#include <Host/Accessibility/HostAccessibilityAtk.h>

#include <atk/atk.h>

namespace {

struct PrismkeyAccessible {
    AtkObject parent;
    HostAccessibleElement* element;
};
struct PrismkeyAccessibleClass {
    AtkObjectClass parent;
};

HostAccessibleElement* elementOf(gpointer object) {
    return reinterpret_cast<PrismkeyAccessible*>(object)->element;
}

AtkRole atkRoleOf(UIAccessibilityRole role) {
    switch (role) {
    case UIAccessibilityRole::frame:
        return ATK_ROLE_FRAME;
    case UIAccessibilityRole::dialog:
        return ATK_ROLE_DIALOG;
    case UIAccessibilityRole::pushButton:
        return ATK_ROLE_PUSH_BUTTON;
    case UIAccessibilityRole::link:
        return ATK_ROLE_LINK;
    case UIAccessibilityRole::label:
        return ATK_ROLE_LABEL;
    case UIAccessibilityRole::entry:
        return ATK_ROLE_ENTRY;
    case UIAccessibilityRole::slider:
        return ATK_ROLE_SLIDER;
    }
    return ATK_ROLE_UNKNOWN;
}

// --- AtkObject

gint nChildren(AtkObject* object) {
    HostAccessibleElement* element = elementOf(object);
    return element ? static_cast<gint>(element->children.size()) : 0;
}

AtkObject* refChild(AtkObject* object, gint index) {
    HostAccessibleElement* element = elementOf(object);
    if (!element || index < 0 || static_cast<std::size_t>(index) >= element->children.size()) {
        return nullptr;
    }
    auto* child = static_cast<AtkObject*>(element->children[static_cast<std::size_t>(index)]->peer);
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

gint indexInParent(AtkObject* object) {
    HostAccessibleElement* element = elementOf(object);
    return element ? element->indexInParent() : -1;
}

AtkStateSet* refStateSet(AtkObject* object) {
    AtkStateSet* states = atk_state_set_new();
    HostAccessibleElement* element = elementOf(object);
    if (!element) {
        atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
        return states;
    }
    atk_state_set_add_state(states, ATK_STATE_SHOWING);
    atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    if (element->isEnabled()) {
        atk_state_set_add_state(states, ATK_STATE_ENABLED);
        atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
    }
    if (element->isFocusable()) {
        atk_state_set_add_state(states, ATK_STATE_FOCUSABLE);
    }
    if (element->focused) {
        atk_state_set_add_state(states, ATK_STATE_FOCUSED);
    }
    if (element->isSelected()) {
        atk_state_set_add_state(states, ATK_STATE_SELECTED);
    }
    switch (element->node.role) {
    case UIAccessibilityRole::frame:
    case UIAccessibilityRole::dialog:
        if (HostAtkCurrentCallbacks().windowActive()) {
            atk_state_set_add_state(states, ATK_STATE_ACTIVE);
        }
        break;
    case UIAccessibilityRole::entry:
        atk_state_set_add_state(states, ATK_STATE_EDITABLE);
        atk_state_set_add_state(states, ATK_STATE_SINGLE_LINE);
        break;
    default:
        break;
    }
    return states;
}

// The element's value (a colour's spoken form, a slider's value), for tools that
// read attributes.
AtkAttributeSet* attributes(AtkObject* object) {
    HostAccessibleElement* element = elementOf(object);
    if (!element || element->node.value.empty()) {
        return nullptr;
    }
    auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
    attribute->name = g_strdup("value");
    attribute->value = g_strdup(element->node.value.c_str());
    return g_slist_append(nullptr, attribute);
}

// --- AtkComponent

void extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
             AtkCoordType coordinates) {
    *x = *y = *width = *height = 0;
    HostAccessibleElement* element = elementOf(component);
    if (!element) {
        return;
    }
    const HostAtkCallbacks& callbacks = HostAtkCurrentCallbacks();
    CGRect rect = coordinates == ATK_XY_SCREEN ? callbacks.desktopRect(element->node.frame)
                                               : callbacks.windowRect(element->node.frame);
    if (coordinates == ATK_XY_PARENT && element->parent) {
        CGRect parent = callbacks.windowRect(element->parent->node.frame);
        rect.origin.x -= parent.origin.x;
        rect.origin.y -= parent.origin.y;
    }
    *x = static_cast<gint>(rect.origin.x);
    *y = static_cast<gint>(rect.origin.y);
    *width = static_cast<gint>(rect.size.width);
    *height = static_cast<gint>(rect.size.height);
}

void initComponent(AtkComponentIface* iface) {
    iface->get_extents = extents;
}

// --- AtkAction: one action, "click", which activates the element.

gint nActions(AtkAction*) {
    return 1;
}

gboolean doAction(AtkAction* action, gint index) {
    HostAccessibleElement* element = elementOf(action);
    if (!element || index != 0 || !element->isEnabled()) {
        return FALSE;
    }
    HostAtkCurrentCallbacks().activate(*element);
    return TRUE;
}

const gchar* actionName(AtkAction*, gint index) {
    return index == 0 ? "click" : nullptr;
}

const gchar* actionDescription(AtkAction*, gint index) {
    return index == 0 ? "Activates the element" : nullptr;
}

void initAction(AtkActionIface* iface) {
    iface->get_n_actions = nActions;
    iface->do_action = doAction;
    iface->get_name = actionName;
    iface->get_description = actionDescription;
}

// --- AtkText: the entry's text, read only; offsets count characters.

const std::string& textOf(AtkText* text) {
    static const std::string none;
    HostAccessibleElement* element = elementOf(text);
    return element ? element->node.value : none;
}

gint characterCount(AtkText* text) {
    const std::string& value = textOf(text);
    return static_cast<gint>(g_utf8_strlen(value.c_str(), static_cast<gssize>(value.size())));
}

gchar* textBetween(AtkText* text, gint start, gint end) {
    const std::string& value = textOf(text);
    gint count = characterCount(text);
    if (end < 0 || end > count) {
        end = count;
    }
    start = CLAMP(start, 0, end);
    return g_utf8_substring(value.c_str(), start, end);
}

gunichar characterAt(AtkText* text, gint offset) {
    if (offset < 0 || offset >= characterCount(text)) {
        return 0;
    }
    const std::string& value = textOf(text);
    return g_utf8_get_char(g_utf8_offset_to_pointer(value.c_str(), offset));
}

void initText(AtkTextIface* iface) {
    iface->get_text = textBetween;
    iface->get_character_count = characterCount;
    iface->get_caret_offset = characterCount; // the caret follows what is typed
    iface->get_character_at_offset = characterAt;
}

} // namespace

extern "C" {

G_DEFINE_TYPE_WITH_CODE(PrismkeyAccessible, prismkey_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, initComponent))

static void prismkey_accessible_init(PrismkeyAccessible* self) {
    self->element = nullptr;
}

static void prismkey_accessible_class_init(PrismkeyAccessibleClass* klass) {
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_n_children = nChildren;
    atk->ref_child = refChild;
    atk->get_index_in_parent = indexInParent;
    atk->ref_state_set = refStateSet;
    atk->get_attributes = attributes;
}

// The frame is the program's window: AtkWindow's activate and deactivate come from it.
typedef PrismkeyAccessible PrismkeyWindow;
typedef PrismkeyAccessibleClass PrismkeyWindowClass;
G_DEFINE_TYPE_WITH_CODE(PrismkeyWindow, prismkey_window, prismkey_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_WINDOW, nullptr))
static void prismkey_window_init(PrismkeyWindow*) {}
static void prismkey_window_class_init(PrismkeyWindowClass*) {}

typedef PrismkeyAccessible PrismkeyControl;
typedef PrismkeyAccessibleClass PrismkeyControlClass;
G_DEFINE_TYPE_WITH_CODE(PrismkeyControl, prismkey_control, prismkey_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, initAction))
static void prismkey_control_init(PrismkeyControl*) {}
static void prismkey_control_class_init(PrismkeyControlClass*) {}

typedef PrismkeyAccessible PrismkeyEntry;
typedef PrismkeyAccessibleClass PrismkeyEntryClass;
G_DEFINE_TYPE_WITH_CODE(PrismkeyEntry, prismkey_entry, prismkey_control_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, initText))
static void prismkey_entry_init(PrismkeyEntry*) {}
static void prismkey_entry_class_init(PrismkeyEntryClass*) {}

} // extern "C"

void* HostAtkCreateAccessible(HostAccessibleElement& element, void* parent) {
    GType type = prismkey_accessible_get_type();
    switch (element.node.role) {
    case UIAccessibilityRole::frame:
        type = prismkey_window_get_type();
        break;
    case UIAccessibilityRole::pushButton:
    case UIAccessibilityRole::link:
    case UIAccessibilityRole::slider:
        type = prismkey_control_get_type();
        break;
    case UIAccessibilityRole::entry:
        type = prismkey_entry_get_type();
        break;
    default:
        break;
    }
    auto* accessible = static_cast<PrismkeyAccessible*>(g_object_new(type, nullptr));
    accessible->element = &element;
    AtkObject* object = ATK_OBJECT(accessible);
    atk_object_initialize(object, nullptr);
    atk_object_set_role(object, atkRoleOf(element.node.role));
    atk_object_set_name(object, element.node.label.c_str());
    atk_object_set_description(object, element.node.hint.c_str());
    atk_object_set_parent(object, static_cast<AtkObject*>(parent));
    return object;
}

void HostAtkForgetElement(void* accessible) {
    auto* object = static_cast<PrismkeyAccessible*>(accessible);
    object->element = nullptr;
    atk_object_notify_state_change(ATK_OBJECT(object), ATK_STATE_DEFUNCT, TRUE);
}
