// Colour spaces: a model that says how many components a colour in it has.
#pragma once

#include <cstddef>
#include <memory>

enum CGColorSpaceModel : int {
    kCGColorSpaceModelUnknown = -1,
    kCGColorSpaceModelMonochrome = 0,
    kCGColorSpaceModelRGB = 1,
    kCGColorSpaceModelCMYK = 2,
    kCGColorSpaceModelLab = 3,
    kCGColorSpaceModelDeviceN = 4,
    kCGColorSpaceModelIndexed = 5,
    kCGColorSpaceModelPattern = 6,
};

class CGColorSpace {
  public:
    explicit CGColorSpace(CGColorSpaceModel model) : model_(model) {}
    CGColorSpaceModel model() const { return model_; }
    // Colour components, alpha not counted.
    std::size_t numberOfComponents() const;

  private:
    CGColorSpaceModel model_;
};
using CGColorSpaceRef = std::shared_ptr<const CGColorSpace>;

CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceCreateDeviceGray();
CGColorSpaceRef CGColorSpaceCreateDeviceCMYK();
CGColorSpaceRef CGColorSpaceCreatePattern();
CGColorSpaceRef CGColorSpaceCreateWithModel(CGColorSpaceModel model);
CGColorSpaceModel CGColorSpaceGetModel(const CGColorSpaceRef& space);
