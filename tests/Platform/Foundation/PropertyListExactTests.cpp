// What readers cannot hold exactly is never written back as something else; keys are
// whole; XML is read in the encodings the standard names; what is written is within
// every reader's budget.
#include <Foundation/Foundation.h>
#include <Foundation/NSPropertyListSerialization.h>

#include "../../shared/BinaryPropertyList.h"

#include <gtest/gtest.h>

namespace {

using Reader = NSObjectRef (*)(std::string_view, std::string*);
const Reader readers[] = {&NSPropertyListSerialization::propertyListWithData,
                          &NSPropertyListSerialization::propertyListWithDataUsingGeneralReader};

std::string xml(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>open</key><string>on</string>" +
           entries + "</dict></plist>\n";
}

// {"open": "on", key: an object given byte for byte}.
std::string binary(const std::string& key, const std::string& object) {
    binaryplist::Builder b;
    return b.bytes(
        b.dictionary({{b.string("open"), b.string("on")}, {b.string(key), b.raw(object)}}));
}

std::string integer16(const std::string& high, const std::string& low) {
    return "\x14" + high + low;
}

const std::string zeros(8, '\0'), ones(8, '\xff');

// Read as before by every reader ("open" is "on"), never written back.
TEST(PropertyListExactness, ValuesReadersCannotHoldMakeTheWriteRefuseNamingTheKey) {
    const struct {
        const char* name;
        std::string bytes;
        const char* where;
    } rows[] = {
        {"XML 2^64", xml("<key>big</key><integer>18446744073709551616</integer>"), "\"big\""},
        {"XML -2^63-1", xml("<key>big</key><integer>-9223372036854775809</integer>"), "\"big\""},
        {"XML -(2^64-1)", xml("<key>big</key><integer>-18446744073709551615</integer>"), "\"big\""},
        {"XML integer by reference",
         xml("<key>big</key><integer>1&#56;446744073709551616</integer>"), "\"big\""},
        {"binary 2^64", binary("big", integer16(std::string(7, '\0') + '\x01', zeros)), "\"big\""},
        {"binary -2^64", binary("big", integer16("\xff\xff\xff\xff\xff\xff\xff\xfe", zeros)),
         "\"big\""},
        {"binary lone surrogate", binary("text", std::string("\x61\xd8\x00", 3)), "\"text\""},
        {"XML lone surrogate", xml("<key>text</key><array><string>&#xD800;</string></array>"),
         "\"text\"/0"},
        {"XML bytes not UTF-8", xml("<key>text</key><string>a\xff</string>"), "\"text\""},
        {"binary NUL in a key", binary(std::string("open\0x", 6), "\x51x"), "\"open\\x00x\""},
    };
    for (const auto& row : rows) {
        for (Reader read : readers) {
            std::string error;
            auto list = ns_cast<NSDictionary>(read(row.bytes, &error));
            ASSERT_TRUE(list) << row.name << ": " << error;
            EXPECT_TRUE(ns_cast<NSString>(list->objectForKey("open"))->isEqualToString("on"));
            std::string written = "untouched";
            EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(*list, written, &error))
                << row.name;
            EXPECT_NE(error.find(std::string("at ") + row.where), std::string::npos)
                << row.name << ": " << error;
            EXPECT_EQ(written, "untouched") << row.name;
        }
    }
}

TEST(PropertyListExactness, SixteenByteIntegersInEitherRangeReadAndWriteExactly) {
    const struct {
        std::string bytes;
        const char* value;
    } rows[] = {
        {integer16(ones, ones), "-1"},
        {integer16(ones, "\x80" + std::string(7, '\0')), "-9223372036854775808"},
        {integer16(zeros, ones), "18446744073709551615"},
        {integer16(zeros, std::string(7, '\0') + '\x05'), "5"},
    };
    for (const auto& row : rows) {
        auto list = ns_cast<NSDictionary>(
            NSPropertyListSerialization::propertyListWithData(binary("n", row.bytes)));
        ASSERT_TRUE(list) << row.value;
        EXPECT_EQ(list->objectForKey("n")->description(), row.value);
        std::string written;
        ASSERT_TRUE(NSPropertyListSerialization::dataWithPropertyList(*list, written)) << row.value;
        auto back =
            ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(written));
        EXPECT_EQ(back->objectForKey("n")->description(), row.value);
    }
}

// Beside an integer out of range every other integer still reads as libplist reads it.
TEST(PropertyListExactness, OtherIntegersReadAsBeforeBesideOneOutOfRange) {
    const std::string integers = "<key>n</key><array><integer> -5</integer><integer>010</integer>"
                                 "<integer>0x10</integer><integer>+7</integer><integer>-0</integer>"
                                 "<integer>9223372036854775808</integer><integer></integer>"
                                 "<integer/><integer>\n12\n</integer></array>";
    auto plain =
        ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(xml(integers)));
    auto beside = ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(
        xml(integers + "<key>big</key><integer>99999999999999999999</integer>")));
    ASSERT_TRUE(plain && beside);
    EXPECT_TRUE(plain->objectForKey("n")->isEqual(beside->objectForKey("n").get()))
        << plain->description() << beside->description();
}

