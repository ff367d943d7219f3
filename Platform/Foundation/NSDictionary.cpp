#include <Foundation/NSDictionary.h>

#include <algorithm>

NSObjectRef NSDictionary::objectForKey(std::string_view key) const {
    auto found = entries_.find(std::string(key));
    return found == entries_.end() ? nullptr : found->second;
}

std::vector<std::string> NSDictionary::allKeys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) {
        keys.push_back(entry.first);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::string NSDictionary::description() const {
    std::string text = "{";
    for (const auto& key : allKeys()) {
        const NSObjectRef& value = entries_.at(key);
        text += "\n    " + key + " = " + (value ? value->description() : "(null)") + ";";
    }
    return text + (entries_.empty() ? "}" : "\n}");
}

bool NSDictionary::isEqual(const NSObject* other) const {
    auto dictionary = dynamic_cast<const NSDictionary*>(other);
    if (dictionary == nullptr || dictionary->entries_.size() != entries_.size()) {
        return false;
    }
    for (const auto& [key, value] : entries_) {
        auto found = dictionary->entries_.find(key);
        if (found == dictionary->entries_.end() || !value || !value->isEqual(found->second.get())) {
            return false;
        }
    }
    return true;
}

void NSMutableDictionary::removeObjectForKey(std::string_view key) {
    entries_.erase(std::string(key));
}
