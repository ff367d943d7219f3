#include <Foundation/NSNull.h>

const std::shared_ptr<NSNull>& NSNull::null() {
    static const std::shared_ptr<NSNull> instance = std::make_shared<NSNull>();
    return instance;
}
