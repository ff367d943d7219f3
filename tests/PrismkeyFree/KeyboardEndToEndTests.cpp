// The settings app without a mouse: scripted sessions driven by `press` and read
// through `state` (what assistive tools see) and screenshots of the focus ring.
#include "../shared/TintPreferencesFixture.h"

#include <CoreGraphics/CGImage.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

const std::string kPrompt = "free version you can only use the bottom color,if you want more,you "
                            "can try HuetonePro :)";

// One `state` line, read as far as these tests need.
struct State {
    std::string line;

    // The quoted text after `key`, or "null".
    std::string field(const std::string& key) const {
        std::size_t at = line.find("\"" + key + "\":");
        if (at == std::string::npos) {
            return "(missing)";
        }
        at += key.size() + 3;
        if (line.compare(at, 4, "null") == 0) {
            return "null";
        }
        std::size_t end = line.find('"', at + 1);
        return line.substr(at + 1, end - at - 1);
    }
    std::string focus() const { return field("focus"); }
    // Each element's JSON text, in order (no label here holds braces).
    std::vector<std::string> elements() const {
        std::vector<std::string> found;
        std::size_t at = line.find("\"elements\":[");
        while ((at = line.find("{\"label\"", at)) != std::string::npos) {
            std::size_t end = line.find('}', at);
            found.push_back(line.substr(at, end - at + 1));
            at = end;
        }
        return found;
    }
    std::string element(const std::string& label) const {
        for (const std::string& e : elements()) {
            if (e.rfind("{\"label\":\"" + label + "\"", 0) == 0) {
                return e;
            }
        }
        return "(no element " + label + ")";
    }
    // The frame of the element so labelled, in points.
    CGRect frame(const std::string& label) const {
        std::string e = element(label);
        std::size_t at = e.find("\"frame\":[");
        std::istringstream numbers(e.substr(at + 9));
        CGRect r{};
        char comma = 0;
        numbers >> r.origin.x >> comma >> r.origin.y >> comma >> r.size.width >> comma >>
            r.size.height;
        return r;
    }
};

class KeyboardSession : public PreferencesFile {
  protected:
    // The states the script printed, in order.
    std::vector<State> run(const std::string& script, const std::string& scale = "1") {
        result = testsupport::runProcess(
            {(testsupport::buildDirectory() / "bin" / "PrismkeyFree").string(), "--root",
             root.path().string(), "--scale", scale, "--headless", "--events", "-"},
            script);
        EXPECT_EQ(result.exitCode, 0) << result.standardError;
        std::vector<State> states;
        std::istringstream lines(result.standardOutput);
        for (std::string line; std::getline(lines, line);) {
            states.push_back({line});
        }
        return states;
    }
    std::size_t count(const std::string& part) const {
        std::size_t n = 0;
        for (std::size_t at = result.standardError.find(part); at != std::string::npos;
             at = result.standardError.find(part, at + 1)) {
            ++n;
        }
        return n;
    }
    void switchOn() const { put(onFile); }
    std::string shot(const std::string& name) const {
        return (root.path() / (name + ".png")).string();
    }

    static inline const std::string onFile =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        "\t<key>open</key>\n\t<string>on</string>\n</dict>\n</plist>\n";
    testsupport::ProcessResult result;
};

std::string keys(const std::vector<std::string>& names) {
    std::string script;
    for (const std::string& name : names) {
        script += "press " + name + "\nstate\n";
    }
    return script;
}

TEST_F(KeyboardSession, TabWalksTheEnabledControlsInReadingOrderAndShiftTabGoesBack) {
    const std::vector<std::string> off = {
        "TurnOn",  "Hue and saturation", "red",       "yellow",          "green", "cyan", "blue",
        "magenta", "Original color",     "New color", "More apps by me", "TurnOn"};
    struct Row {
        bool on;
        std::vector<std::string> presses;
        std::vector<std::string> focus;
    };
    std::vector<std::string> offPresses(off.size(), "Tab");
    std::vector<std::string> on = off;
    on.front() = on.back() = "TurnOff"; // the toggle is named by the title it shows
    on.insert(on.begin() + 1, "Save");
    const Row rows[] = {
        {false, offPresses, off},
        {true, std::vector<std::string>(on.size(), "Tab"), on},
        {false,
         {"Shift+Tab", "Shift+Tab", "Shift+Tab", "Tab"},
         {"More apps by me", "New color", "Original color", "New color"}},
    };
    for (const Row& row : rows) {
        fs::remove(hostFile());
        if (row.on) {
            switchOn();
        }
        std::vector<State> states = run("state\n" + keys(row.presses));
        ASSERT_EQ(states.size(), row.presses.size() + 1);
        EXPECT_EQ(states[0].focus(), "null") << "nothing holds focus before the first Tab";
        for (std::size_t i = 0; i < row.focus.size(); ++i) {
            EXPECT_EQ(states[i + 1].focus(), row.focus[i]) << "press " << i + 1;
        }
    }
}

