// The platform's accessibility defaults, the element tree, keyboard focus and the
// pasteboard, on a window of the test's own.
#include "UIKitTestSupport.h"

#include <UIKit/UIAccessibilityElement.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIKit.h>
#include <UIKit/UIPasteboard.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using uikittest::WindowTest;

namespace {

// One element as a test compares it: label, value, trait names.
struct Seen {
    std::string label;
    std::string value;
    std::vector<std::string> traits;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
    out << '{' << seen.label << '|' << seen.value << '|';
    for (const std::string& trait : seen.traits) {
        out << trait << ' ';
    }
    return out << '}';
}

void collect(const std::vector<UIAccessibilityNode>& nodes, std::vector<Seen>& into) {
    for (const UIAccessibilityNode& node : nodes) {
        into.push_back({node.label, node.value, UIAccessibilityTraitNames(node.traits)});
        collect(node.children, into);
    }
}

// The application's elements, depth first, without the status bar's clock.
std::vector<Seen> elements() {
    std::vector<Seen> seen;
    collect(UIAccessibilityElementTree("test").children, seen);
    std::erase_if(seen, [](const Seen& s) { return s.label == "9:41"; });
    return seen;
}

std::string focusLabel() {
    UIView* view = UIFocusEngine::shared().focusedView();
    return view ? view->accessibilityLabel() : "(none)";
}

class Accessibility : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        UIFocusEngine::shared().reset();
    }
    void TearDown() override {
        // First: a test's observer writes to what the test body held.
        UIAccessibilitySetObserver({});
        WindowTest::TearDown();
        UIFocusEngine::shared().reset();
    }
    template <class T> std::shared_ptr<T> add(std::shared_ptr<T> view) {
        root->addSubview(view);
        return view;
    }
    std::shared_ptr<UIButton> button(const std::string& title, CGRect frame) {
        auto made = std::make_shared<UIButton>(frame);
        made->setTitle(title, UIControlStateNormal);
        return add(made);
    }
};

TEST_F(Accessibility, ControlsAndLabelsAnswerThePlatformDefaults) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 20, 100, 20));
    label->setText("Heading");
    add(label);
    add(std::make_shared<UILabel>(CGRectMake(0, 40, 100, 20))); // no text: no element
    button("Plain", CGRectMake(0, 60, 100, 40));
    button("Off", CGRectMake(0, 100, 100, 40))->setEnabled(false);
    button("Picked", CGRectMake(0, 140, 100, 40))->setSelected(true);
    auto link = button("Site", CGRectMake(0, 180, 100, 40));
    link->setAccessibilityTraits(UIAccessibilityTraitLink);
    link->setAccessibilityLabel("Our site");
    link->setEnabled(false);
    add(std::make_shared<UIControl>(CGRectMake(0, 220, 100, 40))); // a bare control says nothing
    auto hidden = button("Hidden", CGRectMake(0, 260, 100, 40));
    hidden->setHidden(true);

    EXPECT_EQ(elements(), (std::vector<Seen>{
                              {"Heading", "", {"staticText"}},
                              {"Plain", "", {"button"}},
                              {"Off", "", {"button", "notEnabled"}},
                              {"Picked", "", {"button", "selected"}},
                              {"Our site", "", {"link", "notEnabled"}},
                          }));
    UIAccessibilityNode tree = UIAccessibilityElementTree("test");
    EXPECT_EQ(tree.children[1].frame, CGRectMake(0, 60, 100, 40));
    EXPECT_EQ(tree.children[4].role, UIAccessibilityRole::link);
}

