// What a view controller shows in the navigation bar while it is on top: a title
// and bar button items on the left and right.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIBarButtonItem.h>

#include <functional>
#include <memory>
#include <string>

class UINavigationItem : public NSObject {
  public:
    explicit UINavigationItem(std::string title = {}) : title_(std::move(title)) {}

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const UIBarButtonItemRef& leftBarButtonItem() const { return left_; }
    void setLeftBarButtonItem(UIBarButtonItemRef item, bool animated = false);
    const UIBarButtonItemRef& rightBarButtonItem() const { return right_; }
    void setRightBarButtonItem(UIBarButtonItemRef item, bool animated = false);

    // The bar showing the item refreshes through this (one observer).
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  private:
    void notify();

    std::string title_;
    UIBarButtonItemRef left_;
    UIBarButtonItemRef right_;
    std::function<void()> changed_;
};
