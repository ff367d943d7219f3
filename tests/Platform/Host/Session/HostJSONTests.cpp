// JSON as the host prints it (the `state` line, keyboard-host's query): strings whatever
// the bytes of a label or a text, numbers whatever the float.
#include <Host/Session/HostJSON.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(HostJSONString, EscapesWhatJSONForbidsAndReplacesWhatIsNotUTF8) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", "\"\""},
        {"Save", "\"Save\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"line\nnext\ttab\rend", "\"line\\nnext\\ttab\\rend\""},
        {std::string("nul\0bell\x07", 9), "\"nul\\u0000bell\\u0007\""},
        {"\x1f\x7f", "\"\\u001f\\u007f\""},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xa8",
         "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xa8\""},
        // A lone continuation byte, a lead with no continuation, a cut-off sequence.
        {"a\x80z", "\"a\xef\xbf\xbdz\""},
        {"\xc3z", "\"\xef\xbf\xbdz\""},
        {"\xe2\x82", "\"\xef\xbf\xbd\xef\xbf\xbd\""},
        // Overlong forms, a surrogate, beyond U+10FFFF, bytes never used.
        {"\xc0\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\""},
        {"\xe0\x80\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},
        {"\xed\xa0\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},
        {"\xf4\x90\x80\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},
        {"\xfe\xff", "\"\xef\xbf\xbd\xef\xbf\xbd\""},
        // The largest code point and the last before the surrogates are fine.
        {"\xf4\x8f\xbf\xbf\xed\x9f\xbf", "\"\xf4\x8f\xbf\xbf\xed\x9f\xbf\""},
    };
    for (const auto& [text, json] : rows) {
        EXPECT_EQ(HostJSONString(text), json) << json;
    }
}

// JSON has no NaN or infinity: a frame or a colour that holds one prints null, never
// a line that no reader takes.
TEST(HostJSONNumber, WritesTheShortestRoundTripAndNullForWhatJSONCannotHold) {
    const std::vector<std::pair<float, std::string>> rows = {
        {0.2F, "0.2"},
        {1.0F, "1"},
        {-0.0F, "-0"},
        {1e-7F, "1e-07"},
        {std::numeric_limits<float>::quiet_NaN(), "null"},
        {std::numeric_limits<float>::infinity(), "null"},
        {-std::numeric_limits<float>::infinity(), "null"},
    };
    for (const auto& [value, json] : rows) {
        EXPECT_EQ(HostJSONNumber(value), json) << json;
    }
}

} // namespace
