// keyboard-host as a process, with the built plug-in installed in a temporary device
// root, answering --query as the preferences file changes.
#include "../shared/TintPreferencesFixture.h"

#include <CoreGraphics/CGImage.h>
#include <UIKBKeyboardGeometry.h>

#include <filesystem>
#include <sstream>

using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

const std::string installed = "/Library/MobileSubstrate/DynamicLibraries";

class KeyboardHostProcess : public PreferencesFile {
  protected:
    void SetUp() override {
        PreferencesFile::SetUp();
        for (const char* file : {"Prismkey.dylib", "Prismkey.plist"}) {
            fs::copy_file(testsupport::buildDirectory() / "DynamicLibraries" / file,
                          NSFileManager::hostPath(installed) + "/" + file);
        }
    }
    testsupport::ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         (testsupport::buildDirectory() / "bin" / "keyboard-host").string());
        return testsupport::runProcess(arguments);
    }
    std::string query() {
        testsupport::ProcessResult result = run({"--query", "--root", root.path().string()});
        EXPECT_EQ(result.exitCode, 0) << result.standardError;
        EXPECT_EQ(result.standardError, "");
        return result.standardOutput;
    }
    static std::string answer(int appearance, const std::string& background,
                              const std::string& plugins = "\"Prismkey\"") {
        return "{\"plugins\":[" + plugins +
               "],\"keyboardAppearance\":" + std::to_string(appearance) +
               ",\"background\":" + background + ",\"layoutPasses\":1}\n";
    }
};

TEST_F(KeyboardHostProcess, QueryFollowsEachRowOfTheStateTable) {
    const std::vector<std::tuple<const char*, std::string, std::string>> rows = {
        {"no file", "", answer(0, "null")},
        {"off", plist(openEntry("off") + colorEntry(fiveElements)), answer(0, "null")},
        {"on, three elements", plist(openEntry("on") + colorEntry(threeElements)),
         answer(1, "null")},
        {"on, no colour", plist(openEntry("on")), answer(1, "null")},
        {"on, five elements", plist(openEntry("on") + colorEntry(fiveElements)),
         answer(1, "[0.2,0.4,0.6,1]")},
        {"unreadable", "{ open = on; }", answer(0, "null")},
    };
    for (const auto& [name, contents, expected] : rows) {
        if (contents.empty()) {
            fs::remove(hostFile());
        } else {
            put(contents);
        }
        EXPECT_EQ(query(), expected) << name;
    }
}

TEST_F(KeyboardHostProcess, QueryFollowsTheSettingsWriterStepByStep) {
    EXPECT_EQ(query(), answer(0, "null"));
    ASSERT_TRUE(TintPreferences::loadForScreen().created);
    EXPECT_EQ(query(), answer(0, "null"));
    ASSERT_EQ(TintPreferences::toggleOpen().state, TintPreferences::TintState::On);
    EXPECT_EQ(query(), answer(1, "null"));
    ASSERT_TRUE(
        TintPreferences::storeColor(UIColor::colorWithRed(0.1f, 0.7f, 0.3f, 0.9f)).succeeded());
    EXPECT_EQ(query(), answer(1, "[0.1,0.7,0.3,0.9]"));
    ASSERT_TRUE(TintPreferences::storeColor(UIColor::whiteColor()).succeeded());
    EXPECT_EQ(query(), answer(1, "[1,1,1,1]"));
    ASSERT_EQ(TintPreferences::toggleOpen().state, TintPreferences::TintState::Off);
    EXPECT_EQ(query(), answer(0, "null"));
}

TEST_F(KeyboardHostProcess, PluginLoadsOnlyWhereItsFilterSelectsTheProcess) {
    put(plist(openEntry("on") + colorEntry(fiveElements)));
    const std::string filter = NSFileManager::hostPath(installed) + "/Prismkey.plist";
    testsupport::writeFile(
        filter, "<plist version=\"1.0\"><dict><key>Filter</key><dict><key>Executables</key>"
                "<array><string>SpringBoard</string></array></dict></dict></plist>");
    EXPECT_EQ(query(), answer(0, "null", ""));
    fs::remove(filter);
    testsupport::ProcessResult result = run({"--query", "--root", root.path().string()});
    EXPECT_EQ(result.standardOutput, answer(0, "null", ""));
    EXPECT_NE(
        result.standardError.find("plug-in \"Prismkey\" not loaded: no filter \"Prismkey.plist\""),
        std::string::npos)
        << result.standardError;
}

