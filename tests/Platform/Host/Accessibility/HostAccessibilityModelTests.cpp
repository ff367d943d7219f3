// What the desktop bridge tells assistive tools between two element trees: each row
// syncs a first tree, then a second, and lists the changes of the second sync.
#include <Host/Accessibility/HostAccessibilityModel.h>
#include <UIKit/UIView.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using Role = UIAccessibilityRole;

// Four views that the rows name by index; the model only compares them.
std::array<std::shared_ptr<UIView>, 4>& views() {
    static std::array<std::shared_ptr<UIView>, 4> shared = {
        std::make_shared<UIView>(CGRectZero), std::make_shared<UIView>(CGRectZero),
        std::make_shared<UIView>(CGRectZero), std::make_shared<UIView>(CGRectZero)};
    return shared;
}

UIAccessibilityNode node(int view, Role role, std::string label,
                         std::vector<UIAccessibilityNode> children = {}) {
    UIAccessibilityNode made;
    made.view = views()[static_cast<std::size_t>(view)].get();
    made.role = role;
    made.label = std::move(label);
    made.children = std::move(children);
    return made;
}

UIAccessibilityNode frame(std::vector<UIAccessibilityNode> children) {
    UIAccessibilityNode root;
    root.label = "App";
    root.children = std::move(children);
    return root;
}

UIAccessibilityNode with(UIAccessibilityNode n, std::string value, UIAccessibilityTraits traits) {
    n.value = std::move(value);
    n.traits = traits;
    return n;
}

std::string describe(const HostAccessibilityChange& change) {
    static const char* const kinds[] = {"added",   "removed",  "label",   "hint", "value",
                                        "enabled", "selected", "focused", "frame"};
    std::string text =
        std::string(kinds[static_cast<int>(change.kind)]) + " " + change.element->node.label;
    if (change.kind == HostAccessibilityChange::Kind::added ||
        change.kind == HostAccessibilityChange::Kind::removed) {
        text += " " + (change.parent ? change.parent->node.label : std::string("-")) + "@" +
                std::to_string(change.index);
    }
    if (change.kind == HostAccessibilityChange::Kind::value) {
        text += " was '" + change.previousValue + "'";
    }
    if (change.kind == HostAccessibilityChange::Kind::focused) {
        text += change.element->focused ? " in" : " out";
    }
    return text;
}

struct Row {
    const char* name;
    UIAccessibilityNode before;
    int focusBefore; // a view index, or -1
    UIAccessibilityNode after;
    int focusAfter;
    std::vector<std::string> changes;
};

UIView* focusOf(int index) {
    return index < 0 ? nullptr : views()[static_cast<std::size_t>(index)].get();
}

