#include <UIKit/UIViewController.h>

#include <UIKit/UINavigationController.h>
#include <UIKit/UINavigationItem.h>
#include <UIKit/UIScreen.h>

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() {
    if (view_ && view_->viewController() == this) {
        view_->setViewController(nullptr);
    }
}

UIView* UIViewController::view() {
    return viewRef().get();
}

const UIViewRef& UIViewController::viewRef() {
    if (!view_) {
        loadView();
        if (!view_) {
            // A loadView that sets no view still leaves the controller with one.
            UIViewController::loadView();
        }
        viewDidLoad();
    }
    return view_;
}

void UIViewController::setView(UIViewRef view) {
    if (view_ && view_->viewController() == this) {
        view_->setViewController(nullptr);
    }
    view_ = std::move(view);
    if (view_) {
        view_->setViewController(this);
    }
}

void UIViewController::loadView() {
    auto view = std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(std::move(view));
}

void UIViewController::setTitle(std::string title) {
    title_ = std::move(title);
    navigationItem()->setTitle(title_);
}

UINavigationItem* UIViewController::navigationItem() {
    return navigationItemRef().get();
}

const std::shared_ptr<UINavigationItem>& UIViewController::navigationItemRef() {
    if (!navigationItem_) {
        navigationItem_ = std::make_shared<UINavigationItem>(title_);
    }
    return navigationItem_;
}

UINavigationController* UIViewController::navigationController() const {
    for (UIViewController* c = parent_; c != nullptr; c = c->parent_) {
        if (auto* navigation = dynamic_cast<UINavigationController*>(c)) {
            return navigation;
        }
    }
    return nullptr;
}

bool UIViewController::shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) {
    return orientation == UIInterfaceOrientationPortrait;
}

UIInterfaceOrientation UIViewController::interfaceOrientation() const {
    return UIApplication::sharedApplication()->statusBarOrientation();
}

UIResponder* UIViewController::nextResponder() const {
    if (view_ && view_->superview() != nullptr) {
        return view_->superview();
    }
    return parent_;
}
