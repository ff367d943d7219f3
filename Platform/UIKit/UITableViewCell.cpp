#include <UIKit/UITableViewCell.h>

#include <algorithm>

UITableViewCell::UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UIView(CGRectMake(0, 0, 320, 44)), style_(style),
      reuseIdentifier_(std::move(reuseIdentifier)), contentView_(std::make_shared<UIView>()),
      textLabel_(std::make_shared<UILabel>()), separator_(std::make_shared<UIView>()) {
    setBackgroundColor(UIColor::whiteColor());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                      UIViewAutoresizingFlexibleHeight);
    contentView_->setFrame(bounds());
    addSubview(contentView_);
    textLabel_->setFont(UIFont::systemFontOfSize(18));
    contentView_->addSubview(textLabel_);
    separator_->setBackgroundColor(UIColor::colorWithWhite(0.8f, 1));
    addSubview(separator_);
}

void UITableViewCell::layoutSubviews() {
    CGRect b = bounds();
    contentView_->setFrame(b);
    textLabel_->setFrame(CGRectMake(
        textInset, 0, std::max(b.size.width - 2 * textInset, CGFloat(0)), b.size.height));
    CGFloat line = 1 / std::max(contentScaleFactor(), CGFloat(1));
    separator_->setFrame(
        CGRectMake(textInset, b.size.height - line, b.size.width - textInset, line));
}
