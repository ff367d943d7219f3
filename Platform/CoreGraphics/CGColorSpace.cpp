#include <CoreGraphics/CGColorSpace.h>

std::size_t CGColorSpace::numberOfComponents() const {
    switch (model_) {
    case kCGColorSpaceModelMonochrome:
        return 1;
    case kCGColorSpaceModelRGB:
        return 3;
    case kCGColorSpaceModelCMYK:
        return 4;
    case kCGColorSpaceModelLab:
        return 3;
    case kCGColorSpaceModelPattern: // the image is the colour; alpha is its only component
    default:
        return 0;
    }
}

CGColorSpaceRef CGColorSpaceCreateWithModel(CGColorSpaceModel model) {
    return std::make_shared<const CGColorSpace>(model);
}
CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
    static const CGColorSpaceRef space = CGColorSpaceCreateWithModel(kCGColorSpaceModelRGB);
    return space;
}
CGColorSpaceRef CGColorSpaceCreateDeviceGray() {
    static const CGColorSpaceRef space = CGColorSpaceCreateWithModel(kCGColorSpaceModelMonochrome);
    return space;
}
CGColorSpaceRef CGColorSpaceCreateDeviceCMYK() {
    static const CGColorSpaceRef space = CGColorSpaceCreateWithModel(kCGColorSpaceModelCMYK);
    return space;
}
CGColorSpaceRef CGColorSpaceCreatePattern() {
    static const CGColorSpaceRef space = CGColorSpaceCreateWithModel(kCGColorSpaceModelPattern);
    return space;
}

CGColorSpaceModel CGColorSpaceGetModel(const CGColorSpaceRef& space) {
    return space ? space->model() : kCGColorSpaceModelUnknown;
}
