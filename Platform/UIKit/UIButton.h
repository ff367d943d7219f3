// A push button: a title (and title colour) per control state over the control's
// touch handling. A state without a title or colour of its own shows the normal
// state's; highlighted and disabled titles are dimmed unless given a colour.
#pragma once

#include <UIKit/UIControl.h>
#include <UIKit/UILabel.h>

#include <map>
#include <string>

class UIButton;
using UIButtonRef = std::shared_ptr<UIButton>;

enum UIButtonType : NSInteger {
    UIButtonTypeCustom = 0,
    // A bordered, rounded button with tinted title.
    UIButtonTypeRoundedRect = 1,
    UIButtonTypeSystem = UIButtonTypeRoundedRect,
};

class UIButton : public UIControl {
  public:
    explicit UIButton(CGRect frame = CGRectZero, UIButtonType type = UIButtonTypeCustom);
    static UIButtonRef buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return type_; }
    void setTitle(std::string title, UIControlState state);
    std::string titleForState(UIControlState state) const;
    void setTitleColor(UIColorRef color, UIControlState state);
    UIColorRef titleColorForState(UIControlState state) const;
    std::string currentTitle() const { return titleForState(state()); }
    UIColorRef currentTitleColor() const;
    UILabel* titleLabel() const { return titleLabel_.get(); }

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;

    // The tint of rounded buttons and bar buttons.
    static UIColorRef defaultTintColor();

    // An element labelled by its current title, a button.
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    UIAccessibilityTraits accessibilityTraits() const override;

  protected:
    void stateDidChange() override;

  private:
    void updateTitle();

    UIButtonType type_;
    std::map<UIControlState, std::string> titles_;
    std::map<UIControlState, UIColorRef> titleColors_;
    UILabelRef titleLabel_;
};
