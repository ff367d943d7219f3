// A view that shows an image, placed by the view's content mode. Like the
// platform's, it takes no touches unless told to: touches on it go to the view
// beneath (a knob on a slider leaves the touch to the slider).
#pragma once

#include <UIKit/UIImage.h>
#include <UIKit/UIView.h>

class UIImageView;
using UIImageViewRef = std::shared_ptr<UIImageView>;

class UIImageView : public UIView {
  public:
    explicit UIImageView(CGRect frame = CGRectZero);
    // Sized to the image, at the origin.
    explicit UIImageView(UIImageRef image);
    static UIImageViewRef initWithImage(UIImageRef image) {
        return std::make_shared<UIImageView>(std::move(image));
    }

    const UIImageRef& image() const { return image_; }
    void setImage(UIImageRef image);
    void setContentMode(UIViewContentMode mode) override;
    CGSize sizeThatFits(CGSize size) const override;

  private:
    void updateContents();

    UIImageRef image_;
};
