// Files and inputs built to hang, exhaust or crash a reader, given to the real programs
// (keyboard-host with the real plug-in, the settings app), each row in a process of its
// own under a time and memory limit: a hang or a blow-up fails the row. What each row
// cost is printed as figures, never asserted.
#include "BinaryPropertyList.h"
#include "LimitedRun.h"
#include "TintPreferencesFixture.h"

#include <CoreGraphics/CGImage.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace limitedrun;
using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

std::string answer(int appearance, const std::string& background,
                   const std::string& plugins = "\"Prismkey\"") {
    return "{\"plugins\":[" + plugins + "],\"keyboardAppearance\":" + std::to_string(appearance) +
           ",\"background\":" + background + ",\"layoutPasses\":1}\n";
}

const std::string onWithFive = plist(openEntry("on") + colorEntry(fiveElements));
const std::string untouched = answer(0, "null");

enum class Program { KeyboardQuery, SettingsScreen };

struct HostileRow {
    const char* name;
    Program program;
    // Puts the hostile thing in place: the preferences file, the folder of plug-ins.
    void (*prepare)(const fs::path& preferences, const fs::path& plugins);
    std::string standardOutput; // the keyboard's answer; unused for the settings screen
    const char* standardError;  // a part of what it says; "" for nothing at all, null: unread
    int errorLines = -1;        // the lines it writes on standard error; -1: not counted
    const char* script = "";    // the settings screen: what the user does before the screenshot
    void (*verify)(const fs::path& preferences) = nullptr; // the files afterwards
};

void PrintTo(const HostileRow& row, std::ostream* os) {
    *os << row.name;
}

void writeTo(const fs::path& file, const std::string& contents) {
    testsupport::writeFile(file, contents);
}

class Hostile : public PreferencesFile, public ::testing::WithParamInterface<HostileRow> {
  protected:
    void SetUp() override {
        PreferencesFile::SetUp();
        plugins = NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries");
        for (const char* file : {"Prismkey.dylib", "Prismkey.plist"}) {
            fs::copy_file(testsupport::buildDirectory() / "DynamicLibraries" / file,
                          plugins / file);
        }
    }
    LimitedRun run(Program program, const std::string& script) {
        const fs::path bin = testsupport::buildDirectory() / "bin";
        const std::string rootPath = root.path().string();
        if (program == Program::KeyboardQuery) {
            return runLimited({(bin / "keyboard-host").string(), "--query", "--root", rootPath},
                              root.path());
        }
        testsupport::writeFile(root.path() / "script",
                               script + "wait 300\nscreenshot " + screenshot().string() + "\n");
        return runLimited({(bin / "PrismkeyFree").string(), "--headless", "--root", rootPath,
                           "--events", (root.path() / "script").string()},
                          root.path());
    }
    fs::path screenshot() const { return root.path() / "screen.png"; }
    CGPixel pixel(CGPoint p) const {
        CGImageRef image = CGImageCreateWithPNGFile(screenshot().string());
        return image ? CGImageGetPixel(image, static_cast<std::size_t>(p.x),
                                       static_cast<std::size_t>(p.y))
                     : CGPixel{};
    }
    fs::path plugins;
};

TEST_P(Hostile, AnsweredInBoundedTimeAndMemory) {
    const HostileRow& row = GetParam();
    row.prepare(hostFile(), plugins);
    if (IsSkipped()) {
        return;
    }
    LimitedRun result = run(row.program, row.script);
    printFigures(row.name, result);
    ASSERT_FALSE(result.timedOut) << "still running after " << wallClockLimit.count() << " s";
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    if (row.program == Program::KeyboardQuery) {
        EXPECT_EQ(result.standardOutput, row.standardOutput);
    } else {
        // The navigation bar and the red swatch are drawn, whatever the stored colour.
        const CGPixel bar = pixel({100, 50}), swatch = pixel({43, 452});
        EXPECT_EQ(std::vector<int>({bar.r, bar.g, bar.b}), std::vector<int>({209, 238, 252}));
        EXPECT_EQ(std::vector<int>({swatch.r, swatch.g, swatch.b}), std::vector<int>({255, 0, 0}));
    }
    if (row.errorLines >= 0) {
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'),
                  row.errorLines)
            << result.standardError;
    }
    if (row.standardError == nullptr) {
        return;
    }
    if (std::string(row.standardError).empty()) {
        EXPECT_EQ(result.standardError, "");
    } else {
        EXPECT_NE(result.standardError.find(row.standardError), std::string::npos)
            << result.standardError;
    }
    if (row.verify != nullptr) {
        row.verify(hostFile());
    }
}

