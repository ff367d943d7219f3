// A small stage for the controls' tests: known images in a resource folder of
// their own, a visible window to put a control in, touches in screen points, a
// virtual clock and rendering.
#pragma once

#include "TestSupport.h"

#include <CoreGraphics/CGImage.h>
#include <UIKit/UIControl.h>
#include <UIKit/UITouch.h>
#include <UIKit/UIWindow.h>

#include <memory>

namespace controlstest {

// The images the controls load, with sizes and colours the tests know:
// a 30 x 30 opaque magenta knob, a 240 x 240 opaque mid-grey wheel, a 22 x 22
// opaque green checkmark and an 8 x 8 checkerboard tile of white and light grey
// squares of 4 points.
inline constexpr CGPixel kKnobPixel{255, 0, 255, 255};
inline constexpr CGPixel kWheelPixel{128, 128, 128, 255};
inline constexpr CGPixel kCheckmarkPixel{0, 255, 0, 255};
inline constexpr CGPixel kCheckerLight{255, 255, 255, 255};
inline constexpr CGPixel kCheckerDark{204, 204, 204, 255};

// Writes the images once per test program, points UIImage at them and puts the
// layer clock on virtual time.
void useTestResources();

// A white window filling the screen, visible and key; controls are added to it.
class Stage {
  public:
    Stage();
    ~Stage();
    UIWindow& window() { return *window_; }
    void add(const UIViewRef& view) { window_->addSubview(view); }

    // One finger, in screen (= window) points.
    bool down(CGPoint p) { return touch(UITouchPhaseBegan, p); }
    bool move(CGPoint p) { return touch(UITouchPhaseMoved, p); }
    bool up(CGPoint p) { return touch(UITouchPhaseEnded, p); }
    bool cancel() { return touch(UITouchPhaseCancelled, {0, 0}); }

    // Lays out and renders the window's layer tree, 320 x 480 points.
    CGImageRef render(CGFloat scale = 1);

  private:
    bool touch(UITouchPhase phase, CGPoint p);
    std::shared_ptr<UIWindow> window_;
};

// Counts one control's events of one mask.
class EventCounter {
  public:
    EventCounter(UIControl& control, UIControlEvents events);
    int count() const { return *count_; }

  private:
    std::shared_ptr<int> count_ = std::make_shared<int>(0);
};

// A pixel as "r,g,b,a" for failure messages.
std::string describe(CGPixel pixel);
// Channels within `tolerance` of each other.
bool near(CGPixel a, CGPixel b, int tolerance = 2);

} // namespace controlstest
