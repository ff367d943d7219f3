#include <Foundation/NSObject.h>

#include <cstdio>
#include <typeinfo>

std::string NSObject::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return std::string("<object ") + address + ">";
}
