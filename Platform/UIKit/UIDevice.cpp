#include <UIKit/UIDevice.h>

const UIDeviceRef& UIDevice::currentDevice() {
    static const UIDeviceRef device = std::make_shared<UIDevice>();
    return device;
}
