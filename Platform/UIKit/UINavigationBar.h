// The bar along the top of a navigation controller's view, 44 points tall in both
// orientations: the top item's title centred, its bar button items at the ends.
#pragma once

#include <UIKit/UILabel.h>
#include <UIKit/UINavigationButton.h>
#include <UIKit/UINavigationItem.h>
#include <UIKit/UIView.h>

#include <functional>
#include <memory>
#include <vector>

class UINavigationBar;
using UINavigationBarRef = std::shared_ptr<UINavigationBar>;

class UINavigationBar : public UIView {
  public:
    static constexpr CGFloat height = 44;
    static constexpr CGFloat titleFontSize = 17;
    static constexpr CGFloat edgeMargin = 5;

    explicit UINavigationBar(CGRect frame = CGRectMake(0, 0, 320, height));
    ~UINavigationBar() override;

    // See-through bars show the bar colour at 85% opacity; the content stays below
    // the bar either way.
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);
    const UIColorRef& barTintColor() const { return barTintColor_; }
    void setBarTintColor(UIColorRef color);
    // The colour of the bar buttons' titles.
    const UIColorRef& tintColor() const { return tintColor_; }
    void setTintColor(UIColorRef color);

    // The items, bottom to top; the top one is shown.
    const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
    UINavigationItem* topItem() const { return items_.empty() ? nullptr : items_.back().get(); }
    UINavigationItem* backItem() const;
    void pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated = false);
    void popNavigationItem(bool animated = false);
    // What the back button does (the navigation controller pops).
    void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }

    // The buttons and title on show, for hit tests and probes.
    UINavigationButton* leftButton() const { return leftButton_.get(); }
    UINavigationButton* rightButton() const { return rightButton_.get(); }
    UILabel* titleLabel() const { return titleLabel_.get(); }

    void layoutSubviews() override;
    // Read as the bar shows them: the left button, the title, the right button.
    std::vector<UIView*> accessibilityElements() const override;

  private:
    void showTopItem();
    void refresh();
    std::shared_ptr<UINavigationButton> buttonFor(const UIBarButtonItemRef& item,
                                                  std::shared_ptr<UINavigationButton> current);
    void updateBackground();

    bool translucent_ = true;
    UIColorRef barTintColor_;
    UIColorRef tintColor_;
    std::vector<std::shared_ptr<UINavigationItem>> items_;
    UILabelRef titleLabel_;
    UIViewRef hairline_;
    std::shared_ptr<UINavigationButton> leftButton_;
    std::shared_ptr<UINavigationButton> rightButton_;
    UIBarButtonItemRef backButtonItem_;
    std::function<void()> backAction_;
};
