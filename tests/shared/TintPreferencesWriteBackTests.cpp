// Every file the settings app writes reads back alike through the keyboard's two
// readers (the quick one for the common shape, the general one) and the screen's;
// a write the readers would refuse is not made.
#include "BinaryPropertyList.h"
#include "TintPreferencesFixture.h"

#include <Foundation/NSPropertyListSerialization.h>
#include <Foundation/PropertyListQuickReader.h>

#include <cmath>
#include <limits>

using namespace tintfixture;
using TintPreferences::TintState;
using TintPreferences::WriteFailure;

namespace {

using TintPreferencesWriteBack = PreferencesFile;

// The written file as each reader reads it, all alike, and the keyboard's answers.
void expectReadAlike(const std::string& bytes, const std::string& step) {
    NSObjectRef general =
        NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(bytes);
    ASSERT_TRUE(general) << step;
    std::optional<NSObjectRef> quick = PropertyListQuickReader::read(bytes);
    if (quick) {
        EXPECT_TRUE(general->isEqual(quick->get())) << step;
    }
    auto screen = NSMutableDictionary::dictionaryWithContentsOfFile(TintPreferencesPath);
    ASSERT_TRUE(screen) << step;
    EXPECT_TRUE(general->isEqual(screen.get())) << step;
    auto open = ns_cast<NSString>(screen->objectForKey("open"));
    EXPECT_EQ(TintPreferences::isOpen(), open && open->isEqualToString("on")) << step;
    auto color = ns_cast<NSArray>(screen->objectForKey("saveColor"));
    EXPECT_EQ(TintPreferences::storedTint() != nullptr, color && color->count() == 5) << step;
}

TEST_F(TintPreferencesWriteBack, EveryFileTheAppWritesReadsAlikeInEveryReader) {
    const float tiny = std::numeric_limits<float>::denorm_min();
    const UIColorRef colours[] = {
        UIColor::whiteColor(),
        UIColor::redColor(),
        UIColor::colorWithRed(0.1f / 3, 2.0f / 3, tiny, 0.5f),
        UIColor::colorWithRed(-1, 1e30f, std::numeric_limits<float>::infinity(), 1),
        UIColor::colorWithWhite(0.25f, 0.75f),
    };
    const std::string others[] = {
        "",
        "<key>count</key><integer>-9223372036854775808</integer><key>r</key><real>1e-300</real>"
        "<key>text</key><string>caf\xc3\xa9 &amp; &lt;tea&gt; \xf0\x9f\x8e\xa8</string>"
        "<key>when</key><date>2030-05-06T07:08:09Z</date><key>blob</key><data>AP8=</data>",
    };
    for (const std::string& other : others) {
        std::filesystem::remove(hostFile());
        TintPreferences::loadForScreen();
        expectReadAlike(bytes(), "created");
        if (!other.empty()) {
            put(plist(openEntry("off") + other));
        }
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(TintPreferences::toggleOpen().write.succeeded());
            expectReadAlike(bytes(), "toggled");
        }
        for (const UIColorRef& colour : colours) {
            ASSERT_TRUE(TintPreferences::storeColor(colour).succeeded());
            expectReadAlike(bytes(), colour->description());
        }
    }
}

// A file the readers take, so close to a limit that the app's change would pass it:
// nothing written, the state readers see reported, and the reason for the log.
TEST_F(TintPreferencesWriteBack, ChangesThatWouldPassAReadersLimitAreNotWritten) {
    const std::string body = openEntry("on") + "<key>pad</key><string></string>";
    std::string many = "<key>many</key><array>";
    for (int i = 0; i < 505; ++i) {
        many += "<true/>";
    }
    const struct {
        const char* name;
        std::string file;
        const char* reason;
        bool toggleFits; // "off" for "on" stays within the limit
    } rows[] = {
        {"near 64 KiB",
         plist(openEntry("on") + "<key>pad</key><string>" +
               std::string(65450 - plist(body).size(), 'p') + "</string>"),
         "larger than 64 KiB", false},
        {"near 512 objects", plist(openEntry("on") + many + "</array>"), "more than 512 objects",
         true},
    };
    for (const auto& row : rows) {
        put(row.file);
        ASSERT_TRUE(TintPreferences::isOpen()) << row.name << ": the readers take the file";
        TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
        if (row.toggleFits) {
            ASSERT_TRUE(toggled.write.succeeded()) << row.name << ": " << toggled.write.reason;
            put(row.file);
        } else {
            EXPECT_EQ(toggled.write.failure, WriteFailure::WouldNotReadBack) << row.name;
            EXPECT_EQ(toggled.state, TintState::On) << row.name;
        }
        TintPreferences::WriteResult stored = TintPreferences::storeColor(UIColor::redColor());
        EXPECT_EQ(stored.failure, WriteFailure::WouldNotReadBack) << row.name;
        EXPECT_NE(stored.reason.find(row.reason), std::string::npos) << stored.reason;
        EXPECT_NE(stored.reason.find(hostFile().string()), std::string::npos) << stored.reason;
        EXPECT_EQ(bytes(), row.file) << row.name;
        EXPECT_TRUE(TintPreferences::isOpen()) << row.name;
    }
}

// A binary list's set would come back from the XML form as an array, and its keyed-archive
// identifier as a dictionary: nothing is written, and the reason names the key. The
// keyboard still reads the file.
TEST_F(TintPreferencesWriteBack, ValuesTheXmlFormWouldChangeAreNotWrittenAndTheirKeyIsNamed) {
    const struct {
        const char* key;
        std::string marker; // the value's bytes, referring to object 0 ("a") where it holds one
        const char* reason;
    } rows[] = {
        {"members", std::string("\xC1\0\0", 3), "the value at \"members\" holds a set"},
        {"ref", "\x80\x07", "the value at \"ref\" holds a keyed-archive identifier"},
    };
    for (const auto& row : rows) {
        binaryplist::Builder b;
        b.string("a");
        const std::size_t value = b.raw(row.marker);
        const std::string file =
            b.bytes(b.dictionary({{b.string("open"), b.string("on")}, {b.string(row.key), value}}));
        put(file);
        ASSERT_TRUE(TintPreferences::isOpen()) << row.key;
        TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
        EXPECT_EQ(toggled.write.failure, WriteFailure::WouldNotReadBack) << row.key;
        EXPECT_NE(toggled.write.reason.find(row.reason), std::string::npos) << toggled.write.reason;
        EXPECT_EQ(toggled.state, TintState::On) << row.key;
        EXPECT_EQ(bytes(), file) << row.key;
    }
}

} // namespace