TEST_F(Accessibility, AnAlertIsADialogOfItsMessageThenItsButtonsAsDrawn) {
    for (const auto& [others, drawn] :
         std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
             {{"OK"}, {"Cancel", "OK"}},
             {{"One", "Two"}, {"One", "Two", "Cancel"}},
         }) {
        UIAlertView::initWithTitle("Title", "Message", nullptr, "Cancel", others)->show();
        UIAccessibilityNode tree = UIAccessibilityElementTree("test");
        const UIAccessibilityNode& dialog = tree.children.back();
        EXPECT_EQ(dialog.role, UIAccessibilityRole::dialog);
        EXPECT_EQ(dialog.label, "Title");
        std::vector<std::string> inside;
        for (const UIAccessibilityNode& node : dialog.children) {
            inside.push_back(node.label);
        }
        std::vector<std::string> expected{"Message"};
        expected.insert(expected.end(), drawn.begin(), drawn.end());
        EXPECT_EQ(inside, expected);
        EXPECT_EQ(focusLabel(), "Cancel") << "focus starts on the bold button";
        UIAlertView::visibleAlert()->dismissWithClickedButtonIndex(0, false);
    }
}

TEST_F(Accessibility, NavigationBarReadsLeftButtonTitleRightButton) {
    auto controller = std::make_shared<UIViewController>();
    controller->setTitle("Screen");
    controller->navigationItem()->setRightBarButtonItem(std::make_shared<UIBarButtonItem>(
        "Save", UIBarButtonItemStyleDone, nullptr, "save", nullptr));
    controller->navigationItem()->setLeftBarButtonItem(std::make_shared<UIBarButtonItem>(
        "Edit", UIBarButtonItemStylePlain, nullptr, "edit", nullptr));
    controller->navigationItem()->rightBarButtonItem()->setEnabled(false);
    auto navigation = UINavigationController::initWithRootViewController(controller);
    window->setRootViewController(navigation);
    root->removeFromSuperview();
    window->layoutIfNeeded();
    EXPECT_EQ(elements(), (std::vector<Seen>{
                              {"Edit", "", {"button"}},
                              {"Screen", "", {"staticText", "header"}},
                              {"Save", "", {"button", "notEnabled"}},
                          }));
    window->setRootViewController(nullptr);
}

TEST_F(Accessibility, ABarItemsLabelTraitsAndSelectionReachTheButtonThatShowsIt) {
    auto controller = std::make_shared<UIViewController>();
    auto item = std::make_shared<UIBarButtonItem>("TurnOn", UIBarButtonItemStyleDone, nullptr,
                                                  "switch", nullptr);
    controller->navigationItem()->setLeftBarButtonItem(item);
    auto navigation = UINavigationController::initWithRootViewController(controller);
    window->setRootViewController(navigation);
    root->removeFromSuperview();
    struct Row {
        const char* step;
        std::function<void()> change;
        Seen seen;
    };
    const Row rows[] = {
        {"the title, a button", [] {}, {"TurnOn", "", {"button"}}},
        {"selected", [&] { item->setSelected(true); }, {"TurnOn", "", {"button", "selected"}}},
        {"a label of its own",
         [&] { item->setAccessibilityLabel("Tint"); },
         {"Tint", "", {"button", "selected"}}},
        {"retitled: the label stays",
         [&] { item->setTitle("TurnOff"); },
         {"Tint", "", {"button", "selected"}}},
        {"toggle traits",
         [&] {
             item->setAccessibilityTraits(UIAccessibilityTraitButton |
                                          UIAccessibilityTraitToggleButton);
         },
         {"Tint", "", {"button", "selected", "toggleButton"}}},
        {"not selected",
         [&] { item->setSelected(false); },
         {"Tint", "", {"button", "toggleButton"}}},
        {"disabled",
         [&] { item->setEnabled(false); },
         {"Tint", "", {"button", "notEnabled", "toggleButton"}}},
    };
    for (const Row& row : rows) {
        row.change();
        window->layoutIfNeeded();
        std::vector<Seen> seen = elements();
        ASSERT_FALSE(seen.empty()) << row.step;
        EXPECT_EQ(seen.front(), row.seen) << row.step;
    }
    EXPECT_EQ(navigation->navigationBar()->leftButton()->titleLabel()->text(), "TurnOff")
        << "the bar still shows the title";
    window->setRootViewController(nullptr);
}

