#include "ColorTestSupport.h"
#include "UIColor-Utilities.h"

#include <Foundation/NSNull.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace colortest;
using U = UIColor_Utilities;
using Support = UIColor_Utilities_Support;

namespace {

struct NamedValue {
    const char* name;
    std::uint32_t rgb;
};

// CSS Color Level 3's extended keywords with their sRGB values: the telling rows among
// them are the CSS values (green 008000, gray 808080), not the X11 ones of the same names.
// clang-format off
const NamedValue kKeywords[] = {
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4}, {"azure", 0xF0FFFF}, {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4},
    {"black", 0x000000}, {"blanchedalmond", 0xFFEBCD}, {"blue", 0x0000FF},
    {"blueviolet", 0x8A2BE2}, {"brown", 0xA52A2A}, {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00}, {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50}, {"cornflowerblue", 0x6495ED}, {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C}, {"cyan", 0x00FFFF}, {"darkblue", 0x00008B}, {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B}, {"darkgray", 0xA9A9A9}, {"darkgreen", 0x006400},
    {"darkgrey", 0xA9A9A9}, {"darkkhaki", 0xBDB76B}, {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F}, {"darkorange", 0xFF8C00}, {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000}, {"darksalmon", 0xE9967A}, {"darkseagreen", 0x8FBC8F},
    {"darkslateblue", 0x483D8B}, {"darkslategray", 0x2F4F4F}, {"darkslategrey", 0x2F4F4F},
    {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3}, {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF}, {"dimgray", 0x696969}, {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF}, {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22}, {"fuchsia", 0xFF00FF}, {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF}, {"gold", 0xFFD700}, {"goldenrod", 0xDAA520}, {"gray", 0x808080},
    {"green", 0x008000}, {"greenyellow", 0xADFF2F}, {"grey", 0x808080}, {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4}, {"indianred", 0xCD5C5C}, {"indigo", 0x4B0082}, {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C}, {"lavender", 0xE6E6FA}, {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD}, {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080}, {"lightcyan", 0xE0FFFF}, {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3}, {"lightgreen", 0x90EE90}, {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1}, {"lightsalmon", 0xFFA07A}, {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA}, {"lightslategray", 0x778899}, {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00},
    {"limegreen", 0x32CD32}, {"linen", 0xFAF0E6}, {"magenta", 0xFF00FF}, {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD}, {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB}, {"mediumseagreen", 0x3CB371}, {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC}, {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA}, {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5}, {"navajowhite", 0xFFDEAD}, {"navy", 0x000080}, {"oldlace", 0xFDF5E6},
    {"olive", 0x808000}, {"olivedrab", 0x6B8E23}, {"orange", 0xFFA500}, {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE}, {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9}, {"peru", 0xCD853F}, {"pink", 0xFFC0CB}, {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6}, {"purple", 0x800080}, {"red", 0xFF0000}, {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1}, {"saddlebrown", 0x8B4513}, {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460}, {"seagreen", 0x2E8B57}, {"seashell", 0xFFF5EE}, {"sienna", 0xA0522D},
    {"silver", 0xC0C0C0}, {"skyblue", 0x87CEEB}, {"slateblue", 0x6A5ACD}, {"slategray", 0x708090},
    {"slategrey", 0x708090}, {"snow", 0xFFFAFA}, {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4}, {"tan", 0xD2B48C}, {"teal", 0x008080}, {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0}, {"violet", 0xEE82EE}, {"wheat", 0xF5DEB3},
    {"white", 0xFFFFFF}, {"whitesmoke", 0xF5F5F5}, {"yellow", 0xFFFF00}, {"yellowgreen", 0x9ACD32}
};
// clang-format on

std::vector<std::pair<std::string, std::string>> tableEntries() {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string text = Support::colorNameDB;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start + 1);
        std::string entry =
            text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        std::size_t hash = entry.find('#');
        entries.emplace_back(entry.substr(0, hash),
                             hash == std::string::npos ? "" : entry.substr(hash + 1));
        start = end == std::string::npos ? text.size() : end;
    }
    return entries;
}

TEST(NameTable, HoldsTheKeywordsInOrderAsOneText) {
    std::string text = Support::colorNameDB;
    EXPECT_EQ(text.size(), 2485u);
    EXPECT_EQ(text.rfind(",aliceblue#f0f8ff,", 0), 0u);
    EXPECT_TRUE(text.ends_with("yellowgreen#9acd32"));

    auto entries = tableEntries();
    ASSERT_EQ(entries.size(), 147u);
    ASSERT_EQ(std::size(kKeywords), 147u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [name, digits] = entries[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(name, kKeywords[i].name);
        EXPECT_TRUE(
            std::all_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; }));
        ASSERT_EQ(digits.size(), 6u);
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        }));
        EXPECT_EQ(std::stoul(digits, nullptr, 16), kKeywords[i].rgb);
        if (i > 0) {
            EXPECT_LT(entries[i - 1].first, name);
        }
    }
}

TEST(NameTable, SearchFindsEveryKeywordAsAnOpaqueRGBColour) {
    for (const auto& [name, value] : kKeywords) {
        SCOPED_TRACE(name);
        auto color = Support::searchForColorByName(NSString::string(name));
        ASSERT_NE(color, nullptr);
        EXPECT_EQ(modelOf(color), kCGColorSpaceModelRGB);
        EXPECT_EQ(U::alpha(color), 1);
        EXPECT_EQ(U::rgbHex(color), value);
    }
}