const std::string noPlugins = answer(0, "null", "");

void addPermissions(const fs::path& path, fs::perms perms) {
    fs::permissions(path, perms, fs::perm_options::add);
}

// The library cut to `length` bytes, as an interrupted copy leaves it.
void cutLibrary(const fs::path& plugins, std::uintmax_t length) {
    fs::resize_file(plugins / "Prismkey.dylib", length);
}

// Halfway through the library's last loadable segment, wherever the build put it.
std::uintmax_t insideLastLoadableSegment(const fs::path& library) {
    const std::string bytes = testsupport::readFile(library);
    Elf64_Ehdr header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    std::uintmax_t cut = 0;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_type == PT_LOAD && segment.p_filesz > 1) {
            cut = segment.p_offset + segment.p_filesz / 2;
        }
    }
    return cut;
}

std::string savedColor(const std::vector<std::string>& components) {
    std::vector<std::string> elements = {"UIDeviceRGBColorSpace"};
    elements.insert(elements.end(), components.begin(), components.end());
    return plist(openEntry("on") + colorEntry(elements));
}

const auto keyboard = Program::KeyboardQuery;
const std::string forgingName = "Evil\nkeyboard-host: plug-in Prismkey loaded";

// ---- writes the readers would refuse or that would change what nobody changed ----

// Each refused write shows the failure alert, answered with its OK.
const char* const tapSave = "tap 290 42\nalert OK\n";
const char* const tapToggle = "tap 30 42\nalert OK\n";
const auto settings = Program::SettingsScreen;

// The file, and a copy beside it to compare with afterwards.
void writeKept(const fs::path& file, const std::string& contents) {
    writeTo(file, contents);
    writeTo(file.string() + ".before", contents);
}
void unchanged(const fs::path& file) {
    EXPECT_EQ(testsupport::readFile(file), testsupport::readFile(file.string() + ".before"));
}
// Readable, but a change written by libplist (indented, with its document type)
// would pass 64 KiB.
std::string nearTheSizeLimit() {
    const std::string head = openEntry("on") + "<key>pad</key><string>";
    return plist(head + std::string(65450 - plist(head + "</string>").size(), 'p') + "</string>");
}
const std::string outOfRange = plist(openEntry("on") + colorEntry(fiveElements) +
                                     "<key>big</key><integer>18446744073709551616</integer>"
                                     "<key>small</key><integer>-18446744073709551615</integer>");
// The file in UTF-16 with its byte-order mark, declared as such.
std::string utf16(std::string ascii, bool bigEndian) {
    ascii.replace(ascii.find("UTF-8"), 5, "UTF-16");
    std::string out = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}
const std::string willNotReadBack =
    "the settings file holds more, or other, than could be written back unchanged";
const std::string saveRefused =
    "alert: Not saved: Your color could not be saved: " + willNotReadBack +
    ". The settings file is ";
const std::string toggleRefused =
    "alert: Not saved: The setting could not be changed: " + willNotReadBack;

