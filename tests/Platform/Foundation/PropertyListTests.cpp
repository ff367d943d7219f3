#include <Foundation/Foundation.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/PropertyListQuickReader.h>

#include "../../shared/BinaryPropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n";

std::string plist(const std::string& body) {
    return header + body + "\n</plist>\n";
}

// Same structure, same kinds of numbers: stricter than isEqual, which takes YES for 1.
bool sameList(const NSObject* a, const NSObject* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    if (auto x = dynamic_cast<const NSNumber*>(a)) {
        auto y = dynamic_cast<const NSNumber*>(b);
        bool bothNaN = std::isnan(x->doubleValue()) && y && std::isnan(y->doubleValue());
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

TEST(PropertyList, QuickAndGeneralReadersAgreeOnTheCommonShape) {
    const std::vector<std::string> documents = {
        plist("<dict>\n\t<key>open</key>\n\t<string>on</string>\n</dict>"),
        plist("<dict><key>open</key><string>off</string><key>saveColor</"
              "key><array><string>UIDeviceRGBColorSpace"
              "</string><string>0.2</string><string>0.4</string><string>0.6</string><string>1</"
              "string></array>"
              "</dict>"),
        plist("<dict><key>a</key><true/><key>b</key><false/><key>c</key><integer>-42</integer>"
              "<key>d</key><integer>123456789012345678</integer><key>e</key><string/><key>f</"
              "key><dict/>"
              "<key>g</key><array/><key> spaced key </key><string> x > y </string></dict>"),
        plist("<dict><key>outer</key><dict><key>inner</key><array><array><string>deep</string></"
              "array></array>"
              "</dict></dict>"),
        "<plist version=\"1.0\"><dict/></plist>",
        plist("<array><string>top level array</string></array>"),
    };
    for (const auto& document : documents) {
        std::optional<NSObjectRef> quick = PropertyListQuickReader::read(document);
        ASSERT_TRUE(quick.has_value()) << document;
        NSObjectRef general =
            NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(document);
        ASSERT_TRUE(general) << document;
        EXPECT_TRUE(sameList(quick->get(), general.get())) << document;
    }
}

TEST(PropertyList, QuickReaderLeavesUnusualListsToTheGeneralReader) {
    const std::vector<std::pair<std::string, std::string>> documents = {
        {"entity", plist("<dict><key>a</key><string>fish &amp; chips</string></dict>")},
        {"comment", plist("<dict><!-- note --><key>a</key><string>x</string></dict>")},
        {"real", plist("<dict><key>a</key><real>0.5</real></dict>")},
        {"repeated key",
         plist("<dict><key>a</key><string>x</string><key>a</key><string>y</string></dict>")},
        {"non-ASCII", plist("<dict><key>a</key><string>gr\xc3\xbcn</string></dict>")},
        {"hexadecimal", plist("<dict><key>a</key><integer>0x10</integer></dict>")},
        {"huge integer", plist("<dict><key>a</key><integer>18446744073709551615</integer></dict>")},
        {"no plist element", "<dict><key>a</key><string>x</string></dict>"},
        {"trailing text", plist("<dict/>") + "garbage"},
        {"binary", "bplist00\xd0\x08"},
    };
    for (const auto& [name, document] : documents) {
        EXPECT_FALSE(PropertyListQuickReader::read(document).has_value()) << name;
    }
    auto entity = ns_cast<NSDictionary>(
        NSPropertyListSerialization::propertyListWithData(documents[0].second));
    ASSERT_TRUE(entity);
    EXPECT_EQ(ns_cast<NSString>(entity->objectForKey("a"))->utf8(), "fish & chips");
    auto repeated = ns_cast<NSDictionary>(
        NSPropertyListSerialization::propertyListWithData(documents[3].second));
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->count(), 1u);
}

TEST(PropertyList, MalformedDataIsNoList) {
    const std::vector<std::string> documents = {
        "",
        "not a property list",
        plist("<dict><key>a</key><string>x</strin></dict>"),
        plist("<dict><string>value without key</string></dict>"),
        "<PLIST><dict/></PLIST>",
        "bplist00",
    };
    for (const auto& document : documents) {
        std::string error;
        EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(document, &error))
            << document;
        EXPECT_FALSE(error.empty()) << document;
    }
}