TEST_F(KeyboardHostProcess, PluginsFolderCanBeGivenAndBrokenPluginsAreReported) {
    put(plist(openEntry("on") + colorEntry(fiveElements)));
    testsupport::TemporaryDirectory other;
    testsupport::writeFile(other.path() / "Aaa.dylib", "not a library");
    testsupport::writeFile(
        other.path() / "Aaa.plist",
        testsupport::readFile(NSFileManager::hostPath(installed) + "/Prismkey.plist"));
    fs::copy_file(NSFileManager::hostPath(installed) + "/Prismkey.dylib",
                  other.path() / "Prismkey.dylib");
    fs::copy_file(NSFileManager::hostPath(installed) + "/Prismkey.plist",
                  other.path() / "Prismkey.plist");
    testsupport::ProcessResult result =
        run({"--query", "--root", root.path().string(), "--plugins", other.path().string()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardOutput, answer(1, "[0.2,0.4,0.6,1]"));
    EXPECT_NE(result.standardError.find("plug-in \"Aaa\" not loaded"), std::string::npos)
        << result.standardError;
}

// keyboard-host's help lists its own keys, and neither the settings app's keys nor the
// shared commands that mean nothing here.
TEST_F(KeyboardHostProcess, HelpListsOnlyItsOwnKeysAndCommands) {
    const std::string help = run({"--help"}).standardOutput;
    const std::vector<std::pair<std::string, bool>> rows = {
        {"\n  BackSpace, Return ", true},
        {"\n  Shift+a-z ", true},
        {"\n  key TEXT ", true},
        {"alert TITLE", false},
        {"rotate", false},
        {"Ctrl+C", false},
        {"arrow keys", false},
    };
    for (const auto& [part, listed] : rows) {
        EXPECT_EQ(help.find(part) != std::string::npos, listed) << part << " in:\n" << help;
    }
}

TEST_F(KeyboardHostProcess, CommandLineAnswers) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string output; // a part of standard output, or of standard error for status 2
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Usage: keyboard-host"},
        {{"--help"}, 0, "--query"},
        {{"--help"}, 0, "key TEXT"},
        {{"--query", "--plugins", "/no/such/folder"},
         2,
         "keyboard-host: no plug-in folder /no/such/folder"},
        {{"--frobnicate"}, 2, "keyboard-host: unknown option"},
        {{"--scale", "3", "--query"}, 2, "--scale must be 1 or 2"},
    };
    for (const Case& c : cases) {
        testsupport::ProcessResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.output;
        const std::string& text = c.exitCode == 0 ? result.standardOutput : result.standardError;
        EXPECT_NE(text.find(c.output), std::string::npos) << text;
        if (c.exitCode == 2) {
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line: " << text;
        }
    }
}

TEST_F(KeyboardHostProcess, TintShowsBehindDarkKeysOnEveryRowOfBothKeyplanes) {
    put(plist(openEntry("on") + colorEntry(fiveElements)));
    const std::string letters = (root.path() / "letters.png").string();
    const std::string numbers = (root.path() / "numbers.png").string();
    testsupport::ProcessResult result = testsupport::runProcess(
        {(testsupport::buildDirectory() / "bin" / "keyboard-host").string(), "--root",
         root.path().string(), "--headless", "--events", "-"},
        "type Hi\nscreenshot " + letters + "\ntype 4\nscreenshot " + numbers + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const CGPixel tint{51, 102, 153, 255};
    constexpr CGFloat hostTop = 264;
    for (const auto& [shot, keyplane] :
         {std::pair{letters, UIKBKeyplane::letters}, std::pair{numbers, UIKBKeyplane::numbers}}) {
        CGImageRef image = CGImageCreateWithPNGFile(shot);
        ASSERT_TRUE(image) << shot;
        auto at = [&](CGFloat x, CGFloat y) {
            return CGImageGetPixel(image, static_cast<std::size_t>(x),
                                   static_cast<std::size_t>(hostTop + y));
        };
        for (const UIKBKeySpec& key : UIKBKeyboardGeometry::keys(320)) {
            if (!UIKBKeyboardGeometry::isOnKeyplane(key, keyplane)) {
                continue;
            }
            // Above the key's letter, and in the gap above the key.
            CGPixel cap = at(CGRectGetMidX(key.frame), key.frame.origin.y + 4);
            EXPECT_LT(std::max({cap.r, cap.g, cap.b}), 90)
                << shot << ": key " << key.character << " at " << key.frame.origin.x << ","
                << key.frame.origin.y << " is dark";
            EXPECT_EQ(at(CGRectGetMidX(key.frame), key.frame.origin.y - 2), tint)
                << shot << ": tint above key " << key.character << " at " << key.frame.origin.x
                << "," << key.frame.origin.y;
        }
        EXPECT_EQ(at(1, 212), tint) << shot << ": below the last row";
    }
}

// What a screen reader reads of the text field as the user types and deletes, one
// `state` line after each step, and the key that has the focus after Tab.
TEST_F(KeyboardHostProcess, StateReadsTheTypedTextAsTheFieldHoldsIt) {
    testsupport::ProcessResult result = testsupport::runProcess(
        {(testsupport::buildDirectory() / "bin" / "keyboard-host").string(), "--root",
         root.path().string(), "--headless", "--events", "-"},
        "type Hello World 42, ok!\nstate\npress BackSpace\npress BackSpace\nstate\n"
        "press Shift+a\nstate\npress Tab\nstate\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    // The field holds the focus while typing, as the desktop bridge says, until Tab.
    const std::vector<std::string> expected = {
        R"({"focus":"Text field","alert":null,"text":"Hello World 42, ok!")",
        R"("text":"Hello World 42, o")", R"("text":"Hello World 42, oA")", R"("focus":"q")"};
    std::istringstream lines(result.standardOutput);
    std::string line;
    for (const std::string& part : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << "a state line for " << part;
        EXPECT_NE(line.find(part), std::string::npos) << line.substr(0, 300);
    }
}

} // namespace
