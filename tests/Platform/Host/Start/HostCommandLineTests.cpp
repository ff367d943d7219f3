#include <Host/Start/HostCommandLine.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

TEST(HostCommandLine, SharedOptionsInBothSpellings) {
    HostCommandLine line("prog");
    HostSettings s =
        line.parse(Arguments{"--root", "/tmp/r", "--scale=2", "--headless", "--events", "-"});
    EXPECT_EQ(s.root, "/tmp/r");
    EXPECT_EQ(s.scale, 2);
    EXPECT_TRUE(s.headless);
    EXPECT_EQ(s.eventsPath, "-");
    EXPECT_FALSE(s.help);
    HostSettings defaults = line.parse(Arguments{});
    EXPECT_FALSE(defaults.root);
    EXPECT_FALSE(defaults.scale);
    EXPECT_FALSE(defaults.headless);
}

class BadCommandLine : public ::testing::TestWithParam<std::pair<Arguments, std::string>> {};

TEST_P(BadCommandLine, SaysWhatIsWrongInOneLine) {
    HostCommandLine line("prog");
    try {
        line.parse(GetParam().first);
        FAIL() << "accepted";
    } catch (const HostUsageError& error) {
        std::string message = error.what();
        EXPECT_NE(message.find(GetParam().second), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostCommandLine, BadCommandLine,
    ::testing::Values(std::pair{Arguments{"--scale", "3"}, std::string("--scale must be 1 or 2")},
                      std::pair{Arguments{"--scale"}, std::string("--scale needs a value")},
                      std::pair{Arguments{"--root"}, std::string("--root needs a value")},
                      std::pair{Arguments{"--root="}, std::string("--root needs a folder")},
                      std::pair{Arguments{"--headless=yes"}, std::string("takes no value")},
                      std::pair{Arguments{"--plugins", "x"},
                                std::string("unknown option \"--plugins\"")},
                      std::pair{Arguments{"stray"}, std::string("unknown argument \"stray\"")},
                      std::pair{Arguments{"--position", "10"},
                                std::string("--position must be X,Y in desktop pixels")},
                      std::pair{Arguments{"--position"}, std::string("--position needs a value")}));

// Positions as a window manager's desktop has them: either number may be negative.
TEST(HostCommandLine, PositionsAreTwoWholeNumbers) {
    const std::pair<const char*, std::optional<HostWindowPosition>> rows[] = {
        {"40,40", HostWindowPosition{40, 40}},
        {"-1920,0", HostWindowPosition{-1920, 0}},
        {"0,-5", HostWindowPosition{0, -5}},
        {"1000000,1", HostWindowPosition{1000000, 1}},
        {"1000001,1", std::nullopt},
        {"99999999999,1", std::nullopt},
        {"10", std::nullopt},
        {"10,", std::nullopt},
        {",10", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.5,2", std::nullopt},
        {" 1,2", std::nullopt},
        {"+1,2", std::nullopt},
        {"-,2", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(HostParseWindowPosition(text), expected) << text;
    }
    HostSettings settings = HostCommandLine("p").parse(Arguments{"--position=-3,7"});
    EXPECT_EQ(settings.position, (HostWindowPosition{-3, 7}));
    EXPECT_FALSE(HostCommandLine("p").parse(Arguments{}).position) << "the window manager's";
}

TEST(HostCommandLine, ProgramOptionsAreAppliedAndListed) {
    HostCommandLine line("keyboard-host", "the keyboard-hosting process");
    std::string plugins;
    bool query = false;
    line.addOption(
        {"--plugins", "DIR", "load plug-ins from DIR", [&](const std::string& v) { plugins = v; }});
    line.addOption(
        {"--query", "", "print one JSON line and exit", [&](const std::string&) { query = true; }});
    HostSettings s = line.parse(Arguments{"--plugins=/p", "--query", "--headless"});
    EXPECT_EQ(plugins, "/p");
    EXPECT_TRUE(query);
    EXPECT_TRUE(s.headless);
    EXPECT_THROW(line.parse(Arguments{"--query=1"}), HostUsageError);
    std::string usage = line.usage({"key TEXT"});
    for (const char* part : {"Usage: keyboard-host", "--plugins DIR", "--query", "--root DIR",
                             "key TEXT", "Exit status"}) {
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    }
}

// The window's sentence ends at the finger when a program has no keys to list, and
// introduces the key lines when it has.
TEST(HostCommandLine, UsageListsTheKeysGivenAfterTheFinger) {
    HostCommandLine line("program");
    const struct {
        std::vector<std::string> keys;
        std::string part;
    } rows[] = {
        {{}, "acts as a finger.\nAn event script"},
        {{"Ctrl+Q  quit"}, "acts as a finger and the keyboard's keys work:\n  Ctrl+Q  quit\n"},
        {{"A  a", "B  b"}, "\n  A  a\n  B  b\n\nAn event script"},
    };
    for (const auto& row : rows) {
        std::string usage = line.usage({"tap X Y"}, row.keys);
        EXPECT_NE(usage.find(row.part), std::string::npos) << usage;
        EXPECT_EQ(usage.find("Ctrl+C copies"), std::string::npos) << "no fixed key sentence";
    }
}

TEST(HostCommandLine, VersionIsAFlagAndALineOfItsOwn) {
    HostCommandLine line("keyboard-host");
    EXPECT_TRUE(line.parse(Arguments{"--version"}).version);
    EXPECT_FALSE(line.parse(Arguments{"--help"}).version);
    EXPECT_TRUE(line.parse(Arguments{"-h"}).help);
    EXPECT_THROW(line.parse(Arguments{"--version=2"}), HostUsageError);
    EXPECT_EQ(line.versionLine(), "keyboard-host " PRISMKEY_VERSION);
    EXPECT_NE(line.usage({}).find("--version"), std::string::npos);
}

TEST(HostCommandLine, AProgramOptionMayRefuseItsValue) {
    HostCommandLine line("keyboard-host");
    line.addOption({"--plugins", "DIR", "", [](const std::string& value) {
                        if (value != "/ok") {
                            throw HostUsageError("no plug-in folder " + value);
                        }
                    }});
    EXPECT_NO_THROW(line.parse(Arguments{"--plugins", "/ok"}));
    EXPECT_THROW(line.parse(Arguments{"--plugins=/nope"}), HostUsageError);
}

} // namespace