TEST_F(KeyboardSession, EveryElementSaysWhatItIsWhereItIs) {
    std::vector<State> states = run("state\n");
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].field("alert"), "null");
    EXPECT_EQ(states[0].field("text"), "null");
    const std::vector<std::string> expected = {
        R"({"label":"TurnOn","value":"","traits":["button","toggleButton"],"frame":[5,20,84,44]})",
        R"({"label":"Prismkey","value":"","traits":["staticText","header"],"frame":[116,20,88,44]})",
        R"({"label":"Save","value":"","traits":["button","notEnabled"],"frame":[253,20,62,44]})",
        R"({"label":"Hue and saturation","value":"white, #FFFFFF","traits":["adjustable"],)"
        R"("frame":[40,79,240,240]})",
        R"({"label":"red","value":"red, #FF0000","traits":["button","radioButton"],)"
        R"("frame":[25.333336,434,36,36]})",
        R"({"label":"yellow","value":"yellow, #FFFF00","traits":["button","radioButton"],)"
        R"("frame":[71.333336,434,36,36]})",
        R"({"label":"green","value":"lime, #00FF00","traits":["button","radioButton"],)"
        R"("frame":[117.33334,434,36,36]})",
        R"({"label":"cyan","value":"cyan, #00FFFF","traits":["button","radioButton"],)"
        R"("frame":[163.33333,434,36,36]})",
        R"({"label":"blue","value":"blue, #0000FF","traits":["button","radioButton"],)"
        R"("frame":[209.33333,434,36,36]})",
        R"({"label":"magenta","value":"magenta, #FF00FF","traits":["button","radioButton"],)"
        R"("frame":[255.33331,434,36,36]})",
        R"({"label":"Original color","value":"white, #FFFFFF","traits":["button"],)"
        R"("frame":[10,74,22,44]})",
        R"({"label":"New color","value":"white, #FFFFFF","traits":["button"],)"
        R"("frame":[32,74,22,44]})",
        R"({"label":"More apps by me","value":"","traits":["link"],"frame":[130,344,200,100]})",
        R"({"label":"9:41","value":"","traits":["staticText"],"frame":[0,0,320,20]})",
    };
    EXPECT_EQ(states[0].elements(), expected);
}

TEST_F(KeyboardSession, SpaceOnTheToggleSwitchesOnAndWritesTheFile) {
    fs::remove(hostFile());
    std::vector<State> states = run("press Tab\npress space\nstate\n");
    ASSERT_EQ(states.size(), 1u);
    EXPECT_TRUE(ns_cast<NSString>(dictionary()->objectForKey("open"))->isEqualToString("on"));
    EXPECT_EQ(states[0].focus(), "TurnOff") << "focus stays on the retitled toggle";
    EXPECT_EQ(states[0].element("TurnOff"), R"({"label":"TurnOff","value":"",)"
                                            R"("traits":["button","selected","toggleButton"],)"
                                            R"("frame":[5,20,86,44]})")
        << "named by its new title, pressed while on";
    EXPECT_EQ(states[0].element("Save"),
              R"({"label":"Save","value":"","traits":["button"],"frame":[253,20,62,44]})");
}

TEST_F(KeyboardSession, ReturnOnTheWheelPromptsAsATapAtItsCentreDoes) {
    run("tap 160 199\n");
    std::size_t byTap = count("alert: Sorry: " + kPrompt + "\n");
    std::vector<State> states = run("press Tab\npress Tab\npress Return\nstate\n");
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(count("alert: Sorry: " + kPrompt + "\n"), byTap);
    EXPECT_EQ(byTap, 2u) << "down and up each report the wheel's colour";
    EXPECT_NE(states[0].line.find(R"("alert":{"title":"Sorry","message":")" + kPrompt +
                                  R"(","buttons":["Later","Try now!"]})"),
              std::string::npos)
        << states[0].line;
    EXPECT_EQ(states[0].focus(), "Later") << "the bold button";
    EXPECT_EQ(states[0].element("Sorry"),
              R"({"label":"Sorry","value":"","traits":[],"frame":[25,163,270,154]})");
}

TEST_F(KeyboardSession, InsideAnAlertTabMovesReturnPressesTheFocusedEscapeCancels) {
    struct Row {
        std::vector<std::string> presses;
        std::size_t opened; // "Try now!" presses
        std::string focusAfter;
    };
    const Row rows[] = {
        {{"Return"}, 0, "Later"},
        {{"Tab", "Return"}, 1, "Later"},
        {{"Shift+Tab", "Shift+Tab", "Return"}, 0, "Later"},
        {{"Right", "Return"}, 1, "Later"},
        {{"Right", "Left", "Return"}, 0, "Later"},
        {{"Escape"}, 0, "Later"},
        {{"Tab", "Escape"}, 0, "Later"},
        {{"Return", "Return"}, 0, "null"},
        {{"space", "a"}, 0, "Later"},
    };
    for (const Row& row : rows) {
        std::string script = "tap 160 199\n"; // two prompts, one behind the other
        for (const std::string& key : row.presses) {
            script += "press " + key + "\n";
        }
        std::vector<State> states = run(script + "state\n");
        ASSERT_EQ(states.size(), 1u);
        EXPECT_EQ(count("open-url: cydia://"), row.opened) << row.presses.front();
        EXPECT_EQ(states[0].focus(), row.focusAfter) << row.presses.front();
    }
}

