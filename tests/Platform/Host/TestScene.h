// A small scene for the platform's own tests and for a person to try: a navigation
// bar with two bar buttons ("Move", and "Done", disabled), a button that shows an
// alert, a slider-like control that maps touch points to values, and a box that
// the "Move" button slides across in an animation block. Each action writes a log
// line ("platform-test-scene: slider 0.5").
#pragma once

#include <UIKit/UIKit.h>

#include <string>
#include <vector>

// Maps the touch's x to a value 0..1; begin, each move and end send one
// value-changed event each, whether or not the value changed.
class TestSlider : public UIControl {
  public:
    explicit TestSlider(CGRect frame);

    float value() const { return value_; }
    void setValue(float value);

    bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
    void layoutSubviews() override;

  private:
    void mapPointToValue(CGPoint point);

    float value_ = 0;
    UIViewRef fill_;
};

class TestSceneViewController : public UIViewController, public UIAlertViewDelegate {
  public:
    static constexpr CGFloat boxLeft = 20;
    static constexpr CGFloat boxRight = 240;
    static constexpr double moveDuration = 0.5;

    void loadView() override;
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;

    void showAlert(id sender);
    void sliderChanged(TestSlider* slider);
    void moveBox();
    void done(id sender);
    void alertViewClickedButtonAtIndex(UIAlertView* alertView, NSInteger buttonIndex) override;

    TestSlider* slider() const { return slider_.get(); }
    UIView* box() const { return box_.get(); }
    UILabel* statusLabel() const { return status_.get(); }
    const std::vector<std::string>& log() const { return log_; }

  private:
    void record(const std::string& line);

    std::shared_ptr<TestSlider> slider_;
    UIViewRef box_;
    UILabelRef status_;
    bool boxOnRight_ = false;
    std::vector<std::string> log_;
};

class TestSceneAppDelegate : public UIResponder, public UIApplicationDelegate {
  public:
    bool
    applicationDidFinishLaunchingWithOptions(UIApplication* application,
                                             const std::shared_ptr<NSDictionary>& options) override;
    const UIWindowRef& window() const { return window_; }
    TestSceneViewController* scene() const { return scene_.get(); }

  private:
    UIWindowRef window_;
    std::shared_ptr<TestSceneViewController> scene_;
};