TEST(PropertyList, NestingDeeperThanTheLimitIsRefused) {
    auto nested = [](int depth) {
        std::string body;
        for (int i = 0; i < depth; ++i) {
            body += "<array>";
        }
        for (int i = 0; i < depth; ++i) {
            body += "</array>";
        }
        return plist(body);
    };
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(nested(100)));
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(nested(1000)));
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(nested(1000)));
}

TEST(PropertyList, RealsBeyondTheIntegerRangeReadAsReals) {
    for (const char* text : {"1e300", "-1e300", "nan"}) {
        auto list = ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(
            plist("<dict><key>r</key><real>" + std::string(text) + "</real></dict>")));
        ASSERT_TRUE(list) << text;
        auto number = ns_cast<NSNumber>(list->objectForKey("r"));
        ASSERT_TRUE(number) << text;
        EXPECT_EQ(number->kind(), NSNumber::Kind::Real);
        EXPECT_EQ(std::isnan(number->doubleValue()), std::string(text) == "nan");
    }
}

TEST(PropertyList, WritesXmlVersionOneThatReadsBackAlike) {
    auto inner = NSMutableDictionary::dictionary();
    inner->setObject(
        NSArray::arrayWithObjects({NSString::string("a"), NSNumber::numberWithInteger(-3)}),
        "list");
    auto list = NSMutableDictionary::dictionary();
    list->setObject(NSString::string("on"), "open");
    list->setObject(NSString::string("<&> \"quoted\""), "markup");
    list->setObject(NSNumber::numberWithBool(true), "flag");
    list->setObject(NSNumber::numberWithDouble(0.1), "real");
    list->setObject(std::make_shared<NSData>(std::vector<std::uint8_t>{0, 1, 254, 255}), "data");
    list->setObject(std::make_shared<NSDate>(123456789.0), "date");
    list->setObject(inner, "inner");

    std::string xml;
    ASSERT_TRUE(NSPropertyListSerialization::dataWithPropertyList(*list, xml));
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(xml.find("<plist version=\"1.0\">"), std::string::npos);
    NSObjectRef back = NSPropertyListSerialization::propertyListWithData(xml);
    EXPECT_TRUE(sameList(back.get(), list.get())) << xml;
    EXPECT_TRUE(ns_cast<NSMutableDictionary>(back)) << "the top-level dictionary reads as mutable";
}

// Values the XML form cannot carry exactly: nothing is written, and the reason names
// what was found and where.
TEST(PropertyList, ValuesAPropertyListCannotHoldAreRefused) {
    const struct {
        const char* name;
        NSObjectRef value;
        const char* reason;
    } rows[] = {
        {"null", NSNull::null(), "something a property list cannot hold"},
        {"negative zero", NSNumber::numberWithDouble(-0.0), "negative zero"},
        {"date with a fraction", std::make_shared<NSDate>(0.5), "fraction of a second"},
        {"date beyond 2069", std::make_shared<NSDate>(3e9), "1933 to 2069"},
        {"date read as unknown", std::make_shared<NSDate>(std::nan("")), "1933 to 2069"},
        {"text with a NUL", NSString::string(std::string("a\0b", 3)), "text XML cannot carry"},
        {"text with a control character",
         NSString::string("a\x01"
                          "b"),
         "text XML cannot carry"},
        {"text with a carriage return", NSString::string("a\rb"), "text XML cannot carry"},
        {"text that is not UTF-8", NSString::string("a\xff"), "text XML cannot carry"},
    };
    for (const auto& row : rows) {
        auto list = NSMutableDictionary::dictionary();
        list->setObject(row.value, "key");
        std::string xml = "untouched", error;
        EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(*list, xml, &error))
            << row.name;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.name << ": " << error;
        EXPECT_EQ(xml, "untouched") << row.name;
    }
}

