#include <UIKit/NSIndexPath.h>

std::string NSIndexPath::description() const {
    return "<NSIndexPath {length = 2, path = " + std::to_string(section_) + " - " +
           std::to_string(row_) + "}>";
}

bool NSIndexPath::isEqual(const NSObject* other) const {
    auto* path = dynamic_cast<const NSIndexPath*>(other);
    return path != nullptr && path->section_ == section_ && path->row_ == row_;
}
