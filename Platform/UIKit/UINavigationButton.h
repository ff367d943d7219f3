// The button that shows a bar button item in a navigation bar: the item's title
// in the bar's tint colour (bold for the done style), greyed out and untouchable
// while the item is disabled. A tap that lifts inside presses the item.
#pragma once

#include <UIKit/UIBarButtonItem.h>
#include <UIKit/UIControl.h>
#include <UIKit/UILabel.h>

class UINavigationButton : public UIControl {
  public:
    static constexpr CGFloat fontSize = 17;
    static constexpr CGFloat horizontalPadding = 8;

    UINavigationButton(UIBarButtonItemRef item, UIColorRef tintColor);

    UIBarButtonItem* item() const { return item_.get(); }
    UILabel* titleLabel() const { return titleLabel_.get(); }
    void setTintColor(UIColorRef color);
    // Re-reads the item's title, style and state.
    void update();

    static UIColorRef disabledTitleColor();

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

    // An element labelled by the item's accessibility label or else its title; a
    // button unless the item has traits of its own; selected while the item is.
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    UIAccessibilityTraits accessibilityTraits() const override;

  protected:
    void stateDidChange() override;

  private:
    void pressed();

    UIBarButtonItemRef item_;
    UIColorRef tintColor_;
    UILabelRef titleLabel_;
};
