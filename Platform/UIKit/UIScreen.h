// The device's screen: 320 x 480 points in portrait, 480 x 320 in landscape, with
// a 20-point status bar along the top. The screen's layer holds the layers of the
// visible windows in window-level order; it is what the host renders.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>
#include <QuartzCore/CALayer.h>

#include <memory>
#include <string>
#include <vector>

class UIScreen;
class UIStatusBarWindow;
class UIWindow;
using UIScreenRef = std::shared_ptr<UIScreen>;

class UIScreen : public NSObject {
  public:
    static constexpr CGFloat portraitWidth = 320;
    static constexpr CGFloat portraitHeight = 480;
    static constexpr CGFloat statusBarHeight = 20;

    UIScreen();
    ~UIScreen() override;
    static const UIScreenRef& mainScreen();

    // In points, for the current orientation.
    CGRect bounds() const { return bounds_; }
    // The bounds less the status bar.
    CGRect applicationFrame() const;
    // Pixels per point (1 or 2). Also the scale at which images are chosen.
    CGFloat scale() const { return scale_; }
    void setScale(CGFloat scale);
    bool isLandscape() const { return bounds_.size.width > bounds_.size.height; }
    // Turns the bounds to 480 x 320 (landscape) or 320 x 480; windows follow.
    void setLandscape(bool landscape);

    // The visible windows, back to front.
    const std::vector<UIWindow*>& windows() const { return windows_; }
    void attachWindow(UIWindow* window);
    void detachWindow(UIWindow* window);
    // Re-sorts after a window-level change.
    void windowLevelDidChange(UIWindow* window);
    CALayer* layer() const { return layer_.get(); }

    // The status bar, shown with the first application window; its clock reads
    // "9:41" until set.
    void setStatusBarClockText(const std::string& text);
    const std::string& statusBarClockText() const { return clockText_; }
    UIStatusBarWindow* statusBar() const { return statusBar_.get(); }

  private:
    void restack();

    CGRect bounds_{{0, 0}, {portraitWidth, portraitHeight}};
    CGFloat scale_ = 1;
    std::vector<UIWindow*> windows_;
    CALayerRef layer_;
    std::string clockText_ = "9:41";
    std::shared_ptr<UIStatusBarWindow> statusBar_;
};
