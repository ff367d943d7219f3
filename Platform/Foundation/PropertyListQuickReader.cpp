#include "PropertyListQuickReader.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>
#include <Foundation/PropertyListBudget.h>

#include <charconv>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Printable ASCII without the characters that start markup or an entity: text the
// general reader takes byte for byte.
bool isPlainText(char c) {
    return c >= 0x20 && c <= 0x7e && c != '<' && c != '&';
}

} // namespace

std::optional<NSObjectRef> PropertyListQuickReader::read(std::string_view xml) {
    PropertyListQuickReader reader(xml);
    if (xml.size() > PropertyListBudget::maximumBytes || !reader.skipPrologue()) {
        return std::nullopt;
    }
    NSObjectRef list = reader.value(0, true);
    if (!list) {
        return std::nullopt;
    }
    reader.skipSpace();
    if (!reader.accept("</plist>")) {
        return std::nullopt;
    }
    reader.skipSpace();
    if (!reader.rest_.empty()) {
        return std::nullopt;
    }
    return list;
}

// Only the prologues that writers of property lists produce, byte for byte; any other
// declaration, document type or plist element is the general reader's to judge.
bool PropertyListQuickReader::skipPrologue() {
    static constexpr std::string_view declarations[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
        "<?xml version=\"1.0\"?>",
    };
    static constexpr std::string_view documentType =
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";
    skipSpace();
    for (std::string_view declaration : declarations) {
        if (accept(declaration)) {
            break;
        }
    }
    skipSpace();
    accept(documentType);
    skipSpace();
    if (!accept("<plist version=\"1.0\">") && !accept("<plist>")) {
        return false;
    }
    skipSpace();
    return true;
}

// `depth` counts the containers around the value.
NSObjectRef PropertyListQuickReader::value(int depth, bool topLevel) {
    if (++objects_ > PropertyListBudget::maximumObjects) {
        return nullptr;
    }
    const bool nestedTooDeep = depth + 1 > PropertyListBudget::maximumDepth;
    std::string_view contents;
    if (accept("<string>")) {
        return text("</string>", contents) ? NSString::string(std::string(contents)) : nullptr;
    }
    if (accept("<dict>")) {
        return nestedTooDeep ? nullptr : dictionary(depth + 1, topLevel);
    }
    if (accept("<array>")) {
        return nestedTooDeep ? nullptr : array(depth + 1);
    }
    if (accept("<string/>")) {
        return NSString::string("");
    }
    if (accept("<integer>")) {
        return integer();
    }
    if (accept("<true/>")) {
        return NSNumber::numberWithBool(true);
    }
    if (accept("<false/>")) {
        return NSNumber::numberWithBool(false);
    }
    if (accept("<dict/>")) {
        if (nestedTooDeep) {
            return nullptr;
        }
        return topLevel ? NSMutableDictionary::dictionary() : std::make_shared<NSDictionary>();
    }
    if (accept("<array/>")) {
        return nestedTooDeep ? nullptr : std::make_shared<NSArray>();
    }
    return nullptr;
}

NSObjectRef PropertyListQuickReader::dictionary(int depth, bool topLevel) {
    NSDictionary::Storage entries;
    for (std::size_t keys = 1;; ++keys) {
        skipSpace();
        if (accept("</dict>")) {
            break;
        }
        std::string_view key;
        if (++objects_ > PropertyListBudget::maximumObjects ||
            keys > PropertyListBudget::maximumDictionaryKeys || !accept("<key>") ||
            !text("</key>", key)) {
            return nullptr;
        }
        skipSpace();
        NSObjectRef item = value(depth, false);
        // A repeated key is resolved by the general reader's rule.
        if (!item || !entries.emplace(std::string(key), std::move(item)).second) {
            return nullptr;
        }
    }
    if (topLevel) {
        return std::make_shared<NSMutableDictionary>(std::move(entries));
    }
    return std::make_shared<NSDictionary>(std::move(entries));
}

NSObjectRef PropertyListQuickReader::array(int depth) {
    std::vector<NSObjectRef> items;
    for (;;) {
        skipSpace();
        if (accept("</array>")) {
            return std::make_shared<NSArray>(std::move(items));
        }
        NSObjectRef item = value(depth, false);
        if (!item) {
            return nullptr;
        }
        items.push_back(std::move(item));
    }
}

NSObjectRef PropertyListQuickReader::integer() {
    std::string_view digits;
    if (!text("</integer>", digits)) {
        return nullptr;
    }
    // Plain decimal that fits without question; signs, spaces, hexadecimal and huge
    // values go to the general reader.
    std::size_t start = !digits.empty() && digits.front() == '-' ? 1 : 0;
    std::size_t count = digits.size() - start;
    if (count == 0 || count > 18) {
        return nullptr;
    }
    for (char c : digits.substr(start)) {
        if (c < '0' || c > '9') {
            return nullptr;
        }
    }
    long long number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return NSNumber::numberWithLongLong(number);
}

bool PropertyListQuickReader::text(std::string_view closingTag, std::string_view& result) {
    std::size_t length = 0;
    while (length < rest_.size() && isPlainText(rest_[length])) {
        ++length;
    }
    result = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return accept(closingTag);
}

bool PropertyListQuickReader::accept(std::string_view token) {
    if (rest_.substr(0, token.size()) != token) {
        return false;
    }
    rest_.remove_prefix(token.size());
    return true;
}

void PropertyListQuickReader::skipSpace() {
    std::size_t i = 0;
    while (i < rest_.size() && isSpace(rest_[i])) {
        ++i;
    }
    rest_.remove_prefix(i);
}
