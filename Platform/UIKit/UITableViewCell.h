// A row of a table: a text label in a content view, and the identifier under
// which the table keeps it for reuse.
#pragma once

#include <UIKit/UILabel.h>
#include <UIKit/UIView.h>

#include <memory>
#include <string>

class UITableViewCell;
using UITableViewCellRef = std::shared_ptr<UITableViewCell>;

enum UITableViewCellStyle : NSInteger {
    UITableViewCellStyleDefault = 0,
    UITableViewCellStyleValue1 = 1,
    UITableViewCellStyleValue2 = 2,
    UITableViewCellStyleSubtitle = 3,
};

class UITableViewCell : public UIView {
  public:
    static constexpr CGFloat textInset = 15;

    UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier);
    static UITableViewCellRef initWithStyle(UITableViewCellStyle style,
                                            std::string reuseIdentifier) {
        return std::make_shared<UITableViewCell>(style, std::move(reuseIdentifier));
    }

    UITableViewCellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    UIView* contentView() const { return contentView_.get(); }
    UILabel* textLabel() const { return textLabel_.get(); }
    virtual void prepareForReuse() {}

    void layoutSubviews() override;

  private:
    UITableViewCellStyle style_;
    std::string reuseIdentifier_;
    UIViewRef contentView_;
    UILabelRef textLabel_;
    UIViewRef separator_;
};