// Every value a list may hold that the app does not write comes back exactly.
TEST(PropertyList, EveryValueSurvivesWritingAndReading) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<const char*, NSObjectRef>> rows = {
        {"largest unsigned", NSNumber::numberWithUnsignedLongLong(UINT64_MAX)},
        {"above the signed range", NSNumber::numberWithUnsignedLongLong(1ULL << 63)},
        {"minus one", NSNumber::numberWithLongLong(-1)},
        {"smallest signed", NSNumber::numberWithLongLong(INT64_MIN)},
        {"largest signed", NSNumber::numberWithLongLong(INT64_MAX)},
        {"NaN", NSNumber::numberWithDouble(std::nan(""))},
        {"infinity", NSNumber::numberWithDouble(infinity)},
        {"minus infinity", NSNumber::numberWithDouble(-infinity)},
        {"smallest subnormal",
         NSNumber::numberWithDouble(std::numeric_limits<double>::denorm_min())},
        {"largest real", NSNumber::numberWithDouble(std::numeric_limits<double>::max())},
        {"a tenth", NSNumber::numberWithDouble(0.1)},
        {"date", std::make_shared<NSDate>(-1e9)},
        {"data", std::make_shared<NSData>(std::vector<std::uint8_t>{0, 0x3c, 0xff})},
        {"empty text", NSString::string("")},
        {"non-ASCII text", NSString::string("gr\xc3\xbcn \xe2\x82\xac \xf0\x9f\x8e\xa8")},
        {"markup in text", NSString::string("<a> & \"b\" ]]>")},
        {"nested containers", NSArray::arrayWithObjects(
                                  {NSArray::arrayWithObjects({}), NSMutableDictionary::dictionary(),
                                   NSArray::arrayWithObjects({NSString::string("deep")})})},
    };
    for (const auto& [name, value] : rows) {
        auto list = NSMutableDictionary::dictionary();
        list->setObject(value, name);
        list->setObject(NSString::string("empty key"), "");
        list->setObject(NSString::string("non-ASCII key"), "cl\xc3\xa9");
        std::string xml, error;
        ASSERT_TRUE(NSPropertyListSerialization::dataWithPropertyList(*list, xml, &error))
            << name << ": " << error;
        NSObjectRef back = NSPropertyListSerialization::propertyListWithData(xml);
        EXPECT_TRUE(sameList(back.get(), list.get())) << name << "\n" << xml;
    }
}

// ---- the budget: lists refused before anything is built ----------------------------

std::string xmlChain(int containers) {
    std::string body;
    for (int i = 0; i < containers; ++i) {
        body += "<array>";
    }
    for (int i = 0; i < containers; ++i) {
        body += "</array>";
    }
    return plist(body);
}

std::string xmlObjects(std::size_t count) {
    std::string body = "<array>";
    for (std::size_t i = 1; i < count; ++i) {
        body += "<true/>";
    }
    return plist(body + "</array>");
}

std::string xmlDictionary(int keys) {
    std::string body = "<dict>";
    for (int i = 0; i < keys; ++i) {
        body += "<key>k" + std::to_string(i) + "</key><true/>";
    }
    return plist(body + "</dict>");
}

std::string binaryDictionary(int keys) {
    binaryplist::Builder b;
    std::vector<std::pair<std::size_t, std::size_t>> entries;
    for (int i = 0; i < keys; ++i) {
        entries.emplace_back(b.string("k" + std::to_string(i)), b.string("v"));
    }
    return b.bytes(b.dictionary(entries));
}

std::string xmlReferences(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += i % 2 ? "&amp;" : "&#233;";
    }
    return plist("<string>" + text + "</string>");
}

