// Scripted sessions of the settings app and the keyboard host in a temporary device
// root: the preferences file, the standard-error lines and the screenshots' pixels.
#include "../shared/TintPreferencesFixture.h"

#include <CoreGraphics/CGImage.h>

#include <filesystem>

using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

// Screen points of the settings screen in portrait: the bar buttons, the swatches'
// centres (red, yellow, green, cyan, blue, magenta) and the compare view's halves.
const CGPoint kToggle{30, 42};
const CGPoint kSave{290, 42};
const CGPoint kRedSwatch{43, 452};
const CGPoint kBlueSwatch{227, 452};
const CGPoint kOldHalf{20, 96};
const CGPoint kNewHalf{44, 96};
const CGPoint kCompare{32, 96};
const CGPoint kWheelCentre{160, 199};
const CGPoint kMoreApps{200, 390};

const CGPixel kWhite{255, 255, 255, 255};
const CGPixel kBlue{0, 0, 255, 255};
const CGPixel kRed{255, 0, 0, 255};

std::string at(CGPoint p) {
    return std::to_string(p.x) + " " + std::to_string(p.y);
}
std::string tap(CGPoint p) {
    return "tap " + at(p) + "\n";
}

class SettingsSession : public PreferencesFile {
  protected:
    void SetUp() override {
        PreferencesFile::SetUp();
        fs::path plugins = NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries");
        fs::create_directories(plugins);
        for (const char* file : {"Prismkey.dylib", "Prismkey.plist"}) {
            fs::copy_file(testsupport::buildDirectory() / "DynamicLibraries" / file,
                          plugins / file);
        }
    }
    testsupport::ProcessResult
    app(const std::string& script, const testsupport::ProcessLimits& limits = {},
        const std::vector<std::string>& arguments = {"--headless", "--events", "-"}) {
        return run("PrismkeyFree", arguments, script, limits);
    }
    testsupport::ProcessResult keyboard(const std::vector<std::string>& arguments,
                                        const std::string& script = "") {
        return run("keyboard-host", arguments, script, {});
    }
    testsupport::ProcessResult run(const std::string& program, std::vector<std::string> arguments,
                                   const std::string& script,
                                   const testsupport::ProcessLimits& limits) {
        arguments.insert(arguments.begin(),
                         {(testsupport::buildDirectory() / "bin" / program).string(), "--root",
                          root.path().string()});
        testsupport::ProcessResult result = testsupport::runProcess(arguments, script, limits);
        EXPECT_EQ(result.exitCode, 0) << program << ": " << result.standardError;
        return result;
    }
    std::string shot(const std::string& name) const {
        return (root.path() / (name + ".png")).string();
    }
    CGPixel pixel(const std::string& name, CGPoint p) const {
        CGImageRef image = CGImageCreateWithPNGFile(shot(name));
        EXPECT_TRUE(image) << "no screenshot " << name;
        return image ? CGImageGetPixel(image, static_cast<std::size_t>(p.x),
                                       static_cast<std::size_t>(p.y))
                     : CGPixel{};
    }
    static bool near(CGPixel a, CGPixel b, int tolerance = 3) {
        return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
               std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

// The settings app's help: what it is, its own keys, and none of keyboard-host's own
// commands or keys.
TEST_F(SettingsSession, HelpSaysWhatTheAppIsAndListsOnlyItsCommands) {
    const std::string help = app("", {}, {"--help"}).standardOutput;
    const std::vector<std::pair<std::string, bool>> rows = {
        {"Usage: PrismkeyFree [options]\nthe settings application: ", true},
        {"\n  alert TITLE ", true},
        {"\n  rotate portrait|landscape ", true},
        {"\n  key TEXT ", false},
        {"\n  type TEXT ", false},
        {"--plugins", false},
        {"\n  Ctrl+C ", true},
        {"\n  arrow keys ", true},
        {"BackSpace", false},
    };
    for (const auto& [part, listed] : rows) {
        EXPECT_EQ(has(help, part), listed) << part << " in:\n" << help;
    }
}

TEST_F(SettingsSession, FirstStartCreatesTheFileOffWithWhiteBothSidesAndSaveDoesNothing) {
    fs::remove(hostFile());
    auto result = app("screenshot " + shot("first") + "\n" + tap(kSave) + "wait 300\n");
    auto stored = dictionary();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count(), 1u);
    EXPECT_TRUE(ns_cast<NSString>(stored->objectForKey("open"))->isEqualToString("off"));
    EXPECT_FALSE(has(result.standardError, "alert:")) << "a greyed Save does nothing";
    EXPECT_FALSE(has(result.standardError, "PrismkeyFree:")) << "nothing picked, nothing logged";
    EXPECT_TRUE(near(pixel("first", kOldHalf), kWhite));
    EXPECT_TRUE(near(pixel("first", kNewHalf), kWhite));
}

TEST_F(SettingsSession, SwitchOnPickBlueSaveTintsTheKeyboard) {
    auto result =
        app(tap(kToggle) + tap(kBlueSwatch) + "wait 300\n" + tap(kSave) + "state\nalert get it\n");
    EXPECT_EQ(storedElements(),
              (std::vector<std::string>{"UIDeviceRGBColorSpace", "0", "0", "1", "1"}));
    EXPECT_TRUE(has(result.standardError, "PrismkeyFree: {0.000, 0.000, 1.000, 1.000}\n"))
        << result.standardError;
    EXPECT_TRUE(has(
        result.standardError,
        "alert: Tips: Save successful,please use the keyboard and type any words to refresh it:)"));
    EXPECT_TRUE(has(result.standardOutput, R"(","buttons":["get it"]})")) << result.standardOutput;

    auto query = keyboard({"--query"});
    EXPECT_EQ(query.standardOutput, "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":1,"
                                    "\"background\":[0,0,1,1],\"layoutPasses\":1}\n");
    keyboard({"--headless", "--events", "-"}, "key abc\nscreenshot " + shot("keyboard") + "\n");
    EXPECT_TRUE(near(pixel("keyboard", {160, 267}), kBlue)) << "blue behind the keys";
}

TEST_F(SettingsSession, SavingTheStartWhiteTintsTheKeyboardWhite) {
    fs::remove(hostFile());
    app(tap(kToggle) + tap(kSave) + "alert get it\n");
    EXPECT_EQ(storedElements().size(), 5u);
    EXPECT_EQ(keyboard({"--query"}).standardOutput,
              "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":1,\"background\":[1,1,1,1],"
              "\"layoutPasses\":1}\n");
}

TEST_F(SettingsSession, SwitchingOffGreysSaveKeepsTheColourAndUntintsTheKeyboard) {
    app(tap(kToggle) + tap(kBlueSwatch) + "wait 300\n" + tap(kSave) + "alert get it\n");
    auto before = storedElements();
    auto result = app(tap(kToggle) + tap(kRedSwatch) + "wait 300\n" + tap(kSave) + "wait 300\n");
    EXPECT_TRUE(ns_cast<NSString>(dictionary()->objectForKey("open"))->isEqualToString("off"));
    EXPECT_EQ(storedElements(), before) << "a greyed Save writes nothing";
    EXPECT_FALSE(has(result.standardError, "alert:"));
    auto query = keyboard({"--query"});
    EXPECT_EQ(query.standardOutput, "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":0,"
                                    "\"background\":null,\"layoutPasses\":1}\n");
    keyboard({"--headless", "--events", "-"}, "key a\nscreenshot " + shot("untinted") + "\n");
    CGPixel backdrop = pixel("untinted", {160, 267});
    EXPECT_FALSE(near(backdrop, kBlue, 40)) << "the keyboard's own light backdrop";
    EXPECT_GT(backdrop.r, 150);
}

TEST_F(SettingsSession, RestartShowsTheSavedColourOldAndNewAndTheCompareViewGoesBack) {
    app(tap(kToggle) + tap(kBlueSwatch) + "wait 300\n" + tap(kSave) + "alert get it\n");
    app("wait 300\nscreenshot " + shot("restart") + "\n" + tap(kRedSwatch) +
        "wait 300\nscreenshot " + shot("red") + "\n" + tap(kCompare) + "wait 300\nscreenshot " +
        shot("back") + "\n");
    EXPECT_TRUE(near(pixel("restart", kOldHalf), kBlue));
    EXPECT_TRUE(near(pixel("restart", kNewHalf), kBlue));
    EXPECT_TRUE(near(pixel("red", kOldHalf), kBlue));
    EXPECT_TRUE(near(pixel("red", kNewHalf), kRed));
    EXPECT_TRUE(near(pixel("back", kNewHalf), kBlue))
        << "the compare view went back to the old colour";
}

TEST_F(SettingsSession, WheelPromptsPerEventAndTheLinksOpen) {
    // A drag sends one value-changed per begin, move and end: 1 + 2 + 1 prompts.
    auto result = app("drag 160 199 200 199 2\n" +
                      std::string("alert Try now!\nalert Later\nalert Later\nalert Later\n") +
                      "down " + at(kMoreApps) + "\nmove 10 470\nup 10 470\n");
    auto count = [&](const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = result.standardError.find(part); at != std::string::npos;
             at = result.standardError.find(part, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("alert: Sorry: free version you can only use the bottom color,if you want "
                    "more,you can try "
                    "HuetonePro :)\n"),
              4u)
        << result.standardError;
    EXPECT_EQ(count("open-url: cydia://package/io.prismkey.pro\n"), 1u) << "Try now! only";
    EXPECT_EQ(count("open-url: http://repo.prismkey.io/packagesfordev.php?name=Prismkey\n"), 1u)
        << "the more-apps link opens at touch-down, even when the finger slides away";
    (void)kWheelCentre;
}

TEST_F(SettingsSession, LandscapePutsTheSwatchesInTwoRowsOfThree) {
    app("rotate landscape\nwait 500\nscreenshot " + shot("landscape") + "\n");
    const struct {
        CGPoint centre;
        CGPixel colour;
    } swatches[] = {{{328.7f, 222}, kRed},
                    {{381.7f, 222}, {255, 255, 0, 255}},
                    {{434.7f, 222}, {0, 255, 0, 255}},
                    {{326.7f, 275}, {0, 255, 255, 255}},
                    {{379.7f, 275}, kBlue},
                    {{432.7f, 275}, {255, 0, 255, 255}}};
    for (const auto& swatch : swatches) {
        EXPECT_TRUE(near(pixel("landscape", swatch.centre), swatch.colour))
            << swatch.centre.x << "," << swatch.centre.y;
    }
}

TEST_F(SettingsSession, AFileThatCannotBeWrittenIsReportedAndNothingClaimsSuccess) {
    app(tap(kToggle)); // on, so that Save is enabled
    std::string before = bytes();
    // Any write larger than a few bytes now fails, as on a full or read-only disk.
    testsupport::ProcessLimits full{16};
    auto result = app(tap(kBlueSwatch) + "wait 300\n" + tap(kSave) + "state\nalert OK\n" +
                          tap(kToggle) + "alert OK\n",
                      full);
    EXPECT_EQ(bytes(), before) << "nothing written";
    EXPECT_FALSE(has(result.standardError, "Save successful")) << result.standardError;
    // What failed, the file by its path, and how to start afresh.
    EXPECT_TRUE(has(result.standardError,
                    "alert: Not saved: Your color could not be saved: the settings file "
                    "could not be written. The settings file is " +
                        hostFile().string() + ". To start afresh, move that file aside"))
        << result.standardError;
    EXPECT_TRUE(has(result.standardError, "alert: Not saved: The setting could not be changed"));
    EXPECT_TRUE(has(result.standardOutput, R"(","buttons":["OK"]})")) << result.standardOutput;
    EXPECT_TRUE(ns_cast<NSString>(dictionary()->objectForKey("open"))->isEqualToString("on"));
    std::size_t leftovers = 0;
    for (const auto& entry : fs::directory_iterator(hostFile().parent_path())) {
        leftovers += entry.path() != hostFile();
    }
    EXPECT_EQ(leftovers, 0u) << "no temporaries left behind";
}

TEST_F(SettingsSession, AFolderInPlaceOfTheFileIsReportedAsUnreadable) {
    fs::remove(hostFile());
    fs::create_directory(hostFile());
    auto result = app(tap(kToggle) + "alert OK\n");
    EXPECT_TRUE(has(result.standardError, "alert: Not saved: The setting could not be changed: "
                                          "the settings file could not be read"));
    EXPECT_TRUE(fs::is_directory(hostFile())) << "nothing replaced it";
}

} // namespace
