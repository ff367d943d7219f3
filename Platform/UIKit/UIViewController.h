// A view controller: builds its view the first time the view is needed
// (`loadView`, then `viewDidLoad`), and answers for it in the navigation bar
// (`title`, `navigationItem`) and on rotation.
#pragma once

#include <UIKit/UIApplication.h>
#include <UIKit/UIResponder.h>
#include <UIKit/UIView.h>

#include <memory>
#include <string>

class UIViewController;
class UINavigationController;
class UINavigationItem;
using UIViewControllerRef = std::shared_ptr<UIViewController>;

class UIViewController : public UIResponder {
  public:
    UIViewController();
    ~UIViewController() override;

    // The view, loaded on first use.
    UIView* view();
    const UIViewRef& viewRef();
    void setView(UIViewRef view);
    bool isViewLoaded() const { return view_ != nullptr; }
    // Makes a plain view filling the application frame, resizing with its parent.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    virtual void didReceiveMemoryWarning() {}
    virtual void viewDidUnload() {}

    const std::string& title() const { return title_; }
    virtual void setTitle(std::string title);
    // Made on first use; its title follows the controller's.
    UINavigationItem* navigationItem();
    const std::shared_ptr<UINavigationItem>& navigationItemRef();
    // The navigation controller this one is in, if any (not retained).
    UINavigationController* navigationController() const;
    UIViewController* parentViewController() const { return parent_; }
    void setParentViewController(UIViewController* parent) { parent_ = parent; }

    // Portrait only unless a subclass says otherwise, as on the phone.
    virtual bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation);
    virtual void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation,
                                                  double duration) {
        (void)orientation;
        (void)duration;
    }
    virtual void didRotateFromInterfaceOrientation(UIInterfaceOrientation fromOrientation) {
        (void)fromOrientation;
    }
    UIInterfaceOrientation interfaceOrientation() const;
    // The platform's default, 320 x 1100.
    virtual CGSize contentSizeForViewInPopover() const { return {320, 1100}; }

    UIResponder* nextResponder() const override;

  private:
    UIViewRef view_;
    std::string title_;
    std::shared_ptr<UINavigationItem> navigationItem_;
    UIViewController* parent_ = nullptr;
};