// Leading zeros are decimal, as every other reader of the format takes them, and so
// written back as the same number.
TEST(PropertyListExactness, IntegersWithLeadingZerosAreDecimal) {
    const std::pair<const char*, const char*> rows[] = {
        {"010", "10"}, {"-010", "-10"}, {"08", "8"}, {"0x10", "16"}, {"0", "0"}, {"00", "0"}};
    for (const auto& [text, value] : rows) {
        for (Reader read : readers) {
            auto list = ns_cast<NSDictionary>(
                read(xml("<key>n</key><integer>" + std::string(text) + "</integer>"), nullptr));
            ASSERT_TRUE(list) << text;
            EXPECT_EQ(list->objectForKey("n")->description(), value) << text;
        }
    }
}

// XML 1.0 has no NUL: a key is never cut at one, and binary keys keep theirs.
TEST(PropertyListExactness, KeysAreWholeOrTheListIsRefused) {
    const std::string rawNul = xml(std::string("<key>open\0x</key><string>off</string>", 38));
    for (const std::string& bytes : {rawNul, xml("<key>open&#0;x</key><string>off</string>")}) {
        for (Reader read : readers) {
            EXPECT_FALSE(read(bytes, nullptr));
        }
    }
    auto list = ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(
        binary(std::string("open\0x", 6), "\x52on")));
    ASSERT_TRUE(list);
    EXPECT_TRUE(ns_cast<NSString>(list->objectForKey(std::string("open\0x", 6))));
    EXPECT_TRUE(ns_cast<NSString>(list->objectForKey("open"))->isEqualToString("on"));
}

std::string utf16(const std::string& ascii, bool big) {
    std::string out = big ? "\xfe\xff" : "\xff\xfe";
    for (char c : ascii) {
        out += big ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

TEST(PropertyListEncodings, ByteOrderMarksAndUtf16ReadAsUtf8) {
    const std::string document = xml("<key>k</key><string>&#233;t&#xE9;</string>");
    auto expected = NSPropertyListSerialization::propertyListWithData(document);
    ASSERT_TRUE(expected);
    std::string declared = document;
    declared.replace(declared.find("UTF-8"), 5, "UTF-16");
    for (const std::string& bytes : {"\xef\xbb\xbf" + document, utf16(document, true),
                                     utf16(document, false), utf16(declared, true)}) {
        for (Reader read : readers) {
            std::string error;
            NSObjectRef list = read(bytes, &error);
            ASSERT_TRUE(list) << error;
            EXPECT_TRUE(list->isEqual(expected.get()));
        }
    }
    std::string many = "<array>";
    for (int i = 0; i < 512; ++i) {
        many += "<true/>";
    }
    const struct {
        std::string bytes;
        const char* refusal;
    } refused[] = {
        {utf16(document, true) + "x", "UTF-16"},
        {utf16(document, true) + "\xd8\x00", "UTF-16"},
        {utf16("<plist>" + many + "</array></plist>", false), "more than 512 objects"},
    };
    for (const auto& row : refused) {
        std::string error;
        EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(row.bytes, &error));
        EXPECT_NE(error.find(row.refusal), std::string::npos) << error;
    }
}

// What the writer gives out is within the budget every reader reads within.
TEST(PropertyListEncodings, WritesPastAReadersBudgetAreRefused) {
    auto sized = [](std::size_t count, const std::string& text) {
        auto list = NSMutableDictionary::dictionary();
        std::vector<NSObjectRef> items(count, NSString::string(text));
        list->setObject(std::make_shared<NSArray>(std::move(items)), "a");
        return list;
    };
    const struct {
        std::shared_ptr<NSMutableDictionary> list;
        const char* refusal; // null: written
    } rows[] = {
        {sized(60, std::string(1000, 'x')), nullptr},
        {sized(70, std::string(1000, 'x')), "larger than 64 KiB"},
        {sized(509, "x"), nullptr},
        {sized(510, "x"), "more than 512 objects"},
        {sized(1, std::string(64, '&')), nullptr},
        {sized(1, std::string(65, '&')), "more than 64 character or entity references"},
    };
    for (const auto& row : rows) {
        std::string written, error;
        bool ok = NSPropertyListSerialization::dataWithPropertyList(*row.list, written, &error);
        EXPECT_EQ(ok, row.refusal == nullptr) << error;
        if (row.refusal != nullptr) {
            EXPECT_NE(error.find(row.refusal), std::string::npos) << error;
        }
    }
}

} // namespace
