#include <Foundation/NSArray.h>

std::string NSArray::description() const {
    std::string text = "(";
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        text += i == 0 ? "\n    " : ",\n    ";
        text += objects_[i] ? objects_[i]->description() : "(null)";
    }
    return text + (objects_.empty() ? ")" : "\n)");
}

bool NSArray::isEqual(const NSObject* other) const {
    auto array = dynamic_cast<const NSArray*>(other);
    if (array == nullptr || array->objects_.size() != objects_.size()) {
        return false;
    }
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (!objects_[i] || !objects_[i]->isEqual(array->objects_[i].get())) {
            return false;
        }
    }
    return true;
}
