#include <UIKit/UINavigationController.h>

#include <algorithm>

#include <UIKit/UIScreen.h>
#include <UIKit/UIWindow.h>

namespace {

// The navigation controller's view: lays out the bar and the top view.
class NavigationContainerView : public UIView {
  public:
    NavigationContainerView(CGRect frame, UINavigationController* owner)
        : UIView(frame), owner_(owner) {}
    void layoutSubviews() override { owner_->layoutContainer(); }
    // The bar is read first: it is on top of the screen, though drawn over the view.
    std::vector<UIView*> accessibilityElements() const override {
        std::vector<UIView*> elements = UIView::accessibilityElements();
        std::stable_partition(elements.begin(), elements.end(), [](UIView* view) {
            return dynamic_cast<UINavigationBar*>(view) != nullptr;
        });
        return elements;
    }

  private:
    UINavigationController* owner_;
};

} // namespace

UINavigationController::UINavigationController(UIViewControllerRef rootViewController)
    : navigationBar_(std::make_shared<UINavigationBar>(
          CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, UINavigationBar::height))) {
    navigationBar_->setBackAction([this] { popViewControllerAnimated(false); });
    if (rootViewController) {
        rootViewController->setParentViewController(this);
        navigationBar_->pushNavigationItem(rootViewController->navigationItemRef());
        viewControllers_.push_back(std::move(rootViewController));
    }
}

UINavigationController::~UINavigationController() {
    for (const auto& controller : viewControllers_) {
        controller->setParentViewController(nullptr);
    }
}

UIViewController* UINavigationController::topViewController() const {
    return viewControllers_.empty() ? nullptr : viewControllers_.back().get();
}

void UINavigationController::pushViewController(UIViewControllerRef controller, bool animated) {
    if (!controller) {
        return;
    }
    controller->setParentViewController(this);
    navigationBar_->pushNavigationItem(controller->navigationItemRef(), animated);
    viewControllers_.push_back(std::move(controller));
    if (isShown()) {
        showTopView();
    }
}

UIViewControllerRef UINavigationController::popViewControllerAnimated(bool animated) {
    if (viewControllers_.size() < 2) {
        return nullptr;
    }
    UIViewControllerRef popped = viewControllers_.back();
    viewControllers_.pop_back();
    navigationBar_->popNavigationItem(animated);
    if (shownController_ == popped.get()) {
        popped->viewWillDisappear(animated);
        popped->view()->removeFromSuperview();
        popped->viewDidDisappear(animated);
        shownController_ = nullptr;
    }
    popped->setParentViewController(nullptr);
    if (isShown()) {
        showTopView();
    }
    return popped;
}

void UINavigationController::loadView() {
    auto container =
        std::make_shared<NavigationContainerView>(UIScreen::mainScreen()->applicationFrame(), this);
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                   UIViewAutoresizingFlexibleHeight);
    container->addSubview(navigationBar_);
    setView(std::move(container));
}

void UINavigationController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    showTopView();
}

bool UINavigationController::isShown() const {
    return isViewLoaded() && const_cast<UINavigationController*>(this)->view()->window() != nullptr;
}

void UINavigationController::showTopView() {
    UIViewController* top = topViewController();
    if (top == nullptr || top == shownController_) {
        return;
    }
    if (shownController_ != nullptr) {
        shownController_->viewWillDisappear(false);
        shownController_->view()->removeFromSuperview();
        shownController_->viewDidDisappear(false);
    }
    shownController_ = top;
    UIView* container = view();
    // Built here, the first time the controller is shown.
    UIViewRef topView = top->viewRef();
    CGRect b = container->bounds();
    topView->setFrame(CGRectMake(0, UINavigationBar::height, b.size.width,
                                 b.size.height - UINavigationBar::height));
    top->viewWillAppear(false);
    container->insertSubviewBelow(topView, navigationBar_.get());
    top->viewDidAppear(false);
}

void UINavigationController::layoutContainer() {
    CGRect b = view()->bounds();
    navigationBar_->setFrame(CGRectMake(0, 0, b.size.width, UINavigationBar::height));
    if (shownController_ == nullptr && view()->window() != nullptr) {
        showTopView();
    }
    if (shownController_ != nullptr) {
        shownController_->view()->setFrame(CGRectMake(0, UINavigationBar::height, b.size.width,
                                                      b.size.height - UINavigationBar::height));
    }
}

bool UINavigationController::shouldAutorotateToInterfaceOrientation(
    UIInterfaceOrientation orientation) {
    UIViewController* top = topViewController();
    return top ? top->shouldAutorotateToInterfaceOrientation(orientation)
               : UIViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

void UINavigationController::willRotateToInterfaceOrientation(UIInterfaceOrientation orientation,
                                                              double duration) {
    if (UIViewController* top = topViewController()) {
        top->willRotateToInterfaceOrientation(orientation, duration);
    }
}

void UINavigationController::didRotateFromInterfaceOrientation(
    UIInterfaceOrientation fromOrientation) {
    if (UIViewController* top = topViewController()) {
        top->didRotateFromInterfaceOrientation(fromOrientation);
    }
}