// One long string referenced from every item of an array.
std::string sharedText(std::size_t uses) {
    binaryplist::Builder b;
    std::size_t text = b.string(std::string(4000, 't'));
    return b.bytes(b.array(std::vector<std::size_t>(uses, text)));
}

TEST(PropertyListBudget, ListsPastALimitAreRefusedWithTheReason) {
    const struct {
        const char* name;
        std::string bytes;
        const char* refusal; // null: read
    } rows[] = {
        {"shared references, 7 levels", binaryplist::doublingList(7), nullptr},
        {"shared references, 8 levels", binaryplist::doublingList(8), "more than 512 objects"},
        {"shared references, 28 levels", binaryplist::doublingList(28), "more than 512 objects"},
        {"cycle", binaryplist::cycle(), "nested deeper than 128"},
        {"binary chain at the limit", binaryplist::chain(128), nullptr},
        {"binary chain past the limit", binaryplist::chain(129), "nested deeper than 128"},
        {"XML chain at the limit", xmlChain(128), nullptr},
        {"XML chain past the limit", xmlChain(129), "nested deeper than 128"},
        {"XML objects at the limit", xmlObjects(512), nullptr},
        {"XML objects past the limit", xmlObjects(513), "more than 512 objects"},
        {"shared text within", sharedText(32), nullptr},
        {"shared text past", sharedText(33), "more than 128 KiB"},
        {"XML dictionary at the limit", xmlDictionary(64), nullptr},
        {"XML dictionary past the limit", xmlDictionary(65), "dictionary of more than 64 keys"},
        {"binary dictionary at the limit", binaryDictionary(64), nullptr},
        {"binary dictionary past the limit", binaryDictionary(65),
         "dictionary of more than 64 keys"},
        {"references at the limit", xmlReferences(64), nullptr},
        {"references past the limit", xmlReferences(65), "more than 64 character or entity"},
        {"offset past the end", binaryplist::offsetPastTheEnd(), "offset past its end"},
        {"truncated", binaryplist::doublingList(3).substr(0, 90), "unreadable"},
        {"document type with declarations",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a "
         "\"aaaa\">]><plist><string>&a;</string></plist>",
         "document type"},
    };
    for (const auto& row : rows) {
        for (auto read : {&NSPropertyListSerialization::propertyListWithData,
                          &NSPropertyListSerialization::propertyListWithDataUsingGeneralReader}) {
            std::string error;
            NSObjectRef list = read(row.bytes, &error);
            if (row.refusal == nullptr) {
                EXPECT_TRUE(list) << row.name << ": " << error;
            } else {
                EXPECT_FALSE(list) << row.name;
                EXPECT_NE(error.find(row.refusal), std::string::npos) << row.name << ": " << error;
            }
        }
    }
}

// The quick reader refuses what the budget refuses, so that the two readers agree.
TEST(PropertyListBudget, QuickReaderKeepsTheSameLimits) {
    EXPECT_TRUE(PropertyListQuickReader::read(xmlChain(128)).has_value());
    EXPECT_FALSE(PropertyListQuickReader::read(xmlChain(129)).has_value());
    EXPECT_TRUE(PropertyListQuickReader::read(xmlObjects(512)).has_value());
    EXPECT_FALSE(PropertyListQuickReader::read(xmlObjects(513)).has_value());
    EXPECT_TRUE(PropertyListQuickReader::read(xmlDictionary(64)).has_value());
    EXPECT_FALSE(PropertyListQuickReader::read(xmlDictionary(65)).has_value());
}

// A binary list read without its XML round trip keeps what that round trip lost.
TEST(PropertyList, BinaryListsReadExactly) {
    binaryplist::Builder b;
    std::size_t top = b.dictionary({{b.string("control"), b.string("a\x01b\rc")}});
    auto list =
        ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(b.bytes(top)));
    ASSERT_TRUE(list);
    EXPECT_EQ(ns_cast<NSString>(list->objectForKey("control"))->utf8(), "a\x01b\rc");
}

} // namespace
