// Arbitrary bytes through the whole read path: as the preferences file, both readers
// of the keyboard (isOpen, storedTint, the second time from the bytes kept), the
// settings screen's reader and its writes (a toggle on the file itself); as a plug-in
// filter, the loader's reader; and the property-list readers, which must agree
// whenever the quick reader accepts a document. Every list read is written back and
// read again: what is written reads back, in every reader and within their budget, as
// what was read, or nothing is written. Whatever the bytes, the time and memory
// libFuzzer allows (-timeout, -rss_limit_mb) are enough.
#include <Foundation/Foundation.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/PropertyListBudget.h>
#include <Foundation/PropertyListQuickReader.h>
#include <PluginLoader.h>
#include <TintPreferences.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Same structure, same kinds of numbers, every NaN alike.
bool sameList(const NSObject* a, const NSObject* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    if (auto x = dynamic_cast<const NSNumber*>(a)) {
        auto y = dynamic_cast<const NSNumber*>(b);
        bool bothNaN = y && std::isnan(x->doubleValue()) && std::isnan(y->doubleValue());
        return y && x->kind() == y->kind() && (x->isEqual(y) || bothNaN);
    }
    if (auto x = dynamic_cast<const NSArray*>(a)) {
        auto y = dynamic_cast<const NSArray*>(b);
        if (!y || x->count() != y->count()) {
            return false;
        }
        for (NSUInteger i = 0; i < x->count(); ++i) {
            if (!sameList(x->objectAtIndex(i).get(), y->objectAtIndex(i).get())) {
                return false;
            }
        }
        return true;
    }
    if (auto x = dynamic_cast<const NSDictionary*>(a)) {
        auto y = dynamic_cast<const NSDictionary*>(b);
        if (!y || x->allKeys() != y->allKeys()) {
            return false;
        }
        for (const auto& key : x->allKeys()) {
            if (!sameList(x->objectForKey(key).get(), y->objectForKey(key).get())) {
                return false;
            }
        }
        return true;
    }
    return a->isEqual(b);
}

struct Paths {
    std::string preferences;
    std::string filter;
};

const Paths& paths() {
    static const Paths instance = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/prismkey-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        NSFileManager::setDeviceRoot(pattern);
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        return Paths{NSFileManager::hostPath(TintPreferencesPath),
                     NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries/F.plist")};
    }();
    return instance;
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "PreferencesFileFuzzer: %s\n", what);
        std::abort();
    }
}

void put(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What is written reads back as what was read, in every reader and within their
// budget, or nothing is written.
void checkWriteBack(const NSObject& list) {
    std::string xml;
    if (!NSPropertyListSerialization::dataWithPropertyList(list, xml)) {
        return;
    }
    check(!PropertyListBudget::check(xml), "what is written is past a reader's budget");
    NSObjectRef general = NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(xml);
    check(sameList(general.get(), &list), "a value changed on its way through the file");
    std::optional<NSObjectRef> quick = PropertyListQuickReader::read(xml);
    check(!quick || sameList(quick->get(), &list), "the quick reader reads the write otherwise");
}

void checkReaders(std::string_view bytes) {
    std::optional<NSObjectRef> quick = PropertyListQuickReader::read(bytes);
    NSObjectRef general =
        NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(bytes);
    if (quick) {
        check(sameList(quick->get(), general.get()), "the quick and the general reader disagree");
    }
    if (general) {
        checkWriteBack(*general);
    }
}

// A toggle writes the file as it was with "open" flipped, or leaves it byte for byte.
void checkToggle(std::string_view bytes, const NSDictionary& before) {
    TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
    std::string after;
    NSFileManager::defaultManager()->contentsAtPath(TintPreferencesPath, after);
    if (!toggled.write.succeeded()) {
        check(after == bytes, "a refused toggle changed the file");
        return;
    }
    auto expected = NSMutableDictionary::dictionary();
    for (const auto& key : before.allKeys()) {
        expected->setObject(before.objectForKey(key), key);
    }
    auto open = ns_cast<NSString>(before.objectForKey("open"));
    bool wasOn = open && open->isEqualToString("on");
    expected->setObject(NSString::string(wasOn ? "off" : "on"), "open");
    auto written = NSDictionary::dictionaryWithContentsOfFile(TintPreferencesPath);
    check(sameList(written.get(), expected.get()), "a toggle changed more than \"open\"");
    check(TintPreferences::isOpen() == !wasOn, "the keyboard misreads a toggled file");
}

void checkPreferencesFile(std::string_view bytes) {
    put(paths().preferences, bytes);
    auto dictionary =
        ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(bytes));
    bool readable = dictionary && bytes.size() <= NSFileManager::maximumReadSize;
    auto open = readable ? ns_cast<NSString>(dictionary->objectForKey("open")) : nullptr;
    const bool expectedOpen = open && open->isEqualToString("on");
    check(TintPreferences::isOpen() == expectedOpen, "isOpen disagrees with the file");
    check(TintPreferences::isOpen() == expectedOpen, "isOpen disagrees with the bytes kept");
    UIColorRef tint = TintPreferences::storedTint();
    TintPreferences::ScreenPreferences screen = TintPreferences::loadForScreen();
    check(!screen.created, "the screen replaced an existing file");
    check((tint == nullptr) == (screen.storedColor == nullptr), "the two colour readers disagree");
    if (readable) {
        checkToggle(bytes, *dictionary);
    }
}

void checkFilter(std::string_view bytes) {
    put(paths().filter, bytes);
    auto expected = ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(bytes));
    std::string problem;
    std::shared_ptr<NSDictionary> filter = PluginLoader::filterAtPath(paths().filter, &problem);
    bool readable = expected && bytes.size() <= NSFileManager::maximumReadSize;
    check((filter != nullptr) == readable, "the loader reads a filter unlike other files");
    check(filter || !problem.empty(), "a filter refused without a reason");
    if (filter) {
        PluginLoader::filterMatches(*filter, {"keyboard-host", {"com.apple.UIKit"}}, &problem);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkReaders(bytes);
    checkPreferencesFile(bytes);
    checkFilter(bytes);
    return 0;
}