TEST_F(KeyboardSession, ArrowsMoveAmongTheSwatchesAndSpacePicksOne) {
    std::vector<State> states =
        run("press Tab\npress Tab\npress Tab\n" +
            keys({"Right", "Right", "Left", "Down", "Up", "Left", "Left", "Right", "Right", "Right",
                  "Right", "Right", "Right", "space"}));
    std::vector<std::string> focus;
    for (const State& state : states) {
        focus.push_back(state.focus());
    }
    EXPECT_EQ(focus, (std::vector<std::string>{"yellow", "green", "yellow", "yellow", "yellow",
                                               "red", "red", "yellow", "green", "cyan", "blue",
                                               "magenta", "magenta", "magenta"}));
    const State& picked = states.back();
    EXPECT_EQ(picked.element("magenta"), R"({"label":"magenta","value":"magenta, #FF00FF",)"
                                         R"("traits":["button","selected","radioButton"],)"
                                         R"("frame":[255.33331,434,36,36]})");
    EXPECT_NE(picked.element("New color").find(R"("value":"magenta, #FF00FF")"), std::string::npos);
    EXPECT_NE(picked.element("Hue and saturation").find(R"("value":"magenta, #FF00FF")"),
              std::string::npos);
    EXPECT_NE(picked.element("Original color").find(R"("value":"white, #FFFFFF")"),
              std::string::npos);
    EXPECT_NE(picked.element("red").find(R"("traits":["button","radioButton"])"),
              std::string::npos);
}

// Landscape puts the swatches in two rows, the second two points left of the first:
// Right and Left stay in their row (from cyan, Right is blue, never red above it),
// Up and Down change rows.
TEST_F(KeyboardSession, ArrowsKeepToTheirRowOfSwatchesInLandscape) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Right", "yellow"},  {"Right", "green"}, {"Right", "green"}, {"Down", "magenta"},
        {"Left", "blue"},     {"Left", "cyan"},   {"Left", "cyan"},   {"Right", "blue"},
        {"Right", "magenta"}, {"Up", "green"},    {"Left", "yellow"},
    };
    std::vector<std::string> presses, expected;
    for (const auto& [key, focus] : rows) {
        presses.push_back(key);
        expected.push_back(focus);
    }
    std::vector<State> states =
        run("rotate landscape\nwait 500\npress Tab\npress Tab\npress Tab\n" + keys(presses));
    std::vector<std::string> focus;
    for (const State& state : states) {
        focus.push_back(state.focus());
    }
    EXPECT_EQ(focus, expected);
}

// The ring: a white core 3 to 5 points outside the element, inside a dark edge to
// 6.5 points; probed below the middle of each kind of element, at both scales.
TEST_F(KeyboardSession, TheFocusRingIsDrawnCrispAroundEachKindOfElement) {
    struct Row {
        const char* kind;
        std::string presses;
        const char* label;
    };
    const Row rows[] = {
        {"button", "press Tab\n", "TurnOn"},
        {"wheel", "press Tab\npress Tab\n", "Hue and saturation"},
        {"swatch", "press Tab\npress Tab\npress Tab\npress Right\n", "yellow"},
        {"compare half", "press Shift+Tab\npress Shift+Tab\npress Shift+Tab\n", "Original color"},
        {"alert button", "tap 160 199\npress Tab\n", "Try now!"},
    };
    for (const std::string scale : {"1", "2"}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.kind) + " at scale " + scale);
            std::vector<State> states =
                run(row.presses + "state\nscreenshot " + shot("ring") + "\n", scale);
            ASSERT_EQ(states.size(), 1u);
            ASSERT_EQ(states[0].focus(), row.label);
            CGRect frame = states[0].frame(row.label);
            CGImageRef image = CGImageCreateWithPNGFile(shot("ring"));
            ASSERT_TRUE(image);
            CGFloat s = scale == "1" ? 1 : 2;
            CGFloat x = frame.origin.x + frame.size.width / 2;
            CGFloat bottom = frame.origin.y + frame.size.height;
            auto at = [&](CGFloat y) {
                return CGImageGetPixel(image, static_cast<std::size_t>(x * s),
                                       static_cast<std::size_t>(y * s));
            };
            EXPECT_EQ(at(bottom + 3), (CGPixel{255, 255, 255, 255}));
            CGPixel edge = at(bottom + 5);
            EXPECT_LT(edge.r + edge.g + edge.b, 150) << int(edge.r) << " " << int(edge.g);
        }
    }
}

} // namespace
