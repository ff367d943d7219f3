#include "TestScene.h"

#include <Foundation/NSLog.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

UIColorRef sceneBarColor() {
    return UIColor::colorWithRed(0.82f, 0.93f, 0.99f, 1);
}

} // namespace

TestSlider::TestSlider(CGRect frame) : UIControl(frame), fill_(std::make_shared<UIView>()) {
    setBackgroundColor(UIColor::colorWithWhite(0.85f, 1));
    layer()->setCornerRadius(6);
    setClipsToBounds(true);
    fill_->setBackgroundColor(UIButton::defaultTintColor());
    fill_->setUserInteractionEnabled(false);
    addSubview(fill_);
}

void TestSlider::setValue(float value) {
    value_ = std::clamp(value, 0.0f, 1.0f);
    setNeedsLayout();
}

void TestSlider::mapPointToValue(CGPoint point) {
    setValue(point.x / bounds().size.width);
    sendActionsForControlEvents(UIControlEventValueChanged);
}

bool TestSlider::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    UIControl::beginTrackingWithTouch(touch, event);
    mapPointToValue(touch->locationInView(this));
    return true;
}

bool TestSlider::continueTrackingWithTouch(UITouch* touch, UIEvent* event) {
    UIControl::continueTrackingWithTouch(touch, event);
    mapPointToValue(touch->locationInView(this));
    return true;
}

void TestSlider::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    mapPointToValue(touch->locationInView(this));
    UIControl::endTrackingWithTouch(touch, event);
}

void TestSlider::layoutSubviews() {
    CGRect b = bounds();
    fill_->setFrame(CGRectMake(0, 0, b.size.width * value_, b.size.height));
}

void TestSceneViewController::loadView() {
    auto view = std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view->setBackgroundColor(UIColor::whiteColor());
    setView(view);
    setTitle("Test Scene");

    UINavigationBar* bar = navigationController()->navigationBar();
    bar->setTranslucent(false);
    bar->setBarTintColor(sceneBarColor());
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithTitle(
        "Move", UIBarButtonItemStylePlain, this, "moveBox", &TestSceneViewController::moveBox));
    auto done = UIBarButtonItem::initWithTitle("Done", UIBarButtonItemStyleDone, this,
                                               "done:", &TestSceneViewController::done);
    done->setEnabled(false);
    navigationItem()->setRightBarButtonItem(done);

    auto button = std::make_shared<UIButton>(CGRectMake(20, 20, 130, 44), UIButtonTypeRoundedRect);
    button->setTitle("Show Alert", UIControlStateNormal);
    button->addTarget(this, "showAlert:", &TestSceneViewController::showAlert,
                      UIControlEventTouchUpInside);
    view->addSubview(button);
    // Elements for the desktop bridge's tests, whatever the controls' own defaults.
    button->setIsAccessibilityElement(true);
    button->setAccessibilityLabel("Show Alert");
    button->setAccessibilityTraits(UIAccessibilityTraitButton);

    slider_ = std::make_shared<TestSlider>(CGRectMake(20, 90, 280, 40));
    slider_->addTarget(this, "sliderChanged:", &TestSceneViewController::sliderChanged,
                       UIControlEventValueChanged);
    view->addSubview(slider_);
    slider_->setIsAccessibilityElement(true);
    slider_->setAccessibilityLabel("Level");
    slider_->setAccessibilityHint("Drag to set the level");
    slider_->setAccessibilityTraits(UIAccessibilityTraitAdjustable);

    box_ = std::make_shared<UIView>(CGRectMake(boxLeft, 160, 60, 60));
    box_->setBackgroundColor(UIColor::redColor());
    view->addSubview(box_);

    status_ = std::make_shared<UILabel>(CGRectMake(20, 240, 280, 30));
    status_->setText("Ready");
    view->addSubview(status_);
    status_->setIsAccessibilityElement(true);
    status_->setAccessibilityLabel("Ready");
    status_->setAccessibilityTraits(UIAccessibilityTraitStaticText);
}

bool TestSceneViewController::shouldAutorotateToInterfaceOrientation(
    UIInterfaceOrientation orientation) {
    (void)orientation;
    return true;
}

void TestSceneViewController::record(const std::string& line) {
    log_.push_back(line);
    status_->setText(line);
    status_->setAccessibilityLabel(line);
    NSLog("%s", line.c_str());
}

void TestSceneViewController::showAlert(id sender) {
    (void)sender;
    record("show alert");
    auto alert = UIAlertView::initWithTitle("Hello", "From the test scene", this, "Cancel", {"OK"});
    alert->setIsAccessibilityElement(true);
    alert->setAccessibilityLabel("Hello");
    alert->show();
}

void TestSceneViewController::sliderChanged(TestSlider* slider) {
    char text[32];
    std::snprintf(text, sizeof text, "slider %.2f", static_cast<double>(slider->value()));
    slider->setAccessibilityValue(text + std::strlen("slider "));
    record(text);
}

void TestSceneViewController::moveBox() {
    boxOnRight_ = !boxOnRight_;
    UIView::beginAnimations();
    UIView::setAnimationDuration(moveDuration);
    CGRect frame = box_->frame();
    frame.origin.x = boxOnRight_ ? boxRight : boxLeft;
    box_->setFrame(frame);
    UIView::commitAnimations();
    record(boxOnRight_ ? "box right" : "box left");
}

void TestSceneViewController::done(id sender) {
    (void)sender;
    record("done");
}

void TestSceneViewController::alertViewClickedButtonAtIndex(UIAlertView* alertView,
                                                            NSInteger buttonIndex) {
    record("alert " + alertView->buttonTitleAtIndex(buttonIndex));
}

bool TestSceneAppDelegate::applicationDidFinishLaunchingWithOptions(
    UIApplication* application, const std::shared_ptr<NSDictionary>& options) {
    (void)application;
    (void)options;
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    scene_ = std::make_shared<TestSceneViewController>();
    window_->setRootViewController(UINavigationController::initWithRootViewController(scene_));
    window_->setBackgroundColor(UIColor::whiteColor());
    window_->makeKeyAndVisible();
    return true;
}
