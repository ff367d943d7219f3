// The platform colour: an immutable shared object read through its CGColor.
#pragma once

#include <CoreGraphics/CGColor.h>
#include <Foundation/NSObject.h>

#include <memory>
#include <string>

class UIColor;
class UIImage;
using UIColorRef = std::shared_ptr<UIColor>;

class UIColor : public NSObject {
  public:
    explicit UIColor(CGColorRef color) : color_(std::move(color)) {}

    // Components are kept as given, also outside 0..1; drawing clamps.
    static UIColorRef colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static UIColorRef colorWithWhite(CGFloat white, CGFloat alpha);
    // The standard hexcone model: hue 0 and 1 red, 1/6 yellow, 1/3 green, 1/2 cyan,
    // 2/3 blue, 5/6 magenta; saturation 0 grey of level brightness (UIColorHexcone.h).
    // An infinite or NaN hue, with saturation other than 0, gives NaN components.
    static UIColorRef colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness,
                                   CGFloat alpha);
    static UIColorRef colorWithCGColor(CGColorRef color);
    static UIColorRef colorWithPatternImage(const std::shared_ptr<UIImage>& image);

    static UIColorRef blackColor();
    static UIColorRef darkGrayColor();
    static UIColorRef lightGrayColor();
    static UIColorRef whiteColor();
    static UIColorRef grayColor();
    static UIColorRef redColor();
    static UIColorRef greenColor();
    static UIColorRef blueColor();
    static UIColorRef cyanColor();
    static UIColorRef yellowColor();
    static UIColorRef magentaColor();
    static UIColorRef orangeColor();
    static UIColorRef purpleColor();
    static UIColorRef brownColor();
    static UIColorRef clearColor();

    const CGColorRef& CGColor() const { return color_; }
    UIColorRef colorWithAlphaComponent(CGFloat alpha) const;

    // Makes this colour the fill or stroke colour of the current graphics context.
    void setFill() const;
    void setStroke() const;

    // A colour-space word without spaces, then each component (alpha last) as the
    // shortest decimal text that reads back to the same float:
    // "UIDeviceRGBColorSpace 0.2 0.4 0.6 1", "UIDeviceWhiteColorSpace 1 1".
    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  private:
    CGColorRef color_;
};
