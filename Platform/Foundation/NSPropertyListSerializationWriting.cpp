// Writing property lists: objects into libplist's nodes, the XML text, and the check
// that the text reads back as exactly the objects it came from.
#include <Foundation/NSPropertyListSerialization.h>

#include "PropertyListNodes.h"
#include "PropertyListQuickReader.h"
#include "PropertyListText.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>
#include <Foundation/PropertyListSet.h>
#include <Foundation/PropertyListUID.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

bool fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return false;
}

// Why the node of an object could not be made, and where: the first reason found is
// kept, and each container it passes on the way out puts its key or index in front.
struct NodeRefusal {
    std::string reason;
    std::string where;
    plist_t refuse(std::string why) {
        if (reason.empty()) {
            reason = std::move(why);
        }
        return nullptr;
    }
    plist_t within(const std::string& step) {
        where = where.empty() ? step : step + "/" + where;
        return nullptr;
    }
};

// libplist writes an integer above the signed range unsigned only in a wider form
// of its own, which no constructor makes; its XML reader does.
plist_t unsignedIntegerNode(std::uint64_t value) {
    std::string xml =
        "<plist version=\"1.0\"><integer>" + std::to_string(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
    return node;
}

plist_t nodeFromString(const std::string& text, NodeRefusal& refusal) {
    if (!PropertyListText::xmlCarries(text)) {
        return refusal.refuse(
            "text XML cannot carry (a control character, a lone surrogate or bytes that "
            "are not UTF-8)");
    }
    return plist_new_string(text.c_str());
}

plist_t nodeFromNumber(const NSNumber& number, NodeRefusal& refusal) {
    if (!number.isExact()) {
        return refusal.refuse("an integer beyond the 64-bit ranges, which no reader holds exactly");
    }
    switch (number.kind()) {
    case NSNumber::Kind::Boolean:
        return plist_new_bool(number.boolValue() ? 1 : 0);
    case NSNumber::Kind::Integer:
        return plist_new_uint(static_cast<uint64_t>(number.longLongValue()));
    case NSNumber::Kind::UnsignedInteger:
        return unsignedIntegerNode(number.unsignedLongLongValue());
    case NSNumber::Kind::Real:
        // NaN and the infinities are written as "nan", "+infinity" and "-infinity",
        // which every reader takes; negative zero would be written as 0.0.
        if (number.doubleValue() == 0 && std::signbit(number.doubleValue())) {
            return refusal.refuse("a real of negative zero, which the XML form writes as 0");
        }
        return plist_new_real(number.doubleValue());
    }
    return nullptr;
}

// The XML form holds whole seconds, and libplist seconds of 32 bits from 2001.
plist_t nodeFromDate(const NSDate& date, NodeRefusal& refusal) {
    double interval = date.timeIntervalSinceReferenceDate();
    if (!std::isfinite(interval) || interval < INT32_MIN + 1.0 || interval > INT32_MAX) {
        return refusal.refuse("a date outside the years 1933 to 2069");
    }
    if (interval != std::floor(interval)) {
        return refusal.refuse("a date with a fraction of a second, which the XML form drops");
    }
    return plist_new_date(static_cast<int32_t>(interval), 0);
}

plist_t nodeFromObject(const NSObject& object, int depth, NodeRefusal& refusal);

plist_t nodeFromDictionary(const NSDictionary& dictionary, int depth, NodeRefusal& refusal) {
    PlistPtr node(plist_new_dict());
    for (const std::string& key : dictionary.allKeys()) {
        if (!PropertyListText::xmlCarries(key)) {
            refusal.refuse("a key XML cannot carry (a NUL or other control character, a lone "
                           "surrogate or bytes that are not UTF-8)");
            return refusal.within(ns_quotedText(key));
        }
        const NSObjectRef& value = dictionary.entries().at(key);
        plist_t item = value ? nodeFromObject(*value, depth, refusal) : nullptr;
        if (item == nullptr) {
            return refusal.within(ns_quotedText(key));
        }
        plist_dict_set_item(node.get(), key.c_str(), item);
    }
    return node.release();
}

plist_t nodeFromArray(const NSArray& array, int depth, NodeRefusal& refusal) {
    PlistPtr node(plist_new_array());
    for (NSUInteger i = 0; i < array.count(); ++i) {
        const NSObjectRef& value = array.objectAtIndex(i);
        plist_t item = value ? nodeFromObject(*value, depth, refusal) : nullptr;
        if (item == nullptr) {
            return refusal.within(std::to_string(i));
        }
        plist_array_append_item(node.get(), item);
    }
    return node.release();
}

// `depth` counts the containers around `object`, which may be as deep as a reader
// takes them.
plist_t nodeFromObject(const NSObject& object, int depth, NodeRefusal& refusal) {
    if (auto string = dynamic_cast<const NSString*>(&object)) {
        return nodeFromString(string->utf8(), refusal);
    }
    if (auto number = dynamic_cast<const NSNumber*>(&object)) {
        return nodeFromNumber(*number, refusal);
    }
    if (auto data = dynamic_cast<const NSData*>(&object)) {
        return plist_new_data(reinterpret_cast<const char*>(data->bytes().data()), data->length());
    }
    if (auto date = dynamic_cast<const NSDate*>(&object)) {
        return nodeFromDate(*date, refusal);
    }
    if (dynamic_cast<const PropertyListUID*>(&object)) {
        return refusal.refuse("a keyed-archive identifier (UID), which the XML form cannot carry");
    }
    if (dynamic_cast<const PropertyListSet*>(&object)) {
        return refusal.refuse("a set, which the XML form would turn into an array");
    }
    bool container =
        dynamic_cast<const NSDictionary*>(&object) || dynamic_cast<const NSArray*>(&object);
    if (container && depth + 1 > PropertyListBudget::maximumDepth) {
        return refusal.refuse(PropertyListBudget::nestedTooDeep());
    }
    if (auto dictionary = dynamic_cast<const NSDictionary*>(&object)) {
        return nodeFromDictionary(*dictionary, depth + 1, refusal);
    }
    if (auto array = dynamic_cast<const NSArray*>(&object)) {
        return nodeFromArray(*array, depth + 1, refusal);
    }
    return refusal.refuse("something a property list cannot hold");
}

bool sameValue(const NSObject& a, const NSObject& b, std::string& where);

bool sameNumber(const NSNumber& a, const NSNumber& b) {
    if (a.kind() != b.kind()) {
        return false;
    }
    if (a.kind() != NSNumber::Kind::Real) {
        return a.longLongValue() == b.longLongValue();
    }
    double x = a.doubleValue(), y = b.doubleValue();
    return (std::isnan(x) && std::isnan(y)) ||
           std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

// The path of a difference one step further out: `step`, then the path within it.
std::string pathThrough(std::string step, const std::string& within) {
    if (!within.empty()) {
        step += '/';
        step += within;
    }
    return step;
}

bool sameDictionary(const NSDictionary& a, const NSDictionary& b, std::string& where) {
    if (a.allKeys() != b.allKeys()) {
        return false;
    }
    for (const auto& [key, value] : a.entries()) {
        NSObjectRef other = b.objectForKey(key);
        if (!value || !other || !sameValue(*value, *other, where)) {
            where = pathThrough(ns_quotedText(key), where);
            return false;
        }
    }
    return true;
}

bool sameArray(const NSArray& a, const NSArray& b, std::string& where) {
    if (a.count() != b.count()) {
        return false;
    }
    for (NSUInteger i = 0; i < a.count(); ++i) {
        const NSObjectRef& x = a.objectAtIndex(i);
        const NSObjectRef& y = b.objectAtIndex(i);
        if (!x || !y || !sameValue(*x, *y, where)) {
            where = pathThrough(std::to_string(i), where);
            return false;
        }
    }
    return true;
}

// Whether `b` is exactly `a`: the same kinds, texts, bytes and bits (every NaN alike).
// On a difference, `where` is its path of keys and indexes.
bool sameValue(const NSObject& a, const NSObject& b, std::string& where) {
    if (auto x = dynamic_cast<const NSDictionary*>(&a)) {
        auto y = dynamic_cast<const NSDictionary*>(&b);
        return y && sameDictionary(*x, *y, where);
    }
    if (auto x = dynamic_cast<const NSArray*>(&a)) {
        auto y = dynamic_cast<const NSArray*>(&b);
        return y && sameArray(*x, *y, where);
    }
    if (auto x = dynamic_cast<const NSNumber*>(&a)) {
        auto y = dynamic_cast<const NSNumber*>(&b);
        return y && sameNumber(*x, *y);
    }
    if (auto x = dynamic_cast<const NSDate*>(&a)) {
        auto y = dynamic_cast<const NSDate*>(&b);
        return y && x->timeIntervalSinceReferenceDate() == y->timeIntervalSinceReferenceDate();
    }
    return a.isEqual(&b); // strings and data: byte for byte
}

// Why `written` would not be read back as `list` by every reader, or nothing: the
// readers' budget, then the general reader and the quick one (when it takes the text).
std::optional<std::string> readBackProblem(const NSObject& list, const std::string& written) {
    if (std::optional<std::string> refusal = PropertyListBudget::check(written)) {
        return "the file would be unreadable: " + *refusal;
    }
    std::string where;
    NSObjectRef general =
        NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(written);
    std::optional<NSObjectRef> quick = PropertyListQuickReader::read(written);
    if (general && sameValue(list, *general, where) &&
        (!quick || (*quick && sameValue(list, **quick, where)))) {
        return std::nullopt;
    }
    return where.empty() ? "a value would not read back as it is"
                         : "the value at " + where + " would not read back as it is";
}

} // namespace

bool NSPropertyListSerialization::dataWithPropertyList(const NSObject& list, std::string& xml,
                                                       std::string* error) {
    NodeRefusal refusal;
    PlistPtr root(nodeFromObject(list, 0, refusal));
    if (!root) {
        return fail(error, (refusal.where.empty() ? "the value holds "
                                                  : "the value at " + refusal.where + " holds ") +
                               refusal.reason);
    }
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    PlistXmlPtr text(raw);
    if (!text) {
        return fail(error, "the property list could not be written");
    }
    std::string written(text.get(), length);
    if (std::optional<std::string> problem = readBackProblem(list, written)) {
        return fail(error, *problem);
    }
    xml = std::move(written);
    return true;
}
