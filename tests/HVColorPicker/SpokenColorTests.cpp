// A colour as assistive tools say it: the nearest named colour in OKLab, the hex
// form, the opacity.
#include "ColorTestSupport.h"
#include "UIColor-Utilities.h"

#include <gtest/gtest.h>

#include <string>

using namespace colortest;
using U = UIColor_Utilities;

namespace {

struct SpokenRow {
    CGFloat r, g, b, a;
    const char* spoken;
};

// Expected values computed once, outside this code base, by a short Python script that
// wrote out the sRGB-to-OKLab formulas by hand and searched the 147 keywords (last name
// wins a tie). #112233, #602040 and #20A040 are telling: nearest by plain RGB distance
// they would be darkslategrey, darkslategrey and seagreen.
const SpokenRow kSpokenRows[] = {
    {0, 0, 1, 1, "blue, #0000FF"},
    {0x43 / 255.0f, 0x65 / 255.0f, 0xDD / 255.0f, 1, "near royalblue, #4365DD"},
    {1, 1, 1, 0.5f, "white, #FFFFFF, 50% opaque"},
    {0, 1, 1, 1, "cyan, #00FFFF"},
    {1, 0, 1, 1, "magenta, #FF00FF"},
    {0.5f, 0.5f, 0.5f, 1, "grey, #808080"},
    {0xA9 / 255.0f, 0xA9 / 255.0f, 0xA9 / 255.0f, 1, "darkgrey, #A9A9A9"},
    {0, 1, 0, 1, "lime, #00FF00"},
    {0, 0.5f, 0, 1, "green, #008000"},
    {1.2f, -0.1f, 0.5f, 1, "near deeppink, #FF0080"},
    {0.2f, 0.4f, 0.6f, 1, "near steelblue, #336699"},
    {0, 0, 0, 1, "black, #000000"},
    {0.1f, 0.9f, 0.3f, 0.25f, "near limegreen, #1AE64D, 25% opaque"},
    {0x11 / 255.0f, 0x22 / 255.0f, 0x33 / 255.0f, 1, "near midnightblue, #112233"},
    {0x60 / 255.0f, 0x20 / 255.0f, 0x40 / 255.0f, 1, "near maroon, #602040"},
    {0x20 / 255.0f, 0xA0 / 255.0f, 0x40 / 255.0f, 1, "near forestgreen, #20A040"},
    {1, 0.5f, 0, 1.5f, "near darkorange, #FF8000"},
    {0.98f, 0.5f, 0.45f, 0.004f, "near salmon, #FA8073, 0% opaque"},
    {0.7f, 0.2f, 0.9f, 0.996f, "near darkorchid, #B333E6, 99% opaque"},
    {0x41 / 255.0f, 0x69 / 255.0f, 0xE1 / 255.0f, 0.333f, "royalblue, #4169E1, 33% opaque"},
};

TEST(SpokenColor, NearestNameHexAndOpacity) {
    for (const SpokenRow& row : kSpokenRows) {
        EXPECT_EQ(U::spokenDescription(rgb(row.r, row.g, row.b, row.a)), row.spoken)
            << row.r << " " << row.g << " " << row.b << " " << row.a;
    }
}

TEST(SpokenColor, GreysSpeakAsTheirRGBEquivalent) {
    EXPECT_EQ(U::spokenDescription(grey(0.5f)), "grey, #808080");
    EXPECT_EQ(U::spokenDescription(grey(1, 0.5f)), "white, #FFFFFF, 50% opaque");
}

TEST(SpokenColor, ColoursWithoutRGBComponentsSayNothing) {
    EXPECT_EQ(U::spokenDescription(nullptr), "");
    EXPECT_EQ(U::spokenDescription(cmyk(0, 0, 0, 1)), "");
    EXPECT_EQ(U::spokenDescription(pattern()), "");
}

// Every keyword names itself exactly, or the later keyword of the same value.
TEST(SpokenColor, EveryKeywordFindsItselfOrItsLaterTwin) {
    std::string table = UIColor_Utilities_Support::colorNameDB;
    std::size_t at = 0;
    int names = 0;
    while ((at = table.find(',', at)) != std::string::npos) {
        std::size_t hash = table.find('#', at);
        std::string name = table.substr(at + 1, hash - at - 1);
        std::string value = table.substr(hash, 7);
        std::size_t twin = table.find(value, hash + 1);
        bool exact = false;
        std::string found = U::nearestColorName(U::colorWithName(name.c_str()), &exact);
        EXPECT_TRUE(exact) << name;
        if (twin == std::string::npos) {
            EXPECT_EQ(found, name);
        } else {
            EXPECT_EQ(found,
                      table.substr(table.rfind(',', twin) + 1, twin - table.rfind(',', twin) - 1))
                << name;
        }
        at = hash;
        ++names;
    }
    EXPECT_EQ(names, 147);
}

} // namespace
