#include "UIKitTestSupport.h"

#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using uikittest::WindowTest;

namespace {

// A control that maps touch points to values, as the picker's sliders do: begin,
// each continue and end map the point and send value-changed. It records the
// tracking calls and every event it sends, in order.
class MappingControl : public UIControl {
  public:
    explicit MappingControl(CGRect frame) : UIControl(frame) {}

    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override {
        calls.push_back("begin");
        UIControl::beginTrackingWithTouch(touch, event);
        map(touch);
        return keepTracking;
    }
    bool continueTrackingWithTouch(UITouch* touch, UIEvent*) override {
        calls.push_back("continue");
        map(touch);
        return true;
    }
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override {
        calls.push_back("end");
        map(touch);
        UIControl::endTrackingWithTouch(touch, event);
    }
    void cancelTrackingWithEvent(UIEvent* event) override {
        calls.push_back("cancel");
        UIControl::cancelTrackingWithEvent(event);
    }

    void map(UITouch* touch) {
        value = touch->locationInView(this).x / bounds().size.width;
        sendActionsForControlEvents(UIControlEventValueChanged);
    }

    bool keepTracking = true;
    float value = 0;
    std::vector<std::string> calls;
};

struct Recorder : public NSObject {
    void valueChanged(MappingControl* sender) {
        events.push_back("value " + std::to_string(sender->value).substr(0, 4));
    }
    void touchDown(id) { events.push_back("down"); }
    void touchUpInside(id) { events.push_back("up-inside"); }
    void touchUpOutside(id) { events.push_back("up-outside"); }
    void touchCancel(id) { events.push_back("cancel"); }
    std::vector<std::string> events;
};

class ControlTouchTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        // At (100, 100) on screen, 200 x 40: x 100 is value 0, x 300 is value 1.
        control = std::make_shared<MappingControl>(CGRectMake(100, 100, 200, 40));
        root->addSubview(control);
        control->addTarget(&recorder, "valueChanged:", &Recorder::valueChanged,
                           UIControlEventValueChanged);
        control->addTarget(&recorder, "touchDown:", &Recorder::touchDown, UIControlEventTouchDown);
        control->addTarget(&recorder, "touchUpInside:", &Recorder::touchUpInside,
                           UIControlEventTouchUpInside);
        control->addTarget(&recorder, "touchUpOutside:", &Recorder::touchUpOutside,
                           UIControlEventTouchUpOutside);
        control->addTarget(&recorder, "touchCancel:", &Recorder::touchCancel,
                           UIControlEventTouchCancel);
    }
    Recorder recorder;
    std::shared_ptr<MappingControl> control;
};

using Events = std::vector<std::string>;

TEST_F(ControlTouchTest, TouchDownIsSentAtOnceAfterTheFirstMapping) {
    down(150, 120);
    EXPECT_EQ(recorder.events, (Events{"value 0.25", "down"}));
    EXPECT_TRUE(control->isHighlighted());
    EXPECT_TRUE(control->isTracking());
}

TEST_F(ControlTouchTest, BeginEachMoveAndEndSendOneValueChangedEach) {
    down(150, 120);
    move(200, 120);
    move(250, 120);
    up(250, 120);
    EXPECT_EQ(recorder.events, (Events{"value 0.25", "down", "value 0.50", "value 0.75",
                                       "value 0.75", "up-inside"}));
    EXPECT_EQ(control->calls, (Events{"begin", "continue", "continue", "end"}));
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
}

TEST_F(ControlTouchTest, LiftOutsideSendsTouchUpOutsideOnly) {
    down(150, 120);
    move(150, 200);
    EXPECT_FALSE(control->isHighlighted());
    up(150, 200);
    EXPECT_EQ(recorder.events,
              (Events{"value 0.25", "down", "value 0.25", "value 0.25", "up-outside"}));
}

TEST_F(ControlTouchTest, DraggingBackInsideBeforeLiftingSendsTouchUpInside) {
    down(150, 120);
    move(150, 300);
    move(160, 110);
    up(160, 110);
    ASSERT_FALSE(recorder.events.empty());
    EXPECT_EQ(recorder.events.back(), "up-inside");
}

TEST_F(ControlTouchTest, TheRightAndBottomEdgesAreOutside) {
    down(150, 120);
    up(300, 120); // x 300 is the control's maximum edge
    EXPECT_EQ(recorder.events.back(), "up-outside");
}

TEST_F(ControlTouchTest, CancelledTouchSendsNoValueChangedAndNoTouchUp) {
    down(150, 120);
    move(200, 120);
    recorder.events.clear();
    cancel();
    EXPECT_EQ(recorder.events, (Events{"cancel"}));
    EXPECT_EQ(control->calls, (Events{"begin", "continue", "cancel"}));
    EXPECT_FALSE(control->isHighlighted());
}

TEST_F(ControlTouchTest, TouchThatBeganElsewhereReachesNothingWhenItEndsInside) {
    down(20, 20);
    move(150, 120);
    up(150, 120);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(control->calls.empty());
}

TEST_F(ControlTouchTest, RefusedBeginStopsTrackingButNotTheTouchEvents) {
    control->keepTracking = false;
    down(150, 120);
    move(200, 120);
    up(200, 120);
    EXPECT_EQ(control->calls, (Events{"begin"}));
    EXPECT_EQ(recorder.events, (Events{"value 0.25", "down", "up-inside"}));
}

