#include "TintPreferences.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSPropertyListSerialization.h>

#include <cerrno>
#include <functional>
#include <mutex>
#include <optional>

namespace TintPreferences {

namespace {

constexpr const char* openKey = "open";
constexpr const char* colorKey = "saveColor";

bool isOnText(const NSObjectRef& value) {
    auto text = ns_cast<NSString>(value);
    return text && text->isEqualToString("on");
}

// An element as the device's readers take it, by its floatValue: a string gives the
// number its text begins with (0 for none), a number (a boolean too) its value. An
// element of another kind answers nothing, and there is no colour.
std::optional<float> componentOf(const NSObjectRef& element) {
    if (auto text = ns_cast<NSString>(element)) {
        return text->floatValue();
    }
    if (auto number = ns_cast<NSNumber>(element)) {
        return number->floatValue();
    }
    return std::nullopt;
}

// Elements 1 to 4 of a five-element "saveColor" as red, green, blue and alpha.
// Element 0, the colour-space word, is never read.
UIColorRef colorFromSaveColor(const NSObjectRef& value) {
    auto elements = ns_cast<NSArray>(value);
    if (!elements || elements->count() != 5) {
        return nullptr;
    }
    float components[4];
    for (NSUInteger i = 1; i <= 4; ++i) {
        std::optional<float> component = componentOf(elements->objectAtIndexedSubscript(i));
        if (!component) {
            return nullptr;
        }
        components[i - 1] = *component;
    }
    return UIColor::colorWithRed(components[0], components[1], components[2], components[3]);
}

// The colour's "%@" text, split at every space. A grey is described in its RGB form,
// so that what the user saves is what the keyboard gets.
std::shared_ptr<NSArray> textForm(const UIColor& color) {
    const CGColorRef& cg = color.CGColor();
    if (CGColorSpaceGetModel(CGColorGetColorSpace(cg)) == kCGColorSpaceModelMonochrome) {
        const CGFloat* grey = CGColorGetComponents(cg);
        UIColorRef rgb = UIColor::colorWithRed(grey[0], grey[0], grey[0], grey[1]);
        return NSString::stringWithFormat("%@", rgb)->componentsSeparatedByString(" ");
    }
    return NSString::stringWithFormat("%@", &color)->componentsSeparatedByString(" ");
}

WriteResult failure(WriteFailure kind, std::string reason) {
    return WriteResult{kind, std::move(reason)};
}

// The file's bytes as the dictionary to change; null, with CouldNotRead, when they
// are missing or not a dictionary property list.
std::shared_ptr<NSMutableDictionary> dictionaryToChange(std::optional<std::string_view> bytes,
                                                        const NSFileError& readError,
                                                        WriteResult& result) {
    if (!bytes) {
        result = failure(WriteFailure::CouldNotRead, readError.description);
        return nullptr;
    }
    std::string reason;
    NSObjectRef list = NSPropertyListSerialization::propertyListWithData(*bytes, &reason);
    auto dictionary = ns_cast<NSMutableDictionary>(list);
    if (!dictionary) {
        result = failure(WriteFailure::CouldNotRead,
                         hostPath() + ": " + (list ? "the top level is not a dictionary" : reason));
    }
    return dictionary;
}

// The bytes to write are the ones the serializer checked: within the readers' budget,
// and read back by them as exactly this dictionary. Nothing, with WouldNotReadBack,
// otherwise.
std::optional<std::string> serialized(const NSDictionary& dictionary, WriteResult& result) {
    std::string xml, reason;
    if (!NSPropertyListSerialization::dataWithPropertyList(dictionary, xml, &reason)) {
        result = failure(WriteFailure::WouldNotReadBack,
                         "not written, " + hostPath() + " is left as it was: " + reason);
        return std::nullopt;
    }
    return xml;
}

// The file read, changed and written back within one hold of the writers' lock, so
// that no other writer's change can fall between the read and the write and be lost.
// Nothing is written when the file cannot be read or the change would not read back.
WriteResult changeFile(const std::function<void(NSMutableDictionary&)>& change) {
    WriteResult result;
    NSFileError error;
    bool done = NSFileManager::defaultManager()->updateAtomically(
        TintPreferencesPath,
        [&](std::optional<std::string_view> bytes,
            const NSFileError& readError) -> std::optional<std::string> {
            std::shared_ptr<NSMutableDictionary> dictionary =
                dictionaryToChange(bytes, readError, result);
            if (!dictionary) {
                return std::nullopt;
            }
            change(*dictionary);
            return serialized(*dictionary, result);
        },
        &error);
    return done ? result : failure(WriteFailure::CouldNotWrite, error.description);
}

// Creates the file with the tint off, unless another writer created it first.
WriteResult createIfMissing(bool& created) {
    WriteResult result;
    NSFileError error;
    bool done = NSFileManager::defaultManager()->updateAtomically(
        TintPreferencesPath,
        [&](std::optional<std::string_view> bytes,
            const NSFileError& readError) -> std::optional<std::string> {
            if (bytes || readError.code != ENOENT) {
                return std::nullopt;
            }
            auto fresh = NSMutableDictionary::dictionary();
            fresh->setObject(NSString::string("off"), openKey);
            std::optional<std::string> xml = serialized(*fresh, result);
            created = xml.has_value();
            return xml;
        },
        &error);
    if (!done) {
        created = false;
        return failure(WriteFailure::CouldNotWrite, error.description);
    }
    return result;
}

// What the keyboard's two readers answer for one file's bytes.
struct ReaderAnswer {
    bool open = false;
    UIColorRef tint; // immutable, so one object serves every caller
};

ReaderAnswer answerFor(std::string_view bytes) {
    auto dictionary =
        ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(bytes));
    if (!dictionary) {
        return {}; // a file that cannot be read as a dictionary is an empty record
    }
    return {isOnText(dictionary->valueForKey(openKey)),
            colorFromSaveColor(dictionary->valueForKey(colorKey))};
}

// The last bytes the readers parsed in this process, and their answer. A keyboard
// reads the file twice a layout pass and again on every pass after; bytes identical
// to those parsed last time are not parsed again. Only the bytes decide, never the
// file's metadata, so every change is seen at the next read.
class LastReading {
  public:
    ReaderAnswer answer(std::string_view bytes) {
        {
            std::lock_guard lock(mutex_);
            if (valid_ && bytes == bytes_) {
                return answer_;
            }
        }
        ReaderAnswer fresh = answerFor(bytes);
        std::lock_guard lock(mutex_);
        bytes_.assign(bytes);
        answer_ = fresh;
        valid_ = true;
        return fresh;
    }

