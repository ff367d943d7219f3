// Dictionaries with text keys, the only kind that property lists hold.
#pragma once

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class NSDictionary : public NSObject {
  public:
    using Storage = std::unordered_map<std::string, NSObjectRef>;

    NSDictionary() = default;
    explicit NSDictionary(Storage entries) : entries_(std::move(entries)) {}

    // The whole property list at `path` if its top level is a dictionary; null when
    // the file is missing, unreadable, larger than 64 KiB or not such a list.
    static std::shared_ptr<NSDictionary> dictionaryWithContentsOfFile(const std::string& path);

    NSUInteger count() const { return entries_.size(); }
    NSObjectRef objectForKey(std::string_view key) const;
    NSObjectRef objectForKey(const NSString& key) const {
        return objectForKey(std::string_view(key.utf8()));
    }
    NSObjectRef valueForKey(std::string_view key) const { return objectForKey(key); }
    // Keys in ascending byte order, which is the order they are written in.
    std::vector<std::string> allKeys() const;
    const Storage& entries() const { return entries_; }

    // Writes the XML property list, version 1.0. Atomically: a complete temporary in
    // the same folder replaces the target in one step. False when nothing was written.
    bool writeToFile(const std::string& path, bool atomically) const;
    // As above, with the reason for a failure in `failure`.
    bool writeToFile(const std::string& path, bool atomically, std::string* failure) const;

    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  protected:
    Storage entries_;
};

class NSMutableDictionary : public NSDictionary {
  public:
    using NSDictionary::NSDictionary;

    static std::shared_ptr<NSMutableDictionary> dictionary() {
        return std::make_shared<NSMutableDictionary>();
    }
    // `[[NSMutableDictionary alloc] initWithContentsOfFile:]`: null as above.
    static std::shared_ptr<NSMutableDictionary>
    dictionaryWithContentsOfFile(const std::string& path);
    // As above, with the reason the file could not be read in `failure`.
    static std::shared_ptr<NSMutableDictionary>
    dictionaryWithContentsOfFile(const std::string& path, std::string* failure);

    void setObject(NSObjectRef object, std::string key) {
        entries_[std::move(key)] = std::move(object);
    }
    void setObject(NSObjectRef object, const NSString& key) {
        setObject(std::move(object), key.utf8());
    }
    void removeObjectForKey(std::string_view key);
};