TEST_F(ControlTouchTest, DisabledControlTakesTouchesAndDoesNothing) {
    auto below = std::make_shared<MappingControl>(CGRectMake(0, 0, 320, 480));
    root->insertSubview(below, 0);
    control->setEnabled(false);
    tap(150, 120);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(control->calls.empty());
    EXPECT_TRUE(below->calls.empty()) << "a touch on a disabled control must not fall through";
    EXPECT_EQ(control->state(), UIControlStateDisabled);
}

TEST_F(ControlTouchTest, HiddenOrNonInteractiveControlLetsTouchesThrough) {
    auto below = std::make_shared<MappingControl>(CGRectMake(0, 0, 320, 480));
    root->insertSubview(below, 0);
    control->setHidden(true);
    tap(150, 120);
    control->setHidden(false);
    control->setUserInteractionEnabled(false);
    tap(150, 120);
    EXPECT_TRUE(control->calls.empty());
    EXPECT_EQ(below->calls, (Events{"begin", "end", "begin", "end"}));
}

TEST_F(ControlTouchTest, ImageViewOnTopOfAControlLeavesTheTouchToTheControl) {
    auto knob = std::make_shared<UIImageView>(CGRectMake(40, 0, 40, 40));
    control->addSubview(knob);
    tap(150, 120);
    EXPECT_EQ(control->calls, (Events{"begin", "end"}));
}

TEST_F(ControlTouchTest, ActionThatRemovesTheControlDuringTouchUpIsSafe) {
    MappingControl* raw = control.get();
    control->addTarget(
        nullptr, "remove", [raw](id, UIEvent*) { raw->removeFromSuperview(); },
        UIControlEventTouchUpInside);
    std::weak_ptr<NSObject> watch = control->weak_from_this();
    control.reset();
    tap(150, 120);
    EXPECT_TRUE(watch.expired());
    ASSERT_FALSE(recorder.events.empty());
    EXPECT_EQ(recorder.events.back(), "up-inside");
}

TEST(UIControlTargets, QueriesAnswerWhatIsWiredByActionName) {
    UIControl control(CGRectMake(0, 0, 10, 10));
    Recorder a, b;
    control.addTarget(&a, "colorWheelColorChanged:", &Recorder::touchDown,
                      UIControlEventValueChanged);
    control.addTarget(&a, "oldColor:", &Recorder::touchUpInside, UIControlEventTouchUpInside);
    control.addTarget(&b, "morebyme", &Recorder::touchDown, UIControlEventTouchDown);

    EXPECT_EQ(control.allTargets(), (std::vector<id>{&a, &b}));
    EXPECT_EQ(control.actionsForTarget(&a, UIControlEventValueChanged),
              (Events{"colorWheelColorChanged:"}));
    EXPECT_EQ(control.actionsForTarget(&a, UIControlEventTouchUpInside), (Events{"oldColor:"}));
    EXPECT_TRUE(control.actionsForTarget(&a, UIControlEventTouchDown).empty());
    EXPECT_EQ(control.actionsForTarget(&b, UIControlEventTouchDown), (Events{"morebyme"}));
    EXPECT_EQ(control.allControlEvents(),
              UIControlEventValueChanged | UIControlEventTouchUpInside | UIControlEventTouchDown);

    control.removeTarget(&a, "colorWheelColorChanged:", UIControlEventValueChanged);
    EXPECT_TRUE(control.actionsForTarget(&a, UIControlEventValueChanged).empty());
    control.removeTarget(&b, "", UIControlEventAllEvents);
    EXPECT_EQ(control.allTargets(), (std::vector<id>{&a}));
}

TEST(UIControlTargets, SendActionsCallsEachMatchingActionOnceInOrder) {
    UIControl control(CGRectMake(0, 0, 10, 10));
    std::vector<std::string> calls;
    control.addTarget(
        nullptr, "first",
        [&](id sender, UIEvent*) { calls.push_back(sender == &control ? "first" : "?"); },
        UIControlEventValueChanged | UIControlEventTouchDown);
    control.addTarget(
        nullptr, "second", [&](id, UIEvent*) { calls.push_back("second"); },
        UIControlEventValueChanged);
    control.addTarget(
        nullptr, "other", [&](id, UIEvent*) { calls.push_back("other"); },
        UIControlEventTouchUpInside);
    control.sendActionsForControlEvents(UIControlEventValueChanged | UIControlEventTouchDown);
    EXPECT_EQ(calls, (Events{"first", "second"}));
}

TEST(UIControlTargets, ActionAddedDuringSendWaitsForTheNextSend) {
    UIControl control(CGRectMake(0, 0, 10, 10));
    int later = 0;
    control.addTarget(
        nullptr, "adder",
        [&](id, UIEvent*) {
            control.addTarget(
                nullptr, "later", [&](id, UIEvent*) { ++later; }, UIControlEventValueChanged);
        },
        UIControlEventValueChanged);
    control.sendActionsForControlEvents(UIControlEventValueChanged);
    EXPECT_EQ(later, 0);
    control.sendActionsForControlEvents(UIControlEventValueChanged);
    EXPECT_EQ(later, 1);
}

TEST(UIControlState, StatesCombine) {
    UIControl control;
    control.setSelected(true);
    control.setHighlighted(true);
    EXPECT_EQ(control.state(), UIControlStateSelected | UIControlStateHighlighted);
    control.setEnabled(false);
    EXPECT_EQ(control.state(),
              UIControlStateSelected | UIControlStateHighlighted | UIControlStateDisabled);
}

} // namespace
