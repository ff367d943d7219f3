#include <Foundation/NSScanner.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

struct FloatCase {
    std::string text;
    std::optional<float> value; // nullopt: the scan fails
    NSUInteger locationAfter;
};

TEST(ScanFloat, ReadsSignDigitsFractionAndExponentOnly) {
    const float infinity = std::numeric_limits<float>::infinity();
    const FloatCase cases[] = {
        {"1.5", 1.5f, 3},
        {"  \t\n-2e3,", -2000.0f, 8},
        {".5", 0.5f, 2},
        {"5.", 5.0f, 2},
        {"+.25e-1", 0.025f, 7},
        {"1e", 1.0f, 1}, // an "e" without digits is not part of the number
        {"1e+", 1.0f, 1},
        {"0x1p3", 0.0f, 1},    // no hexadecimal floats: the "0" is the number
        {"1e39", infinity, 4}, // too large for a float
        {"-1e39", -infinity, 5},
        {"1e-50", 0.0f, 5},
        {"0.1", 0.1f, 3},
        {"\xC2\xA0"
         "3",
         3.0f, 2}, // no-break space
        {"\xE3\x80\x80"
         "7",
         7.0f, 2}, // ideographic space: one UTF-16 unit
        {"inf", std::nullopt, 0},
        {"nan", std::nullopt, 0},
        {"infinity", std::nullopt, 0},
        {"", std::nullopt, 0},
        {"   ", std::nullopt, 0},
        {"-", std::nullopt, 0},
        {"+.", std::nullopt, 0},
        {"e5", std::nullopt, 0},
        {"x1", std::nullopt, 0},
    };
    for (const auto& [text, expected, location] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        auto scanner = NSScanner::scannerWithString(text);
        float value = -99;
        bool scanned = scanner->scanFloat(&value);
        EXPECT_EQ(scanned, expected.has_value());
        if (expected) {
            EXPECT_EQ(value, *expected);
        } else {
            EXPECT_EQ(value, -99); // left alone
        }
        EXPECT_EQ(scanner->scanLocation(), location);
    }
}

struct HexCase {
    std::string text;
    std::optional<unsigned> value;
    NSUInteger locationAfter;
};

TEST(ScanHexInt, ReadsAnOptionalPrefixAndDigitsOfEitherCase) {
    const HexCase cases[] = {
        {"ff", 0xFFu, 2},
        {"0xFF", 0xFFu, 4},
        {"0XaB", 0xABu, 4},
        {" \n\t1a2B rest", 0x1A2Bu, 7},
        {"FFFFFFFF", 0xFFFFFFFFu, 8},
        {"100000000", 0xFFFFFFFFu, 9},            // nine significant digits saturate
        {"123456789ABCDEF0123", 0xFFFFFFFFu, 19}, // and every digit is consumed
        {"0000000000FF", 0xFFu, 12},              // leading zeros are not significant
        {"0x", 0u, 1},                            // no digit after the prefix: "0" is the number
        {"0xg", 0u, 1},
        {"12g", 0x12u, 2},
        {"#12", std::nullopt, 0},
        {"-1", std::nullopt, 0},
        {"g", std::nullopt, 0},
        {"", std::nullopt, 0},
        {"x12", std::nullopt, 0},
    };
    for (const auto& [text, expected, location] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        auto scanner = NSScanner::scannerWithString(text);
        unsigned value = 7;
        EXPECT_EQ(scanner->scanHexInt(&value), expected.has_value());
        EXPECT_EQ(value, expected.value_or(7));
        EXPECT_EQ(scanner->scanLocation(), location);
    }
}

TEST(ScanString, SkipsWhiteSpaceAndMatchesWithoutCaseByDefault) {
    auto scanner = NSScanner::scannerWithString("  {Red}  ");
    NSStringRef read;
    EXPECT_TRUE(scanner->scanString("{", nullptr));
    EXPECT_FALSE(scanner->scanString("}", &read));
    EXPECT_EQ(read, nullptr);
    EXPECT_TRUE(scanner->scanString("rED", &read));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->utf8(), "Red"); // the text as it stands in the string
    EXPECT_FALSE(scanner->isAtEnd());
    EXPECT_TRUE(scanner->scanString("}", nullptr));
    EXPECT_TRUE(scanner->isAtEnd());
    EXPECT_FALSE(scanner->scanString("}", nullptr));
}

TEST(ScanString, CaseSensitiveWhenAskedAndNeverPastTheEnd) {
    auto scanner = NSScanner::scannerWithString(" Red");
    scanner->setCaseSensitive(true);
    EXPECT_FALSE(scanner->scanString("red", nullptr));
    EXPECT_FALSE(scanner->scanString("Redder", nullptr));
    EXPECT_FALSE(scanner->scanString("", nullptr));
    EXPECT_EQ(scanner->scanLocation(), 0u);
    EXPECT_TRUE(scanner->scanString("Red", nullptr));
}

TEST(Scanner, FailedScansLeaveTheLocationBeforeTheSkippedWhiteSpace) {
    auto scanner = NSScanner::scannerWithString("1   x");
    float value = 0;
    EXPECT_TRUE(scanner->scanFloat(&value));
    EXPECT_EQ(scanner->scanLocation(), 1u);
    EXPECT_FALSE(scanner->scanFloat(&value));
    unsigned hex = 0;
    EXPECT_FALSE(scanner->scanHexInt(&hex));
    EXPECT_EQ(scanner->scanLocation(), 1u);
    EXPECT_FALSE(scanner->isAtEnd());
}

TEST(Scanner, AtEndWhenOnlyWhiteSpaceAndNewlinesRemain) {
    EXPECT_TRUE(NSScanner::scannerWithString("")->isAtEnd());
    EXPECT_TRUE(NSScanner::scannerWithString(" \t\r\n\v\f\xE2\x80\xA8")->isAtEnd());
    EXPECT_FALSE(NSScanner::scannerWithString(" .")->isAtEnd());
    EXPECT_TRUE(NSScanner::scannerWithString(NSStringRef())->isAtEnd());
    // A NUL is a character like any other, not the end.
    EXPECT_FALSE(NSScanner::scannerWithString(std::string_view("\0", 1))->isAtEnd());
}

TEST(Scanner, LocationsCountUTF16Units) {
    auto scanner = NSScanner::scannerWithString("\xF0\x9F\x98\x80"
                                                "\xC3\xA9"
                                                " 12"); // 😀é 12
    EXPECT_TRUE(scanner->scanString("\xF0\x9F\x98\x80", nullptr));
    EXPECT_EQ(scanner->scanLocation(), 2u);
    EXPECT_TRUE(scanner->scanString("\xC3\xA9", nullptr));
    EXPECT_EQ(scanner->scanLocation(), 3u);
    scanner->setScanLocation(5);
    float value = 0;
    EXPECT_TRUE(scanner->scanFloat(&value));
    EXPECT_EQ(value, 2.0f);
}

TEST(Scanner, IllFormedUTF8IsReadWithoutOverrunning) {
    // "\xC0\xA0" is an overlong space: not white space.
    for (std::string text : {"\xF0", "\xE3\x80", "\xC3", "\x80\x80 1", "\xFF 1",
                             "\xC0\xA0"
                             "1"}) {
        auto scanner = NSScanner::scannerWithString(text);
        float value = 0;
        EXPECT_FALSE(scanner->scanFloat(&value));
        EXPECT_FALSE(scanner->isAtEnd());
    }
}

} // namespace
