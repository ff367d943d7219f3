#include <UIKit/UINavigationItem.h>

void UINavigationItem::setTitle(std::string title) {
    title_ = std::move(title);
    notify();
}

void UINavigationItem::setLeftBarButtonItem(UIBarButtonItemRef item, bool animated) {
    (void)animated;
    left_ = std::move(item);
    notify();
}

void UINavigationItem::setRightBarButtonItem(UIBarButtonItemRef item, bool animated) {
    (void)animated;
    right_ = std::move(item);
    notify();
}

void UINavigationItem::notify() {
    if (changed_) {
        changed_();
    }
}