  private:
    std::mutex mutex_;
    bool valid_ = false;
    std::string bytes_;
    ReaderAnswer answer_;
};

// The file read afresh, as the platform's dictionary reader reads it.
ReaderAnswer readerAnswer() {
    static LastReading* last = new LastReading; // never destroyed: readers may run at exit
    thread_local NSFileManager::ReadBuffer buffer;
    std::optional<std::string_view> bytes =
        NSFileManager::defaultManager()->contentsAtPath(TintPreferencesPath, buffer);
    return bytes ? last->answer(*bytes) : ReaderAnswer{};
}

} // namespace

std::string hostPath() {
    return NSFileManager::hostPath(TintPreferencesPath);
}

ScreenPreferences loadForScreen() {
    ScreenPreferences preferences;
    if (!NSFileManager::defaultManager()->fileExistsAtPath(TintPreferencesPath)) {
        preferences.creation = createIfMissing(preferences.created);
        if (preferences.created || !preferences.creation.succeeded()) {
            return preferences;
        }
        // Another writer created it in the meantime: its file is read as any other.
    }
    // A file that exists but cannot be read reads as an empty record, and is left alone.
    if (auto dictionary = NSDictionary::dictionaryWithContentsOfFile(TintPreferencesPath)) {
        preferences.storedColor = colorFromSaveColor(dictionary->valueForKey(colorKey));
        preferences.openText = ns_cast<NSString>(dictionary->valueForKey(openKey));
    }
    return preferences;
}

ToggleResult toggleOpen() {
    ToggleResult result;
    bool wasOn = false;
    result.write = changeFile([&](NSMutableDictionary& dictionary) {
        wasOn = isOnText(dictionary.valueForKey(openKey));
        dictionary.setObject(NSString::string(wasOn ? "off" : "on"), openKey);
    });
    // Nothing written: readers see what was there, off for a file they cannot read.
    bool nowOn = result.write.succeeded() ? !wasOn : wasOn;
    result.state = nowOn ? TintState::On : TintState::Off;
    return result;
}

WriteResult storeColor(const UIColorRef& color) {
    if (!color) {
        return failure(WriteFailure::CouldNotWrite, "there is no colour to store");
    }
    std::shared_ptr<NSArray> text = textForm(*color);
    return changeFile(
        [&](NSMutableDictionary& dictionary) { dictionary.setObject(text, colorKey); });
}

// The read's own open is the existence test: where no file is, it fails and nothing
// is read. A separate test first would cost a path lookup on every layout pass.
bool isOpen() {
    return readerAnswer().open;
}

UIColorRef storedTint() {
    return readerAnswer().tint;
}

} // namespace TintPreferences
