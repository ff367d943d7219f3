// Arbitrary bytes as the preferences file: both readers of the keyboard, the settings
// screen's reader, and the property-list readers, which must agree whenever the quick
// reader accepts a document.
#include <Foundation/Foundation.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/PropertyListQuickReader.h>
#include <TintPreferences.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Same structure, same kinds of numbers.
bool sameList(const NSObject* a, const NSObject* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    if (auto x = dynamic_cast<const NSNumber*>(a)) {
        auto y = dynamic_cast<const NSNumber*>(b);
        return y && x->kind() == y->kind() && x->isEqual(y);
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

const std::string& preferencesFile() {
    static const std::string path = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/prismkey-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        NSFileManager::setDeviceRoot(pattern);
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        return NSFileManager::hostPath(TintPreferencesPath);
    }();
    return path;
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "PreferencesFileFuzzer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<NSObjectRef> quick = PropertyListQuickReader::read(bytes);
    NSObjectRef general =
        NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(bytes);
    if (quick) {
        check(sameList(quick->get(), general.get()), "the quick and the general reader disagree");
    }

    {
        std::ofstream out(preferencesFile(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    auto dictionary =
        ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(bytes));
    bool readable = dictionary && size <= NSFileManager::maximumReadSize;
    auto open = readable ? ns_cast<NSString>(dictionary->objectForKey("open")) : nullptr;
    check(TintPreferences::isOpen() == (open && open->isEqualToString("on")),
          "isOpen disagrees with the file");
    UIColorRef tint = TintPreferences::storedTint();
    TintPreferences::ScreenPreferences screen = TintPreferences::loadForScreen();
    check(!screen.created, "the screen replaced an existing file");
    check((tint == nullptr) == (screen.storedColor == nullptr), "the two colour readers disagree");
    return 0;
}
