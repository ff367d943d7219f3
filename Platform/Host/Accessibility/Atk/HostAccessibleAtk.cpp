// One ATK object per element: a plain element (label, dialog, frame) answers as a
// component; a control also has the action that activates it; an entry also has
// its text.
#include <Host/Accessibility/Atk/HostAccessibilityAtk.h>
#include <Host/Accessibility/Atk/HostAccessibleTextAtk.h>

#include <atk/atk.h>

#include <cstddef>

namespace {

struct PrismkeyAccessible {
    AtkObject parent;
    HostAccessibleElement* element;
};
struct PrismkeyAccessibleClass {
    AtkObjectClass parent;
};

AtkRole atkRoleOf(UIAccessibilityRole role) {
    switch (role) {
    case UIAccessibilityRole::frame:
        return ATK_ROLE_FRAME;
    case UIAccessibilityRole::dialog:
        return ATK_ROLE_DIALOG;
    case UIAccessibilityRole::pushButton:
        return ATK_ROLE_PUSH_BUTTON;
    case UIAccessibilityRole::toggleButton:
        return ATK_ROLE_TOGGLE_BUTTON;
    case UIAccessibilityRole::radioButton:
        return ATK_ROLE_RADIO_BUTTON;
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
    HostAccessibleElement* element = HostAtkElementOf(object);
    return element ? static_cast<gint>(element->children.size()) : 0;
}

AtkObject* refChild(AtkObject* object, gint index) {
    HostAccessibleElement* element = HostAtkElementOf(object);
    if (!element || index < 0 || static_cast<std::size_t>(index) >= element->children.size()) {
        return nullptr;
    }
    auto* child = static_cast<AtkObject*>(element->children[static_cast<std::size_t>(index)]->peer);
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

gint indexInParent(AtkObject* object) {
    HostAccessibleElement* element = HostAtkElementOf(object);
    return element ? element->indexInParent() : -1;
}

// A toggle is pressed and checked while on, a radio button checked when chosen, as the
// desktop's own toolkits say it; anything else chosen is selected.
void addSelectionStates(const HostAccessibleElement& element, AtkStateSet* states) {
    UIAccessibilityRole role = element.node.role;
    bool checkable =
        role == UIAccessibilityRole::toggleButton || role == UIAccessibilityRole::radioButton;
    if (checkable) {
        atk_state_set_add_state(states, ATK_STATE_CHECKABLE);
    }
    if (element.isChecked()) {
        atk_state_set_add_state(states, ATK_STATE_CHECKED);
    }
    if (element.isChecked() && role == UIAccessibilityRole::toggleButton) {
        atk_state_set_add_state(states, ATK_STATE_PRESSED);
    }
    if (element.isSelected() && !checkable) {
        atk_state_set_add_state(states, ATK_STATE_SELECTED);
    }
}

// Names and descriptions are read from the element as it is now, so that a change told
// to nobody (a keyboard key's) is still right when a tool asks.
const gchar* liveName(AtkObject* object) {
    HostAccessibleElement* element = HostAtkElementOf(object);
    return element ? element->node.label.c_str() : "";
}

const gchar* liveDescription(AtkObject* object) {
    HostAccessibleElement* element = HostAtkElementOf(object);
    // Kept in the object's own field, which lives as long as the text is read.
    g_free(object->description);
    object->description = g_strdup(element ? element->description().c_str() : "");
    return object->description;
}

AtkStateSet* refStateSet(AtkObject* object) {
    AtkStateSet* states = atk_state_set_new();
    HostAccessibleElement* element = HostAtkElementOf(object);
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
    addSelectionStates(*element, states);
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
    HostAccessibleElement* element = HostAtkElementOf(object);
    if (!element || element->node.value.empty()) {
        return nullptr;
    }
    // "valuetext" is where a screen reader looks first for a value said in words.
    AtkAttributeSet* set = nullptr;
    for (const char* name : {"value", "valuetext"}) {
        auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
        attribute->name = g_strdup(name);
        attribute->value = g_strdup(element->node.value.c_str());
        set = g_slist_append(set, attribute);
    }
    return set;
}

// --- AtkComponent

void extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
             AtkCoordType coordinates) {
    *x = *y = *width = *height = 0;
    HostAccessibleElement* element = HostAtkElementOf(component);
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
    HostAccessibleElement* element = HostAtkElementOf(action);
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

// --- AtkValue: a slider's number. Its value in words (the colour the wheel shows) is
// the "valuetext" attribute and the description, which is what screen readers say.

// No text: the text is the caller's to free, and the bridge (at-spi2-atk 2.46) drops
// it unfreed on every read of CurrentValue, which a screen reader makes at each value
// change and a tool at each walk. Its Value.Text then reads as empty.
void valueAndText(AtkValue*, gdouble* number, gchar** text) {
    if (number) {
        *number = 0;
    }
    if (text) {
        *text = nullptr;
    }
}

void initValue(AtkValueIface* iface) {
    iface->get_value_and_text = valueAndText;
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
    atk->get_name = liveName;
    atk->get_description = liveDescription;
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

typedef PrismkeyAccessible PrismkeySlider;
typedef PrismkeyAccessibleClass PrismkeySliderClass;
G_DEFINE_TYPE_WITH_CODE(PrismkeySlider, prismkey_slider, prismkey_control_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, initValue))
static void prismkey_slider_init(PrismkeySlider*) {}
static void prismkey_slider_class_init(PrismkeySliderClass*) {}

typedef PrismkeyAccessible PrismkeyEntry;
typedef PrismkeyAccessibleClass PrismkeyEntryClass;
G_DEFINE_TYPE_WITH_CODE(PrismkeyEntry, prismkey_entry, prismkey_control_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, HostAtkInitText))
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
    case UIAccessibilityRole::toggleButton:
    case UIAccessibilityRole::radioButton:
    case UIAccessibilityRole::link:
        type = prismkey_control_get_type();
        break;
    case UIAccessibilityRole::slider:
        type = prismkey_slider_get_type();
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
    atk_object_set_parent(object, static_cast<AtkObject*>(parent));
    return object;
}

HostAccessibleElement* HostAtkElementOf(gpointer accessible) {
    return static_cast<PrismkeyAccessible*>(accessible)->element;
}

void HostAtkForgetElement(void* accessible) {
    auto* object = static_cast<PrismkeyAccessible*>(accessible);
    object->element = nullptr;
    atk_object_notify_state_change(ATK_OBJECT(object), ATK_STATE_DEFUNCT, TRUE);
}
