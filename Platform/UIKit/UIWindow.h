// A window: the root of a view tree on the screen. Its root view controller's view
// fills the window below the status bar; it is put in place when the window is
// first made visible, so that controllers build their views only then.
#pragma once

#include <UIKit/UIView.h>

class UIWindow;
class UIViewController;
class UIScreen;
using UIWindowRef = std::shared_ptr<UIWindow>;
using UIWindowLevel = CGFloat;

inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

class UIWindow : public UIView {
  public:
    explicit UIWindow(CGRect frame = CGRectZero);
    ~UIWindow() override;

    const std::shared_ptr<UIViewController>& rootViewController() const {
        return rootViewController_;
    }
    void setRootViewController(std::shared_ptr<UIViewController> controller);

    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    bool isVisible() const { return visible_; }
    void setHidden(bool hidden) override;
    UIWindowLevel windowLevel() const { return windowLevel_; }
    void setWindowLevel(UIWindowLevel level);

    // Delivers a touch event to the views of its touches.
    virtual void sendEvent(UIEvent* event);
    UIResponder* nextResponder() const override;

    // The frame that the root view controller's view gets, in window coordinates.
    virtual CGRect rootViewFrame() const;
    // The screen turned: the window takes the new bounds and its root view the new
    // frame, then lays itself out.
    virtual void screenBoundsDidChange();

  private:
    friend class UIScreen;
    void installRootView();

    UIScreen* screen_ = nullptr; // the screen showing the window

    std::shared_ptr<UIViewController> rootViewController_;
    UIWindowLevel windowLevel_ = UIWindowLevelNormal;
    bool visible_ = false;
};
