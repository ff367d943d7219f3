#include <Foundation/NSData.h>

#include <cstdio>

std::string NSData::description() const {
    std::string text = "<";
    char hex[3];
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i > 0 && i % 4 == 0) {
            text += ' ';
        }
        std::snprintf(hex, sizeof hex, "%02x", bytes_[i]);
        text += hex;
    }
    return text + ">";
}

bool NSData::isEqual(const NSObject* other) const {
    auto data = dynamic_cast<const NSData*>(other);
    return data != nullptr && data->bytes_ == bytes_;
}
