#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string format(const char* text, const auto&... args) {
    return NSString::stringWithFormat(text, args...)->utf8();
}

const std::string longPath = "/var/mobile/" + std::string(600, 'p') + "/io.prismkey.tint.plist";

TEST(StringFormat, ConversionsFollowPrintf) {
    const struct {
        std::string actual, expected;
    } rows[] = {
        {format("%d|%i|%u", -7, 42, 7u), "-7|42|7"},
        {format("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042"},
        {format("%x %X %o %#x", 255u, 255u, 8u, 255u), "ff FF 10 0xff"},
        {format("%0.8X", std::uint32_t{0xC0FFEE}), "00C0FFEE"},
        {format("%lld %llu", INT64_MIN, UINT64_MAX), "-9223372036854775808 18446744073709551615"},
        {format("%0.3f %e %g", 0.2f, 1e39, 0.5), "0.200 1.000000e+39 0.5"},
        {format("%s|%10s|%.2s", "abc", "abc", "abc"), "abc|       abc|ab"},
        {format("%c%c", 'o', 'k'), "ok"},
        {format("%@ %@", NSString::string("text"), NSNumber::numberWithInteger(3)), "text 3"},
        {format("%@", static_cast<const NSObject*>(nullptr)), "(null)"},
        {format("100%% of %d", 3), "100% of 3"},
        {format("cut %", 1), "cut %"},
        {format("%k", 1), "%k"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.actual, row.expected);
    }
}

TEST(StringFormat, ConversionsOfAnyLengthAreWhole) {
    EXPECT_EQ(format("cannot read %s: %s", longPath.c_str(), "No such file"),
              "cannot read " + longPath + ": No such file");
    EXPECT_EQ(format("%@", NSString::string(longPath)), longPath);
    EXPECT_EQ(format("%700d", 1), std::string(699, ' ') + "1");
    EXPECT_EQ(format("%.600f", 0.5).size(), 602u);
}

// A `*` takes its int argument before the value, as printf's varargs do.
TEST(StringFormat, StarWidthsAndPrecisionsTakeTheirArgument) {
    const struct {
        std::string actual, expected;
    } rows[] = {
        {format("%*d|", 5, 42), "   42|"},     {format("%*d|", -5, 42), "42   |"},
        {format("%-*d|", 4, 7), "7   |"},      {format("%.*f", 2, 3.14159), "3.14"},
        {format("%.*f", -1, 0.5), "0.500000"}, {format("%*.*f|%d", 8, 3, 2.5, 9), "   2.500|9"},
        {format("%.*s", 3, "abcdef"), "abc"},  {format("%*s%s", 3, "a", "b"), "  ab"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.actual, row.expected);
    }
}

// A quoted name can end no line and pass for no other text; two names that differ show
// differently, and what is plain text shows as itself.
TEST(QuotedText, EscapesWhatCouldEndTheLineOrIsNotUTF8AndKeepsTheRest) {
    const struct {
        std::string text, quoted;
    } rows[] = {
        {"Prismkey", "\"Prismkey\""},
        {"", "\"\""},
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
        {"a\nkeyboard-host: forged", "\"a\\nkeyboard-host: forged\""},
        {"tab\tcr\r", "\"tab\\tcr\\r\""},
        {std::string("nul\0x", 5), "\"nul\\x00x\""},
        {"\x1b[2J\x7f", "\"\\x1b[2J\\x7f\""},
        {"\xc2\x9b"
         "31m next\xc2\x85line",
         "\"\\xc2\\x9b31m next\\xc2\\x85line\""},
        {"caf\xc3\xa9 \xf0\x9f\x8e\xa8 \xc2\xa0", "\"caf\xc3\xa9 \xf0\x9f\x8e\xa8 \xc2\xa0\""},
        {"Prism\xffkey", "\"Prism\\xffkey\""},
        {"\xc0\xaf overlong \xed\xa0\x80 surrogate",
         "\"\\xc0\\xaf overlong \\xed\\xa0\\x80 surrogate\""},
        {"cut \xe2\x82", "\"cut \\xe2\\x82\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ns_quotedText(row.text), row.quoted);
    }
}

} // namespace
