#include "TintPreferencesFixture.h"

#include <atomic>
#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tintfixture;
using TintPreferences::TintState;
using TintPreferences::WriteFailure;

namespace {

using TintPreferencesFile = PreferencesFile;

TEST_F(TintPreferencesFile, WithoutAFileReadersSayOffAndTheScreenCreatesOne) {
    EXPECT_FALSE(TintPreferences::isOpen());
    EXPECT_FALSE(TintPreferences::storedTint());

    TintPreferences::ScreenPreferences first = TintPreferences::loadForScreen();
    EXPECT_TRUE(first.created);
    EXPECT_FALSE(first.storedColor);
    EXPECT_FALSE(first.openText);
    auto created = dictionary();
    ASSERT_TRUE(created);
    EXPECT_EQ(created->allKeys(), std::vector<std::string>{"open"});
    EXPECT_EQ(ns_cast<NSString>(created->objectForKey("open"))->utf8(), "off");

    TintPreferences::ScreenPreferences second = TintPreferences::loadForScreen();
    EXPECT_FALSE(second.created);
    EXPECT_FALSE(second.storedColor);
    ASSERT_TRUE(second.openText);
    EXPECT_EQ(second.openText->utf8(), "off");
}

struct StateRow {
    const char* name;
    std::string contents;
    bool open;
    std::vector<float> tint; // what storedTint and loadForScreen give; empty for none
    const char* openText;    // what loadForScreen gives; null for none
};

class TintPreferencesStates : public PreferencesFile,
                              public ::testing::WithParamInterface<StateRow> {};

TEST_P(TintPreferencesStates, ReadersFollowTheTable) {
    const StateRow& row = GetParam();
    put(row.contents);
    EXPECT_EQ(TintPreferences::isOpen(), row.open);
    EXPECT_EQ(rgba(TintPreferences::storedTint()), row.tint);
    TintPreferences::ScreenPreferences screen = TintPreferences::loadForScreen();
    EXPECT_EQ(rgba(screen.storedColor), row.tint);
    EXPECT_EQ(screen.openText ? screen.openText->utf8() : std::string("(none)"),
              row.openText ? row.openText : "(none)");
    EXPECT_EQ(bytes(), row.contents) << "readers never write an existing file";
}

const std::vector<float> blueish = {0.2f, 0.4f, 0.6f, 1.0f};

INSTANTIATE_TEST_SUITE_P(
    Rows, TintPreferencesStates,
    ::testing::Values(
        StateRow{"OnWithFive", plist(openEntry("on") + colorEntry(fiveElements)), true, blueish,
                 "on"},
        StateRow{"OnWithThree", plist(openEntry("on") + colorEntry(threeElements)), true, {}, "on"},
        StateRow{"OnWithoutColour", plist(openEntry("on")), true, {}, "on"},
        StateRow{"OffWithFive", plist(openEntry("off") + colorEntry(fiveElements)), false, blueish,
                 "off"},
        StateRow{"CapitalisedOnIsOff", plist(openEntry("On") + colorEntry(fiveElements)), false,
                 blueish, "On"},
        StateRow{"OpenMissing", plist(colorEntry(fiveElements)), false, blueish, nullptr},
        StateRow{"OpenIsANumber", plist("<key>open</key><integer>1</integer>"), false, {}, nullptr},
        StateRow{"OpenIsTrue", plist("<key>open</key><true/>"), false, {}, nullptr},
        StateRow{"SixElements",
                 plist(openEntry("on") + colorEntry({"w", "1", "1", "1", "1", "1"})),
                 true,
                 {},
                 "on"},
        StateRow{"FourElements",
                 plist(openEntry("on") + colorEntry({"w", "1", "1", "1"})),
                 true,
                 {},
                 "on"},
        StateRow{"ColourIsText",
                 plist(openEntry("on") + "<key>saveColor</key><string>red</string>"),
                 true,
                 {},
                 "on"},
        StateRow{"ColourIsADictionary",
                 plist(openEntry("on") + "<key>saveColor</key><dict/>"),
                 true,
                 {},
                 "on"},
        // Numbers read by their value, as the device's floatValue reads them.
        StateRow{"ElementsAreNumbers",
                 plist(openEntry("on") + "<key>saveColor</key><array><string>w</string><integer>1</"
                                         "integer><integer>0</integer>"
                                         "<integer>0</integer><integer>1</integer></array>"),
                 true, std::vector<float>{1, 0, 0, 1}, "on"},
        StateRow{"RealsBooleansAndTextMixed",
                 plist(openEntry("on") + "<key>saveColor</key><array><integer>7</integer>"
                                         "<real>0.2</real><real>4e-1</real><string>0.6</string>"
                                         "<true/></array>"),
                 true, blueish, "on"},
        StateRow{"AnElementIsADate",
                 plist(openEntry("on") + "<key>saveColor</key><array><string>w</string>"
                                         "<real>0.2</real><real>0.4</real><real>0.6</real>"
                                         "<date>2030-05-06T07:08:09Z</date></array>"),
                 true,
                 {},
                 "on"},
        StateRow{"WordsReadAsZero",
                 plist(openEntry("on") + colorEntry({"w", "red", "green", "blue", "alpha"})), true,
                 std::vector<float>{0, 0, 0, 0}, "on"},
        StateRow{"NumbersAfterSpaceAndBeforeText",
                 plist(openEntry("on") + colorEntry({"w", " 0.5", "1e-1", "2.5", "0.25px"})), true,
                 std::vector<float>{0.5f, 0.1f, 2.5f, 0.25f}, "on"},
        StateRow{"NotAPlist", "open = on", false, {}, nullptr},
        StateRow{"TopLevelArray",
                 "<plist version=\"1.0\"><array><string>on</string></array></plist>",
                 false,
                 {},
                 nullptr},
        StateRow{"Empty", "", false, {}, nullptr},
        StateRow{"Huge",
                 plist(openEntry("on") + colorEntry(fiveElements) + "<key>pad</key><string>" +
                       std::string(70000, 'x') + "</string>"),
                 false,
                 {},
                 nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TintPreferencesFile, TwoTogglesRestoreOpenAndKeepEveryOtherKey) {
    const std::string others = colorEntry(fiveElements) + "<key>extra</key><integer>42</integer>";
    for (const char* start : {"on", "off"}) {
        put(plist(openEntry(start) + others));
        auto before = dictionary();
        TintPreferences::ToggleResult first = TintPreferences::toggleOpen();
        EXPECT_TRUE(first.write.succeeded()) << first.write.reason;
        EXPECT_EQ(first.state, std::string(start) == "on" ? TintState::Off : TintState::On);
        EXPECT_EQ(TintPreferences::isOpen(), first.state == TintState::On);
        TintPreferences::ToggleResult second = TintPreferences::toggleOpen();
        EXPECT_EQ(second.state, std::string(start) == "on" ? TintState::On : TintState::Off);
        EXPECT_TRUE(dictionary()->isEqual(before.get())) << start;
    }
}

TEST_F(TintPreferencesFile, ToggleTurnsAnythingButExactOnIntoOn) {
    for (const std::string& body : {plist(""), plist(openEntry("On")), plist(openEntry("ON")),
                                    plist("<key>open</key><integer>1</integer>")}) {
        put(body);
        TintPreferences::ToggleResult result = TintPreferences::toggleOpen();
        EXPECT_EQ(result.state, TintState::On) << body;
        EXPECT_TRUE(TintPreferences::isOpen()) << body;
    }
    put(plist(""));
    TintPreferences::toggleOpen();
    TintPreferences::toggleOpen();
    EXPECT_EQ(ns_cast<NSString>(dictionary()->objectForKey("open"))->utf8(), "off");
}

TEST_F(TintPreferencesFile, StoredColoursReadBackAsTheirComponents) {
    put(plist(openEntry("on") + "<key>extra</key><string>kept</string>"));
    ASSERT_TRUE(
        TintPreferences::storeColor(UIColor::colorWithRed(0.2f, 0.4f, 0.6f, 0.8f)).succeeded());
    EXPECT_EQ(storedElements(),
              (std::vector<std::string>{"UIDeviceRGBColorSpace", "0.2", "0.4", "0.6", "0.8"}));
    EXPECT_EQ(rgba(TintPreferences::storedTint()), (std::vector<float>{0.2f, 0.4f, 0.6f, 0.8f}));
    EXPECT_TRUE(TintPreferences::isOpen());
    EXPECT_EQ(ns_cast<NSString>(dictionary()->objectForKey("extra"))->utf8(), "kept");

    // Awkward floats survive the text form bit for bit.
    const float awkward[4] = {1.0f / 3, 0.1f, 1e-7f, 0.999999f};
    ASSERT_TRUE(TintPreferences::storeColor(
                    UIColor::colorWithRed(awkward[0], awkward[1], awkward[2], awkward[3]))
                    .succeeded());
    EXPECT_EQ(rgba(TintPreferences::storedTint()), std::vector<float>(awkward, awkward + 4));
}

TEST_F(TintPreferencesFile, GreyIsStoredInItsRgbFormSoTheKeyboardGetsIt) {
    put(plist(openEntry("on")));
    ASSERT_TRUE(TintPreferences::storeColor(UIColor::whiteColor()).succeeded());
    EXPECT_EQ(storedElements(),
              (std::vector<std::string>{"UIDeviceRGBColorSpace", "1", "1", "1", "1"}));
    EXPECT_EQ(rgba(TintPreferences::storedTint()), (std::vector<float>{1, 1, 1, 1}));
    ASSERT_TRUE(TintPreferences::storeColor(UIColor::colorWithWhite(0.25f, 0.5f)).succeeded());
    EXPECT_EQ(rgba(TintPreferences::loadForScreen().storedColor),
              (std::vector<float>{0.25f, 0.25f, 0.25f, 0.5f}));
}

// Files that exist but are not a dictionary property list: readers see off, and
// neither writer touches them.
TEST_F(TintPreferencesFile, UnreadableFileIsOffAndNeverWritten) {
    const std::vector<std::string> unreadable = {
        "not a plist",
        "<plist version=\"1.0\"><array/></plist>",
        plist(openEntry("on") + "<key>pad</key><string>" + std::string(70000, 'x') + "</string>"),
    };
    for (const std::string& contents : unreadable) {
        put(contents);
        TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
        EXPECT_EQ(toggled.state, TintState::Off);
        EXPECT_EQ(toggled.write.failure, WriteFailure::CouldNotRead);
        EXPECT_NE(toggled.write.reason.find(hostFile().string()), std::string::npos)
            << toggled.write.reason;
        TintPreferences::WriteResult stored = TintPreferences::storeColor(UIColor::redColor());
        EXPECT_EQ(stored.failure, WriteFailure::CouldNotRead);
        EXPECT_FALSE(TintPreferences::loadForScreen().created);
        EXPECT_FALSE(TintPreferences::isOpen());
        EXPECT_EQ(bytes(), contents);
    }
    std::filesystem::remove(hostFile());
    EXPECT_EQ(TintPreferences::toggleOpen().write.failure, WriteFailure::CouldNotRead);
    EXPECT_FALSE(std::filesystem::exists(hostFile()))
        << "only the screen's first load creates the file";
    EXPECT_EQ(temporaryCount(), 0u);
}

TEST_F(TintPreferencesFile, FolderInPlaceOfTheFileIsOffAndStaysAFolder) {
    std::filesystem::create_directory(hostFile());
    EXPECT_FALSE(TintPreferences::isOpen());
    EXPECT_FALSE(TintPreferences::storedTint());
    TintPreferences::ScreenPreferences screen = TintPreferences::loadForScreen();
    EXPECT_FALSE(screen.created);
    EXPECT_FALSE(screen.openText);
    EXPECT_EQ(TintPreferences::toggleOpen().write.failure, WriteFailure::CouldNotRead);
    EXPECT_EQ(TintPreferences::storeColor(UIColor::redColor()).failure, WriteFailure::CouldNotRead);
    EXPECT_TRUE(std::filesystem::is_directory(hostFile()));
    EXPECT_EQ(temporaryCount(), 0u);
}

// A write that fails part-way (here: the file-size limit) leaves the old file, no
// temporary, and a toggle that reports the state readers still see.
TEST_F(TintPreferencesFile, FailedWriteIsReportedAndChangesNothing) {
    const std::string original = plist(openEntry("on") + colorEntry(fiveElements));
    put(original);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
        TintPreferences::WriteResult stored = TintPreferences::storeColor(UIColor::redColor());
        bool ok = toggled.state == TintState::On &&
                  toggled.write.failure == WriteFailure::CouldNotWrite &&
                  !toggled.write.reason.empty() && stored.failure == WriteFailure::CouldNotWrite;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(bytes(), original);
    EXPECT_EQ(temporaryCount(), 0u);
}

// Readers answer from the bytes alone: files of one size and one modification time
// that differ in a byte are told apart at once.
TEST_F(TintPreferencesFile, ReadersFollowEveryChangeOfTheBytesWhateverTheMetadata) {
    const struct {
        std::string contents;
        bool open;
        std::vector<float> tint;
    } rows[] = {
        {plist(openEntry("on") + colorEntry({"w", "0.2", "0.4", "0.6", "1"})),
         true,
         {0.2f, 0.4f, 0.6f, 1}},
        {plist(openEntry("on") + colorEntry({"w", "0.2", "0.4", "0.7", "1"})),
         true,
         {0.2f, 0.4f, 0.7f, 1}},
        {plist(openEntry("On") + colorEntry({"w", "0.2", "0.4", "0.7", "1"})),
         false,
         {0.2f, 0.4f, 0.7f, 1}},
        {plist(openEntry("on") + colorEntry({"w", "0.2", "0.4", "0.6", "1"})),
         true,
         {0.2f, 0.4f, 0.6f, 1}},
    };
    put(rows[0].contents);
    const auto when = std::filesystem::last_write_time(hostFile());
    for (const auto& row : rows) {
        put(row.contents);
        std::filesystem::last_write_time(hostFile(), when);
        EXPECT_EQ(TintPreferences::isOpen(), row.open) << row.contents;
        EXPECT_EQ(rgba(TintPreferences::storedTint()), row.tint) << row.contents;
    }
}

// Several threads read while the file changes under them: each answer is one of the
// files', and once the changes stop every thread answers for the last one.
TEST_F(TintPreferencesFile, ReadersOnSeveralThreadsAnswerForTheBytesTheyRead) {
    const std::string first = plist(openEntry("on") + colorEntry({"w", "0.1", "0", "0", "1"}));
    const std::string second = plist(openEntry("on") + colorEntry({"w", "0.9", "0", "0", "1"}));
    put(first);
    std::atomic<bool> stop = false;
    std::atomic<int> wrong = 0;
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                std::vector<float> tint = rgba(TintPreferences::storedTint());
                wrong += tint.empty() || (tint[0] != 0.1f && tint[0] != 0.9f) ? 1 : 0;
            }
            wrong += rgba(TintPreferences::storedTint()) != std::vector<float>{0.9f, 0, 0, 1};
        });
    }
    for (int change = 0; change < 400; ++change) {
        ASSERT_TRUE(NSFileManager::defaultManager()->writeAtomically(TintPreferencesPath,
                                                                     change % 2 ? second : first));
    }
    stop = true;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrong, 0);
}

