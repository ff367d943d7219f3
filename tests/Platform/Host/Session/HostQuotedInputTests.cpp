// Input echoed in error messages: at most 80 characters, never half a character.
#include <Host/Session/HostQuotedInput.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

TEST(HostQuotedInput, CutsAtEightyCharactersWithoutSplittingOne) {
    const std::string e = "\xC3\xA9"; // é, two bytes
    const struct {
        const char* name;
        std::string input;
        std::string quoted;
    } rows[] = {
        {"Short", "tapp", "\"tapp\""},
        {"Empty", "", "\"\""},
        {"ExactlyEighty", std::string(80, 'a'), "\"" + std::string(80, 'a') + "\""},
        {"EightyOne", std::string(81, 'a'), "\"" + std::string(80, 'a') + "...\""},
        {"TwoByteCharacterAtTheCut", std::string(79, 'a') + e + e,
         "\"" + std::string(79, 'a') + e + "...\""},
        {"EightyTwoByteCharacters", repeated(e, 80), "\"" + repeated(e, 80) + "\""},
        {"FourByteCharacter", "\xF0\x9F\x8E\xA8!", "\"\xF0\x9F\x8E\xA8!\""},
        {"ControlCharacters", "a\nb\x1B[2Jc\x7F", R"("a\nb\x1b[2Jc\x7f")"},
        {"NotUTF8", "\xC3(\xFF\xE2\x82", R"("\xc3(\xff\xe2\x82")"},
        {"QuotesAndBackslashes", "a\"b\\c", R"("a\"b\\c")"},
        // Byte by byte: an overlong "/", a surrogate, a code point above U+10FFFF.
        {"OverlongForm", "\xE0\x80\xAF.", R"("\xe0\x80\xaf.")"},
        {"Surrogate", "\xED\xA0\x80.", R"("\xed\xa0\x80.")"},
        {"AboveTheLastCodePoint", "\xF4\x90\x80\x80.", R"("\xf4\x90\x80\x80.")"},
        {"EscapesCountAsWideAsTheyShow", std::string(81, '\x01'),
         "\"" + repeated("\\x01", 20) + "...\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HostQuotedInput(row.input), row.quoted) << row.name;
    }
}

} // namespace
