// What the ATK objects answer when a tool asks afresh, with no change event before:
// the bridge reads them so for a tool that starts after the program, and at every
// walk of the tree.
#include <Host/Accessibility/Atk/HostAccessibilityAtk.h>
#include <UIKit/UIView.h>

#include <atk/atk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Role = UIAccessibilityRole;

// The model's elements as ATK objects, as the bridge makes them before it joins the
// bus; each node names a view of its own.
class Published {
  public:
    explicit Published(std::vector<UIAccessibilityNode> nodes) {
        UIAccessibilityNode tree;
        tree.label = "App";
        for (UIAccessibilityNode& node : nodes) {
            views_.push_back(std::make_shared<UIView>(CGRectZero));
            node.view = views_.back().get();
            tree.children.push_back(std::move(node));
        }
        HostAtkStart("App", model_, HostAtkCallbacks{{}, {}, {}, [] { return true; }});
        HostAtkPublish(model_.sync(tree, nullptr), model_);
    }
    ~Published() {
        for (HostAccessibleElement* element : model_.root()->children) {
            g_object_unref(element->peer);
        }
        g_object_unref(model_.root()->peer);
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    AtkObject* object(std::size_t index) const {
        return static_cast<AtkObject*>(model_.root()->children.at(index)->peer);
    }

  private:
    std::vector<std::shared_ptr<UIView>> views_;
    HostAccessibilityModel model_;
};

UIAccessibilityNode node(Role role, const char* label, const char* value,
                         UIAccessibilityTraits traits) {
    UIAccessibilityNode made;
    made.role = role;
    made.label = label;
    made.value = value;
    made.traits = traits;
    return made;
}

std::set<std::string> stateNames(AtkObject* object) {
    std::set<std::string> names;
    AtkStateSet* states = atk_object_ref_state_set(object);
    for (int state = ATK_STATE_INVALID; state < ATK_STATE_LAST_DEFINED; ++state) {
        if (atk_state_set_contains_state(states, static_cast<AtkStateType>(state))) {
            names.insert(atk_state_type_get_name(static_cast<AtkStateType>(state)));
        }
    }
    g_object_unref(states);
    return names;
}

std::set<std::string> words(const std::string& text) {
    std::set<std::string> found;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t space = std::min(text.find(' ', at), text.size());
        found.insert(text.substr(at, space - at));
        at = space + 1;
    }
    return found;
}

TEST(HostAccessibleAtk, ObjectsAnswerTheirElementsStateWhenAskedAfresh) {
    struct Row {
        UIAccessibilityNode node;
        const char* atkRole;
        const char* states;  // all of these
        const char* without; // none of these
    };
    const UIAccessibilityTraits chosen = UIAccessibilityTraitSelected;
    const std::vector<Row> rows = {
        {node(Role::toggleButton, "TurnOff", "", chosen), "toggle button",
         "pressed checked checkable enabled focusable", "selected"},
        {node(Role::toggleButton, "TurnOn", "", 0), "toggle button", "checkable enabled",
         "pressed checked selected"},
        {node(Role::radioButton, "blue", "blue, #0000FF", chosen), "radio button",
         "checked checkable", "pressed selected"},
        {node(Role::pushButton, "Save", "", UIAccessibilityTraitNotEnabled), "push button",
         "showing", "enabled sensitive focusable checkable"},
        {node(Role::slider, "Hue and saturation", "white, #FFFFFF", 0), "slider",
         "enabled focusable", "checkable"},
    };
    std::vector<UIAccessibilityNode> nodes;
    for (const Row& row : rows) {
        nodes.push_back(row.node);
    }
    Published published(nodes);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.node.label);
        AtkObject* object = published.object(i);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(atk_object_get_name(object), row.node.label);
        EXPECT_STREQ(atk_role_get_name(atk_object_get_role(object)), row.atkRole);
        std::set<std::string> states = stateNames(object);
        for (const std::string& state : words(row.states)) {
            EXPECT_EQ(states.count(state), 1U) << state;
        }
        for (const std::string& state : words(row.without)) {
            EXPECT_EQ(states.count(state), 0U) << state;
        }
        EXPECT_EQ(ATK_IS_VALUE(object), row.node.role == Role::slider);
    }
}

// The bridge drops the text of every read of CurrentValue unfreed: the wheel hands
// it none, and its colour is the "valuetext" attribute and the description instead.
TEST(HostAccessibleAtk, TheWheelsValueHoldsNoTextForTheBridgeToDrop) {
    Published published({node(Role::slider, "Hue and saturation", "near royalblue, #4365DD", 0)});
    AtkObject* object = published.object(0);
    ASSERT_TRUE(ATK_IS_VALUE(object));

    gdouble number = -1;
    gchar* text = g_strdup("untouched");
    gchar* given = text;
    atk_value_get_value_and_text(ATK_VALUE(object), &number, &text);
    EXPECT_EQ(text, nullptr);
    g_free(given);
    EXPECT_EQ(number, 0);

    EXPECT_STREQ(atk_object_get_description(object), "near royalblue, #4365DD");
    std::set<std::string> attributes;
    AtkAttributeSet* set = atk_object_get_attributes(object);
    for (GSList* at = set; at != nullptr; at = at->next) {
        auto* attribute = static_cast<AtkAttribute*>(at->data);
        attributes.insert(std::string(attribute->name) + ":" + attribute->value);
    }
    atk_attribute_set_free(set);
    EXPECT_EQ(attributes, (std::set<std::string>{"value:near royalblue, #4365DD",
                                                 "valuetext:near royalblue, #4365DD"}));
}

} // namespace