INSTANTIATE_TEST_SUITE_P(
    Rows, Hostile,
    ::
        testing::Values(HostileRow{"TheAppsOwnFile", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, onWithFive);
                                   },
                                   answer(1, "[0.2,0.4,0.6,1]"), ""},
                        HostileRow{"SharedReferences20Levels", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::doublingList(20));
                                   },
                                   untouched, ""},
                        HostileRow{"SharedReferences28Levels", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::doublingList(28));
                                   },
                                   untouched, ""},
                        HostileRow{"Cycle", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::cycle());
                                   },
                                   untouched, ""},
                        HostileRow{"ChainAtTheNestingLimit", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::chain(128));
                                   },
                                   answer(1, "null"), ""},
                        HostileRow{"ChainPastTheNestingLimit", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::chain(129));
                                   },
                                   untouched, ""},
                        HostileRow{"OffsetPastTheEnd", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, binaryplist::offsetPastTheEnd());
                                   },
                                   untouched, ""},
                        HostileRow{"PipeAsThePreferencesFile", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
                                   },
                                   untouched, ""},
                        HostileRow{"PipeAsTheLoaderFilter", keyboard,
                                   [](const fs::path& file, const fs::path& plugins) {
                                       writeTo(file, onWithFive);
                                       fs::remove(plugins / "Prismkey.plist");
                                       ASSERT_EQ(mkfifo((plugins / "Prismkey.plist").c_str(), 0644),
                                                 0);
                                   },
                                   answer(0, "null", ""),
                                   "Prismkey.plist\" is a pipe, not a regular file"},
                        HostileRow{"LinkToDevZero", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       fs::create_symlink("/dev/zero", file);
                                   },
                                   untouched, ""},
                        HostileRow{"OneByteOver64KiB", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, onWithFive + std::string(64 * 1024 + 1 -
                                                                                  onWithFive.size(),
                                                                              ' '));
                                   },
                                   untouched, ""},
                        HostileRow{
                            "EmptyFile", keyboard,
                            [](const fs::path& file, const fs::path&) { writeTo(file, ""); },
                            untouched, ""},
                        HostileRow{"ClashingIsOpen", keyboard,
                                   [](const fs::path& file, const fs::path& plugins) {
                                       writeTo(file, onWithFive);
                                       fs::copy_file(CLASHING_IS_OPEN_PLUGIN,
                                                     plugins / "AaaClashingIsOpen.dylib");
                                       fs::copy_file(plugins / "Prismkey.plist",
                                                     plugins / "AaaClashingIsOpen.plist");
                                   },
                                   answer(0, "null", "\"AaaClashingIsOpen\",\"Prismkey\""),
                                   "UIPeripheralHostView already has isOpen"},
                        HostileRow{"PluginFolderWritableByEveryone", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       addPermissions(plugins, fs::perms::others_write);
                                   },
                                   noPlugins, "DynamicLibraries\" is writable by everyone", 1},
                        HostileRow{"LibraryWritableByEveryone", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       addPermissions(plugins / "Prismkey.dylib",
                                                      fs::perms::others_write);
                                   },
                                   noPlugins, "Prismkey.dylib\" is writable by everyone", 1},
                        HostileRow{"FilterWritableByEveryone", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       addPermissions(plugins / "Prismkey.plist",
                                                      fs::perms::others_write);
                                   },
                                   noPlugins, "Prismkey.plist\" is writable by everyone", 1},
                        HostileRow{"LibraryWritableByItsGroup", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       addPermissions(plugins / "Prismkey.dylib",
                                                      fs::perms::group_write);
                                   },
                                   noPlugins, "Prismkey.dylib\" is writable by its group", 1},
                        HostileRow{"LibraryOwnedByAnotherUser", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       if (geteuid() != 0) {
                                           GTEST_SKIP()
                                               << "giving a file to another user needs root";
                                       }
                                       ASSERT_EQ(chown((plugins / "Prismkey.dylib").c_str(), 65534,
                                                       65534),
                                                 0);
                                   },
                                   noPlugins, "Prismkey.dylib\" is owned by user 65534", 1},
                        // A name can forge no log line, and the answer stays JSON.
                        HostileRow{"PluginNamedToForgeALogLine", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       fs::copy_file(plugins / "Prismkey.dylib",
                                                     plugins / (forgingName + ".dylib"));
                                   },
                                   untouched,
                                   "keyboard-host: plug-in \"Evil\\nkeyboard-host: plug-in "
                                   "Prismkey loaded\" not loaded: no filter \"Evil\\n",
                                   1},
                        HostileRow{"PluginNamedWithAByteThatIsNotUTF8", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       for (const char* extension : {".dylib", ".plist"}) {
                                           fs::rename(
                                               plugins / ("Prismkey" + std::string(extension)),
                                               plugins / ("Prism\xffkey" + std::string(extension)));
                                       }
                                   },
                                   answer(0, "null", "\"Prism\xef\xbf\xbdkey\""), "", 0},
                        HostileRow{"LibraryCutInItsELFHeader", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       cutLibrary(plugins, 40);
                                   },
                                   noPlugins, "Prismkey.dylib\" is cut short inside its ELF header",
                                   1},
                        HostileRow{"LibraryCutInItsProgramHeaders", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       cutLibrary(plugins, sizeof(Elf64_Ehdr) + 20);
                                   },
                                   noPlugins,
                                   "Prismkey.dylib\" is cut short inside its program headers", 1},
                        HostileRow{"LibraryCutInALoadableSegment", keyboard,
                                   [](const fs::path&, const fs::path& plugins) {
                                       cutLibrary(plugins, insideLastLoadableSegment(
                                                               plugins / "Prismkey.dylib"));
                                   },
                                   noPlugins,
                                   "Prismkey.dylib\" is cut short inside a loadable segment", 1},
                        HostileRow{"NearTheSizeLimitSaved", settings,
                                   [](const fs::path& file, const fs::path&) {
                                       writeKept(file, nearTheSizeLimit());
                                   },
                                   "", saveRefused.c_str(), -1, tapSave, unchanged},
                        HostileRow{"NearTheSizeLimitToggled", settings,
                                   [](const fs::path& file, const fs::path&) {
                                       writeKept(file, nearTheSizeLimit());
                                   },
                                   "", toggleRefused.c_str(), -1, tapToggle, unchanged},
                        HostileRow{"IntegersOutOfRangeRead", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, outOfRange);
                                   },
                                   answer(1, "[0.2,0.4,0.6,1]"), ""},
                        HostileRow{"IntegersOutOfRangeSaved", settings,
                                   [](const fs::path& file, const fs::path&) {
                                       writeKept(file, outOfRange);
                                   },
                                   "", saveRefused.c_str(), -1, tapSave, unchanged},
                        HostileRow{"NulInAKeyXml", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, plist(std::string("<key>open\0x</key>", 18) +
                                                           "<string>on</string>"));
                                   },
                                   untouched, ""},
                        HostileRow{"NulInAKeyBinary", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       binaryplist::Builder b;
                                       writeTo(file, b.bytes(b.dictionary(
                                                         {{b.string(std::string("open\0x", 6)),
                                                           b.string("on")}})));
                                   },
                                   untouched, ""},
                        HostileRow{"ByteOrderMarkUtf8", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, "\xef\xbb\xbf" + onWithFive);
                                   },
                                   answer(1, "[0.2,0.4,0.6,1]"), ""},
                        HostileRow{"Utf16BigEndian", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, utf16(onWithFive, true));
                                   },
                                   answer(1, "[0.2,0.4,0.6,1]"), ""},
                        HostileRow{"Utf16LittleEndian", keyboard,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, utf16(onWithFive, false));
                                   },
                                   answer(1, "[0.2,0.4,0.6,1]"), ""},
                        HostileRow{
                            "PrivateFileBehindALinkToggled", settings,
                            [](const fs::path& file, const fs::path&) {
                                const fs::path real = file.parent_path() / "private";
                                fs::create_directory(real, file.parent_path());
                                writeTo(real / "tint.plist", onWithFive);
                                fs::permissions(real / "tint.plist",
                                                fs::perms::owner_read | fs::perms::owner_write);
                                fs::create_symlink("private/tint.plist", file);
                            },
                            "", nullptr, -1, "tap 30 42\n",
                            [](const fs::path& file) {
                                const fs::path real = file.parent_path() / "private/tint.plist";
                                EXPECT_TRUE(fs::is_symlink(file));
                                EXPECT_EQ(fs::status(real).permissions(),
                                          fs::perms::owner_read | fs::perms::owner_write);
                                EXPECT_NE(testsupport::readFile(real).find("<string>off</string>"),
                                          std::string::npos);
                            }},
                        HostileRow{"SettingsWithColourMinusOne", Program::SettingsScreen,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, savedColor({"-1", "0", "0", "1"}));
                                   },
                                   "", nullptr},
                        HostileRow{"SettingsWithColour1e39", Program::SettingsScreen,
                                   [](const fs::path& file, const fs::path&) {
                                       writeTo(file, savedColor({"1e39", "0.5", "0.5", "1"}));
                                   },
                                   "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