// Once the new file is in place every reader sees it, so a failed folder flush after
// the rename still counts as a change made.
TEST_F(TintPreferencesFile, ToggleWhoseFolderFlushFailsReportsTheNewState) {
    put(plist(openEntry("off")));
    NSFileDurabilityCalls failingFolderFlush;
    failingFolderFlush.flush = [](int fd) {
        struct stat status {};
        fstat(fd, &status);
        return S_ISDIR(status.st_mode) ? (errno = EIO, -1) : fsync(fd);
    };
    NSFileManager::defaultManager()->setDurabilityCalls(failingFolderFlush);
    testing::internal::CaptureStderr();
    TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
    std::string log = testing::internal::GetCapturedStderr();
    NSFileManager::defaultManager()->setDurabilityCalls(NSFileDurabilityCalls{});
    EXPECT_EQ(toggled.state, TintState::On);
    EXPECT_TRUE(toggled.write.succeeded()) << toggled.write.reason;
    EXPECT_TRUE(TintPreferences::isOpen());
    EXPECT_NE(log.find("the folder could not be flushed"), std::string::npos) << log;
}

// Values the app never writes survive a toggle and a save as they were.
TEST_F(TintPreferencesFile, ValuesTheAppDoesNotWriteSurviveAToggleAndASave) {
    put(plist(openEntry("off") +
              "<key>unsigned</key><integer>18446744073709551615</integer>"
              "<key>negative</key><integer>-9223372036854775808</integer>"
              "<key>infinite</key><real>-infinity</real><key>real</key><real>0.1</real>"
              "<key>when</key><date>2030-05-06T07:08:09Z</date><key>blob</key><data>AP8=</data>"
              "<key></key><string>caf\xc3\xa9</string>"
              "<key>nested</key><array><dict><key>k</key><array/></dict></array>"
              "<key>nan</key><real>nan</real>"));
    auto before = dictionary();
    ASSERT_TRUE(TintPreferences::toggleOpen().write.succeeded());
    ASSERT_TRUE(TintPreferences::storeColor(UIColor::redColor()).succeeded());
    auto after = dictionary();
    for (const std::string& key : before->allKeys()) {
        if (key == "open" || key == "nan") {
            continue;
        }
        EXPECT_TRUE(before->objectForKey(key)->isEqual(after->objectForKey(key).get())) << key;
    }
    EXPECT_EQ(ns_cast<NSNumber>(after->objectForKey("unsigned"))->description(),
              "18446744073709551615");
    EXPECT_TRUE(std::isnan(ns_cast<NSNumber>(after->objectForKey("nan"))->doubleValue()));
}

// A value that cannot be written back exactly: nothing is written, the writers say so,
// and the state reported is the one readers still see.
TEST_F(TintPreferencesFile, ValueThatCannotBeWrittenBackLeavesTheFileAsItWas) {
    const std::string original =
        plist(openEntry("on") + "<key>zero</key><real>-0.0</real>" + colorEntry(fiveElements));
    put(original);
    TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
    EXPECT_EQ(toggled.state, TintState::On);
    EXPECT_EQ(toggled.write.failure, WriteFailure::WouldNotReadBack);
    EXPECT_NE(toggled.write.reason.find("negative zero"), std::string::npos)
        << toggled.write.reason;
    EXPECT_EQ(TintPreferences::storeColor(UIColor::redColor()).failure,
              WriteFailure::WouldNotReadBack);
    EXPECT_EQ(bytes(), original);
}

} // namespace
