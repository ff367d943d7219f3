// Dictionaries read from and written to property-list files.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPropertyListSerialization.h>

namespace {

std::shared_ptr<NSMutableDictionary> readDictionary(const std::string& path, std::string* failure) {
    // Readers run on every keyboard layout pass: one buffer per thread, reused.
    thread_local NSFileManager::ReadBuffer buffer;
    NSFileError error;
    std::optional<std::string_view> contents =
        NSFileManager::defaultManager()->contentsAtPath(path, buffer, &error);
    if (!contents) {
        if (failure != nullptr) {
            *failure = error.description;
        }
        return nullptr;
    }
    std::string reason;
    NSObjectRef list = NSPropertyListSerialization::propertyListWithData(*contents, &reason);
    auto dictionary = ns_cast<NSMutableDictionary>(list);
    if (!dictionary && failure != nullptr) {
        *failure = NSFileManager::hostPath(path) + ": " +
                   (list ? "the top level is not a dictionary" : reason);
    }
    return dictionary;
}

} // namespace

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path) {
    return readDictionary(path, nullptr);
}

std::shared_ptr<NSMutableDictionary>
NSMutableDictionary::dictionaryWithContentsOfFile(const std::string& path) {
    return readDictionary(path, nullptr);
}

std::shared_ptr<NSMutableDictionary>
NSMutableDictionary::dictionaryWithContentsOfFile(const std::string& path, std::string* failure) {
    return readDictionary(path, failure);
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically) const {
    return writeToFile(path, atomically, nullptr);
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically,
                               std::string* failure) const {
    std::string xml;
    std::string reason;
    if (!NSPropertyListSerialization::dataWithPropertyList(*this, xml, &reason)) {
        if (failure != nullptr) {
            *failure = "cannot write " + NSFileManager::hostPath(path) + ": " + reason;
        }
        return false;
    }
    NSFileError error;
    auto manager = NSFileManager::defaultManager();
    bool written = atomically ? manager->writeAtomically(path, xml, &error)
                              : manager->writeInPlace(path, xml, &error);
    if (!written && failure != nullptr) {
        *failure = error.description;
    }
    return written;
}