TEST(ColorWithName, MatchesWholeNamesExactly) {
    auto red = U::colorWithName("red");
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(componentsOf(red), (std::vector<CGFloat>{1, 0, 0, 1}));
    EXPECT_EQ(U::rgbHex(U::colorWithName("blue")), 0x0000FFu); // not aliceblue or cadetblue
    EXPECT_NE(U::colorWithName("aliceblue"), nullptr);
    EXPECT_NE(U::colorWithName("yellowgreen"), nullptr);
    EXPECT_TRUE(U::colorWithName("grey")->isEqual(U::colorWithName("gray").get()));
    EXPECT_TRUE(U::colorWithName("aqua")->isEqual(U::colorWithName("cyan").get()));

    for (const char* miss : {"Red", "RED", " red", "red ", "light", "sky", "", "bl", "#ff0000",
                             "red#ff0000", ",red", "redd"}) {
        EXPECT_EQ(U::colorWithName(miss), nullptr) << "\"" << miss << "\"";
    }
}

TEST(ColorWithName, NameSpanningEntriesTakesTheDigitsAfterItsLastHash) {
    // The text between the table's first comma and its third "#".
    auto color = U::colorWithName("aliceblue#f0f8ff,antiquewhite#faebd7,aqua");
    EXPECT_EQ(U::rgbHex(color), 0x00FFFFu);
}

// A NUL inside a name must not cut the name short: "bl\0" would otherwise find
// ",bl" at the start of ",black" and read "ac" as the colour.
TEST(ColorWithName, NulInsideANameMatchesNothing) {
    EXPECT_EQ(U::colorWithName(NSString::string(std::string("bl\0", 3))), nullptr);
    EXPECT_EQ(U::colorWithName(NSString::string(std::string("red\0", 4))), nullptr);
    EXPECT_EQ(Support::searchForColorByName(NSString::string(std::string("\0red", 4))), nullptr);
}

TEST(NameCache, ExistsBeforeAnyLookup) {
    // The load step runs when the library is loaded, before main.
    ASSERT_NE(Support::colorNameCache(), nullptr);
}

TEST(NameCache, SearchesEachNameOnceAndKeepsTheObject) {
    auto before = Support::searchCount();
    auto first = U::colorWithName("teal");
    auto second = U::colorWithName(NSString::string("teal"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(Support::searchCount() - before, 1u);
}

TEST(NameCache, MissesAreCachedUnderTheirOwnSpelling) {
    auto before = Support::searchCount();
    EXPECT_EQ(U::colorWithName("Teal"), nullptr);
    EXPECT_EQ(U::colorWithName("Teal"), nullptr);
    EXPECT_EQ(Support::searchCount() - before, 1u);
    auto entry = Support::colorNameCache()->objectForKey(std::string_view("Teal"));
    EXPECT_EQ(entry, NSNull::null());
    EXPECT_NE(U::colorWithName("teal"), nullptr);

    EXPECT_EQ(U::colorWithName(""), nullptr);
    EXPECT_EQ(Support::colorNameCache()->objectForKey(std::string_view("")), NSNull::null());
}

TEST(NameCache, NoNameGivesNilAndIsNotCached) {
    auto before = Support::searchCount();
    auto entries = Support::colorNameCache()->count();
    EXPECT_EQ(U::colorWithName(NSStringRef()), nullptr);
    EXPECT_EQ(U::colorWithName(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(Support::searchCount(), before);
    EXPECT_EQ(Support::colorNameCache()->count(), entries);
}

// Many threads ask for the same names at once, each in its own order: every name is
// searched exactly once and every thread gets the same object for it.
TEST(NameCache, ConcurrentLookupsSearchOncePerNameAndShareTheObject) {
    std::vector<std::string> names = {
        "coral",  "khaki", "orchid", "peru",  "plum",  "salmon",       "sienna",  "thistle",
        "tomato", "wheat", "navy",   "olive", "Coral", "nosuchcolour", "orange ", "indigo-ish"};
    for (int i = 0; i < 40; ++i) {
        names.push_back("concurrent-miss-" + std::to_string(i));
    }
    std::size_t uncached = 0;
    {
        ObjCSynchronized lock(Support::colorNameCache());
        for (const auto& name : names) {
            uncached += Support::colorNameCache()->objectForKey(std::string_view(name)) ? 0 : 1;
        }
    }
    constexpr int threadCount = 8;
    std::vector<std::map<std::string, const UIColor*>> seen(threadCount);
    std::atomic<int> ready{0};
    auto before = Support::searchCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            std::vector<std::string> order = names;
            std::rotate(order.begin(), order.begin() + (t * 7) % order.size(), order.end());
            if (t % 2) {
                std::reverse(order.begin(), order.end());
            }
            ready.fetch_add(1);
            while (ready.load() < threadCount) {
                std::this_thread::yield();
            }
            for (int round = 0; round < 20; ++round) {
                for (const auto& name : order) {
                    auto color = U::colorWithName(NSString::string(name));
                    auto [slot, added] = seen[t].emplace(name, color.get());
                    ASSERT_EQ(slot->second, color.get()) << name;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(Support::searchCount() - before, uncached);
    for (const auto& name : names) {
        for (int t = 1; t < threadCount; ++t) {
            EXPECT_EQ(seen[t][name], seen[0][name]) << name;
        }
    }
    EXPECT_NE(seen[0]["coral"], nullptr);
    EXPECT_EQ(seen[0]["Coral"], nullptr);
}

// The cache is guarded by its own object lock: while another holder has it, a
// lookup waits, and it goes on once the lock is released.
TEST(NameCache, LookupWaitsForTheCacheObjectLock) {
    std::atomic<bool> done{false};
    UIColorRef found;
    objc_sync_enter(Support::colorNameCache());
    std::thread lookup([&] {
        found = U::colorWithName("lavenderblush");
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    objc_sync_exit(Support::colorNameCache());
    lookup.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(U::rgbHex(found), 0xFFF0F5u);
}

} // namespace