TEST_F(Accessibility, TheFirstResponderHoldsTheFocusUntilTheKeyboardMovesIt) {
    struct Field : UIView {
        using UIView::UIView;
        bool canBecomeFirstResponder() const override { return true; }
        bool isAccessibilityElement() const override { return true; }
        std::string accessibilityLabel() const override { return "Field"; }
    };
    auto field = add(std::make_shared<Field>(CGRectMake(0, 20, 200, 40)));
    auto plain = add(std::make_shared<UIView>(CGRectMake(0, 60, 200, 40)));
    button("Key", CGRectMake(0, 100, 100, 40));
    auto label = [] {
        UIView* view = UIAccessibilityFocusedElement();
        return view ? view->accessibilityLabel() : std::string("(none)");
    };
    EXPECT_EQ(label(), "(none)");
    EXPECT_FALSE(plain->becomeFirstResponder()) << "a plain view takes no typed text";
    EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(label(), "Field");
    field->setHidden(true);
    EXPECT_EQ(label(), "(none)") << "hidden: no focus, though still the first responder";
    field->setHidden(false);
    UIFocusEngine::shared().moveFocus(UIFocusHeading::next);
    EXPECT_EQ(label(), "Key") << "the keyboard's focus comes first";
    UIFocusEngine::shared().reset();
    EXPECT_EQ(label(), "Field");
    field->removeFromSuperview();
    EXPECT_EQ(label(), "(none)") << "out of the window";
    EXPECT_TRUE(field->isFirstResponder());
    field.reset();
    EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr) << "gone with the view";
    auto again = add(std::make_shared<Field>(CGRectMake(0, 20, 200, 40)));
    again->becomeFirstResponder();
    EXPECT_TRUE(again->resignFirstResponder());
    EXPECT_EQ(label(), "(none)");
}

TEST_F(Accessibility, TabWalksTheEnabledControlsInReadingOrderAndWraps) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 20, 100, 20));
    label->setText("Text");
    add(label);
    button("A", CGRectMake(0, 60, 100, 40));
    button("Off", CGRectMake(0, 100, 100, 40))->setEnabled(false);
    button("B", CGRectMake(0, 140, 100, 40));
    auto container = add(std::make_shared<UIControl>(CGRectMake(0, 200, 100, 40)));
    auto half = UIAccessibilityElement::initWithAccessibilityContainer(container.get());
    auto otherHalf = UIAccessibilityElement::initWithAccessibilityContainer(container.get());
    struct Halves : UIView {
        std::vector<UIView*> inside;
        std::vector<UIView*> accessibilityElements() const override { return inside; }
    };
    auto halves = std::make_shared<Halves>();
    halves->inside = {otherHalf.get(), half.get()}; // the container's order, not creation's
    container->addSubview(halves);
    for (const auto& [element, name, x] :
         {std::tuple{half, "Left", 0}, std::tuple{otherHalf, "Right", 50}}) {
        element->setAccessibilityLabel(name);
        element->setAccessibilityTraits(UIAccessibilityTraitButton);
        element->setAccessibilityFrameInContainerSpace(CGRectMake(x, 0, 50, 40));
    }
    EXPECT_EQ(otherHalf->accessibilityFrame(), CGRectMake(50, 200, 50, 40));

    UIFocusEngine& focus = UIFocusEngine::shared();
    EXPECT_EQ(focusLabel(), "(none)") << "nothing holds focus before the first Tab";
    EXPECT_FALSE(focus.activationPoint());
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(focus.moveFocus(UIFocusHeading::next));
        order.push_back(focusLabel());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "Right", "Left", "A"}));
    ASSERT_TRUE(focus.moveFocus(UIFocusHeading::previous));
    EXPECT_EQ(focusLabel(), "Left");
    EXPECT_EQ(*focus.activationPoint(), (CGPoint{25, 220}));
    EXPECT_FALSE(focus.moveFocus(UIFocusHeading::right)) << "no focus group, no arrow moves";

    container->setHidden(true);
    EXPECT_EQ(focusLabel(), "(none)") << "a hidden element loses focus";
    ASSERT_TRUE(focus.moveFocus(UIFocusHeading::previous));
    EXPECT_EQ(focusLabel(), "B");
}

