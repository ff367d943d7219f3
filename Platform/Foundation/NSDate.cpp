#include <Foundation/NSDate.h>

#include <cstdio>

std::string NSDate::description() const {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f seconds since 2001-01-01", sinceReferenceDate_);
    return text;
}

bool NSDate::isEqual(const NSObject* other) const {
    auto date = dynamic_cast<const NSDate*>(other);
    return date != nullptr && date->sinceReferenceDate_ == sinceReferenceDate_;
}
