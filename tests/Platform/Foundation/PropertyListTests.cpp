#include <Foundation/Foundation.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/PropertyListQuickReader.h>

#include <gtest/gtest.h>

#include <cmath>

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

TEST(PropertyList, ValuesAPropertyListCannotHoldAreRefused) {
    auto withNull = NSMutableDictionary::dictionary();
    withNull->setObject(NSNull::null(), "nothing");
    auto withInfinity = NSMutableDictionary::dictionary();
    withInfinity->setObject(NSNumber::numberWithDouble(1.0 / 0.0), "infinite");
    for (const auto& list : {withNull, withInfinity}) {
        std::string xml, error;
        EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(*list, xml, &error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