TEST_F(Accessibility, ArrowsMoveToTheNearestOfTheGroupThatWay) {
    // A 3 x 2 grid of "g" buttons, and "x" of another group right of the first row.
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto made = button("g" + std::to_string(row) + std::to_string(column),
                               CGRectMake(10 + 50 * column, 100 + 50 * row, 40, 40));
            made->setFocusGroupIdentifier("grid");
        }
    }
    button("x", CGRectMake(160, 100, 40, 40))->setFocusGroupIdentifier("other");
    UIFocusEngine& focus = UIFocusEngine::shared();
    ASSERT_TRUE(focus.moveFocus(UIFocusHeading::next));
    struct Row {
        UIFocusHeading heading;
        bool moves;
        const char* then;
    };
    using H = UIFocusHeading;
    const Row rows[] = {
        {H::left, false, "g00"}, {H::up, false, "g00"},    {H::right, true, "g01"},
        {H::right, true, "g02"}, {H::right, false, "g02"}, {H::down, true, "g12"},
        {H::left, true, "g11"},  {H::up, true, "g01"},     {H::down, true, "g11"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(focus.moveFocus(row.heading), row.moves) << row.then;
        EXPECT_EQ(focusLabel(), row.then);
    }
}

TEST_F(Accessibility, FocusGoesIntoAnAlertAndComesBackTellingTools) {
    std::vector<std::string> heard;
    UIAccessibilitySetObserver([&](UIAccessibilityNotification what, UIView* element) {
        const char* names[] = {"screen", "layout", "focus", "value", "announcement"};
        heard.push_back(std::string(names[static_cast<int>(what)]) + " " +
                        (element ? element->accessibilityLabel() : "-"));
    });
    button("A", CGRectMake(0, 60, 100, 40));
    UIFocusEngine& focus = UIFocusEngine::shared();
    focus.moveFocus(UIFocusHeading::next);
    UIAlertView::initWithTitle("First", "", nullptr, "", {"One", "Two"})->show();
    EXPECT_EQ(focusLabel(), "One") << "no bold button: the first as drawn";
    focus.moveFocus(UIFocusHeading::next);
    focus.moveFocus(UIFocusHeading::next);
    EXPECT_EQ(focusLabel(), "One") << "Tab stays inside the alert";
    UIAlertView::visibleAlert()->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(focusLabel(), "A");
    EXPECT_EQ(heard, (std::vector<std::string>{"focus A", "screen First", "focus One", "focus Two",
                                               "focus One", "screen -", "focus A"}));
}

