// A stack of view controllers under a navigation bar. The bar exists from the
// start (controllers may style it while they build their views); the top
// controller's view is built when the navigation controller is first shown, and
// fills the view below the bar.
#pragma once

#include <UIKit/UINavigationBar.h>
#include <UIKit/UIViewController.h>

#include <memory>
#include <vector>

class UINavigationController;
using UINavigationControllerRef = std::shared_ptr<UINavigationController>;

class UINavigationController : public UIViewController {
  public:
    explicit UINavigationController(UIViewControllerRef rootViewController);
    ~UINavigationController() override;
    static UINavigationControllerRef initWithRootViewController(UIViewControllerRef root) {
        return std::make_shared<UINavigationController>(std::move(root));
    }

    UINavigationBar* navigationBar() const { return navigationBar_.get(); }
    const std::vector<UIViewControllerRef>& viewControllers() const { return viewControllers_; }
    UIViewController* topViewController() const;
    UIViewController* visibleViewController() const { return topViewController(); }
    void pushViewController(UIViewControllerRef controller, bool animated);
    UIViewControllerRef popViewControllerAnimated(bool animated);

    void loadView() override;
    void viewWillAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;
    void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation,
                                          double duration) override;
    void didRotateFromInterfaceOrientation(UIInterfaceOrientation fromOrientation) override;

    // Places the bar and the top controller's view in the container.
    void layoutContainer();

  private:
    void showTopView();
    bool isShown() const;

    std::vector<UIViewControllerRef> viewControllers_;
    UINavigationBarRef navigationBar_;
    UIViewController* shownController_ = nullptr;
};
