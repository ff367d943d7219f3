// Images by name from the application's resources. At screen scale 2 the
// "name@2x.png" file is preferred; either file serves when the other is missing.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Foundation/NSObject.h>

#include <filesystem>
#include <memory>
#include <string>

class UIImage;
using UIImageRef = std::shared_ptr<UIImage>;

class UIImage : public NSObject {
  public:
    UIImage(CGImageRef image, CGFloat scale);

    // `name` with or without ".png". Cached per name and scale; nullptr when no
    // file of that name can be read.
    static UIImageRef imageNamed(const std::string& name);
    static UIImageRef imageWithContentsOfFile(const std::filesystem::path& path);
    static UIImageRef imageWithCGImage(CGImageRef image, CGFloat scale = 1);

    // Default: <folder of the running program>/../Resources.
    static void setResourceDirectory(const std::filesystem::path& folder);
    static std::filesystem::path resourceDirectory();
    // Set by UIScreen; 1 until then.
    static void setScreenScale(CGFloat scale);
    static CGFloat screenScale();

    // In points: pixels divided by scale.
    CGSize size() const;
    CGFloat scale() const { return scale_; }
    const CGImageRef& CGImage() const { return image_; }

    std::string description() const override;

  private:
    CGImageRef image_;
    CGFloat scale_ = 1;
};