TEST_F(Accessibility, TheRingIsOnTopAroundTheFocusOnlyOnceTheKeyboardMovedIt) {
    button("A", CGRectMake(40, 60, 100, 40));
    UIFocusEngine& focus = UIFocusEngine::shared();
    focus.updateFocusRing();
    EXPECT_TRUE(!focus.focusRingLayer() || focus.focusRingLayer()->isHidden());
    UIAlertView::initWithTitle("T", "", nullptr, "Close", {})->show();
    focus.updateFocusRing();
    EXPECT_TRUE(!focus.focusRingLayer() || focus.focusRingLayer()->isHidden())
        << "an alert's focus shows no ring before a key moved focus";
    UIAlertView::visibleAlert()->dismissWithClickedButtonIndex(0, false);

    focus.moveFocus(UIFocusHeading::next);
    focus.updateFocusRing();
    // The white core of the ring runs 4 points outside the button; it is drawn at
    // every scale, above the window.
    for (CGFloat scale : {1.0f, 2.0f}) {
        CGImageRef image = frame(scale);
        ASSERT_TRUE(image);
        CALayer* screen = UIScreen::mainScreen()->layer();
        EXPECT_EQ(screen->sublayers().back().get(), focus.focusRingLayer());
        auto at = [&](CGFloat x, CGFloat y) {
            return CGImageGetPixel(image, static_cast<std::size_t>(x * scale),
                                   static_cast<std::size_t>(y * scale));
        };
        EXPECT_EQ(at(90, 56.5f), (CGPixel{255, 255, 255, 255})) << scale;
        CGPixel edge = at(90, 54);
        EXPECT_LT(edge.r + edge.g + edge.b, 200) << "dark outside the core, scale " << scale;
        EXPECT_EQ(at(45, 65), (CGPixel{255, 255, 255, 255})) << "the button itself is untouched";
    }
}

TEST_F(Accessibility, TheRingOfAnElementPastTheScreensEdgeStaysOnTheScreen) {
    button("Wide", CGRectMake(250, 300, 100, 40)); // 30 points past the right edge
    UIFocusEngine& focus = UIFocusEngine::shared();
    focus.moveFocus(UIFocusHeading::next);
    focus.updateFocusRing();
    CGImageRef image = frame(1);
    ASSERT_TRUE(image);
    // The ring's right side runs 3 points inside the edge: core 316..318, edge to 319.5.
    EXPECT_EQ(CGImageGetPixel(image, 316, 320), (CGPixel{255, 255, 255, 255}));
    CGPixel edge = CGImageGetPixel(image, 318, 320);
    EXPECT_LT(edge.r + edge.g + edge.b, 200);
}

TEST_F(Accessibility, PasteboardKeepsTheTextOrHandsItToTheDesktop) {
    const UIPasteboardRef& board = UIPasteboard::generalPasteboard();
    board->setString("#0000FF");
    EXPECT_EQ(board->string(), "#0000FF");
    std::string desktop = "from elsewhere";
    board->setBackend({[&](const std::string& text) { desktop = text; },
                       [&]() -> std::optional<std::string> { return desktop; }});
    EXPECT_EQ(board->string(), "from elsewhere") << "the desktop's clipboard is read";
    board->setString("#FF0000");
    EXPECT_EQ(desktop, "#FF0000");
    board->setBackend({});
    EXPECT_EQ(board->string(), "#FF0000");
}

TEST_F(Accessibility, CopyGoesToTheFirstResponderThatCanPerformIt) {
    struct Copier : UIView {
        bool canPerformAction(const std::string& action, id) const override {
            return action == "copy:";
        }
        void copy(id) override { UIPasteboard::generalPasteboard()->setString("copied"); }
    };
    UIPasteboard::generalPasteboard()->setString("");
    EXPECT_FALSE(
        UIApplication::sharedApplication()->sendAction("copy:", nullptr, nullptr, nullptr));
    auto copier = add(std::make_shared<Copier>());
    copier->setFrame(CGRectMake(0, 100, 320, 100));
    auto inside = std::make_shared<UIButton>(CGRectMake(10, 10, 100, 40));
    inside->setTitle("Inside", UIControlStateNormal);
    copier->addSubview(inside);
    UIFocusEngine::shared().moveFocus(UIFocusHeading::next);
    ASSERT_EQ(focusLabel(), "Inside");
    EXPECT_TRUE(UIApplication::sharedApplication()->sendAction("copy:", nullptr, nullptr, nullptr));
    EXPECT_EQ(UIPasteboard::generalPasteboard()->string(), "copied");
    EXPECT_FALSE(
        UIApplication::sharedApplication()->sendAction("paste:", nullptr, nullptr, nullptr));
}

} // namespace