TEST(HostAccessibilityModel, TellsOnlyWhatChanged) {
    const UIAccessibilityNode ok = node(0, Role::pushButton, "OK");
    const UIAccessibilityNode level = node(1, Role::slider, "Level");
    const std::vector<Row> rows = {
        {"nothing changed", frame({ok, level}), 0, frame({ok, level}), 0, {}},
        {"an element came after the others",
         frame({ok}),
         -1,
         frame({ok, level}),
         -1,
         {"added Level App@1"}},
        {"an element went", frame({ok, level}), -1, frame({level}), -1, {"removed OK App@0"}},
        {"a dialog came with its button",
         frame({level}),
         -1,
         frame({level, node(2, Role::dialog, "Hello", {ok})}),
         -1,
         {"added Hello App@1", "added OK Hello@0"}},
        {"an element moved into a dialog",
         frame({ok, level}),
         -1,
         frame({node(2, Role::dialog, "Hello", {ok}), level}),
         -1,
         {"added Hello App@0", "removed OK App@0", "added OK Hello@0"}},
        {"a title changed",
         frame({ok}),
         -1,
         frame({node(0, Role::pushButton, "Cancel")}),
         -1,
         {"label Cancel"}},
        {"a value changed",
         frame({with(level, "0.2", 0)}),
         -1,
         frame({with(level, "0.5", 0)}),
         -1,
         {"value Level was '0.2'"}},
        {"disabled, then selected",
         frame({ok}),
         -1,
         frame({with(ok, "", UIAccessibilityTraitNotEnabled | UIAccessibilityTraitSelected)}),
         -1,
         {"enabled OK", "selected OK"}},
        {"other traits are no state",
         frame({ok}),
         -1,
         frame({with(ok, "", UIAccessibilityTraitButton | UIAccessibilityTraitHeader)}),
         -1,
         {}},
        {"focus moved",
         frame({ok, level}),
         0,
         frame({ok, level}),
         1,
         {"focused OK out", "focused Level in"}},
        {"a focused element came",
         frame({}),
         1,
         frame({level}),
         1,
         {"added Level App@0", "focused Level in"}},
        {"a text that is not UTF-8 reaches the bus repaired, once",
         frame({node(0, Role::pushButton, "OK")}),
         -1,
         frame({node(0, Role::pushButton, "\xff root")}),
         -1,
         {"label \xEF\xBF\xBD root"}},
        {"the same repaired text is no change",
         frame({node(0, Role::pushButton, "\xff root")}),
         -1,
         frame({node(0, Role::pushButton, "\xff root")}),
         -1,
         {}},
        {"the same view in another role is another element",
         frame({ok}),
         -1,
         frame({node(0, Role::link, "OK")}),
         -1,
         {"added OK App@0", "removed OK App@0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HostAccessibilityModel model;
        model.sync(row.before, focusOf(row.focusBefore));
        std::vector<std::string> seen;
        for (const HostAccessibilityChange& change :
             model.sync(row.after, focusOf(row.focusAfter))) {
            seen.push_back(describe(change));
        }
        EXPECT_EQ(seen, row.changes);
    }
}

TEST(HostAccessibilityModel, KeepsAnElementForAsLongAsItsViewShowsInTheSameRole) {
    HostAccessibilityModel model;
    model.sync(frame({node(0, Role::pushButton, "OK"), node(1, Role::label, "Ready")}), nullptr);
    HostAccessibleElement* ok = model.find(views()[0].get());
    ASSERT_NE(ok, nullptr);
    model.sync(frame({node(1, Role::label, "Ready"), node(0, Role::pushButton, "Done")}), nullptr);
    EXPECT_EQ(model.find(views()[0].get()), ok);
    EXPECT_EQ(ok->indexInParent(), 1);
    model.sync(frame({node(1, Role::label, "Ready")}), nullptr);
    EXPECT_EQ(model.find(views()[0].get()), nullptr);
    ASSERT_EQ(model.removed().size(), 1U); // alive until the next sync
    EXPECT_EQ(model.removed()[0].get(), ok);
    EXPECT_EQ(model.root()->children.size(), 1U);
}

// D-Bus refuses text that is not UTF-8 (libdbus aborts the process on it): each byte
// that starts no character becomes one U+FFFD, in every text an element carries.
TEST(HostAccessibilityModel, ElementTextsReachTheBusRepaired) {
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        std::string text, repaired;
    } rows[] = {
        {"a\xff", "a" + replacement},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"\xE2\x82", replacement + replacement},                   // cut short
        {"\xC0\xAF", replacement + replacement},                   // overlong
        {"\xED\xA0\x80", replacement + replacement + replacement}, // a surrogate
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HostRepairedUTF8(row.text), row.repaired) << row.text;
    }
    UIAccessibilityNode field = with(node(0, Role::entry, "a\xff"), "a\xff", 0);
    field.hint = "a\xff";
    HostAccessibilityModel model;
    model.sync(frame({field}), nullptr);
    const UIAccessibilityNode& published = model.root()->children.at(0)->node;
    EXPECT_EQ(published.label, "a" + replacement);
    EXPECT_EQ(published.value, "a" + replacement);
    EXPECT_EQ(published.hint, "a" + replacement);
}

// What a tool reads beside an element's name, whether it is on, and whether a change of
// its name is told.
TEST(HostAccessibleElement, DescriptionCheckedAndNameChangesFollowTheRoleAndTraits) {
    using T = UIAccessibilityTraits;
    struct Row {
        const char* name;
        Role role;
        const char* value;
        T traits;
        bool focused;
        const char* description;
        bool checked;
        bool announcesName;
    };
    const T key = UIAccessibilityTraitKeyboardKey, chosen = UIAccessibilityTraitSelected;
    const Row rows[] = {
        {"a swatch", Role::radioButton, "blue, #0000FF", 0, false, "blue, #0000FF", false, true},
        {"the chosen swatch", Role::radioButton, "blue, #0000FF", chosen, true,
         "blue, #0000FF, selected", true, true},
        {"the toggle on", Role::toggleButton, "", chosen, false, "the hint", true, true},
        {"a selected push button", Role::pushButton, "", chosen, false, "the hint", false, true},
        {"the wheel", Role::slider, "white, #FFFFFF", 0, false, "white, #FFFFFF", false, true},
        {"typed text", Role::entry, "Hi 4", 0, true, "the hint", false, true},
        {"a key", Role::pushButton, "", key, false, "the hint", false, false},
        {"the focused key", Role::pushButton, "", key, true, "the hint", false, true},
    };
    for (const Row& row : rows) {
        HostAccessibleElement element;
        element.node.role = row.role;
        element.node.value = row.value;
        element.node.hint = "the hint";
        element.node.traits = row.traits;
        element.focused = row.focused;
        EXPECT_EQ(element.description(), row.description) << row.name;
        EXPECT_EQ(element.isChecked(), row.checked) << row.name;
        EXPECT_EQ(element.announcesNameChanges(), row.announcesName) << row.name;
    }
}

} // namespace
