#include <Host/Session/EventScript.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<ScriptCommand> parse(const std::string& text) {
    return parseEventScript(text, standardScriptCommands());
}

TEST(EventScript, ReadsEveryStandardCommand) {
    auto commands = parse("tap 10 20\n"
                          "down 1.5 -2\n"
                          "move .5 +3\n"
                          "up 0 0\n"
                          "cancel\n"
                          "drag 1 2 3 4\n"
                          "drag 1 2 3 4 3\n"
                          "alert Try now!\n"
                          "rotate landscape\n"
                          "wait 250\n"
                          "screenshot out/shot one.png\n"
                          "quit\n");
    ASSERT_EQ(commands.size(), 12u);
    EXPECT_EQ(commands[0].numbers, (std::vector<double>{10, 20}));
    EXPECT_EQ(commands[1].numbers, (std::vector<double>{1.5, -2}));
    EXPECT_EQ(commands[2].numbers, (std::vector<double>{0.5, 3}));
    EXPECT_EQ(commands[4].name, "cancel");
    EXPECT_EQ(commands[5].numbers.size(), 4u) << "the move count is left to the runner's default";
    EXPECT_EQ(commands[6].numbers, (std::vector<double>{1, 2, 3, 4, 3}));
    EXPECT_EQ(commands[7].text, "Try now!");
    EXPECT_EQ(commands[8].text, "landscape");
    EXPECT_EQ(commands[9].numbers, (std::vector<double>{250}));
    EXPECT_EQ(commands[10].text, "out/shot one.png");
    EXPECT_EQ(commands[11].line, 12u);
}

TEST(EventScript, CommentsBlankLinesAndLineEndings) {
    auto commands = parse("# a tour\r\n"
                          "\n"
                          "   tap 1 2   # the toggle\r\n"
                          "screenshot shot#2.png\n"
                          "alert get it # pressed\n");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].line, 3u);
    EXPECT_EQ(commands[0].numbers, (std::vector<double>{1, 2}));
    EXPECT_EQ(commands[1].text, "shot#2.png");
    EXPECT_EQ(commands[2].text, "get it");
}

struct BadLine {
    std::string script;
    std::size_t line;
    std::string says;
};

class EventScriptErrors : public ::testing::TestWithParam<BadLine> {};

TEST_P(EventScriptErrors, NameTheLineAndTheProblem) {
    const BadLine& bad = GetParam();
    try {
        parse(bad.script);
        FAIL() << "no error for: " << bad.script;
    } catch (const ScriptError& error) {
        EXPECT_EQ(error.line(), bad.line);
        EXPECT_NE(std::string(error.what()).find(bad.says), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    EventScript, EventScriptErrors,
    ::testing::Values(
        BadLine{"tap 1 2\ntapp 1 2\n", 2, "unknown command \"tapp\""},
        BadLine{"# c\n\ntap 1\n", 3, "missing an argument"},
        BadLine{"tap 1 x\n", 1, "\"x\" is not a number"},
        BadLine{"tap 1e3 2\n", 1, "\"1e3\" is not a number"},
        BadLine{"tap nan 2\n", 1, "not a number"}, BadLine{"tap 1 2 3\n", 1, "too many arguments"},
        BadLine{"cancel now\n", 1, "too many arguments"},
        BadLine{"drag 1 2 3 4 0\n", 1, "whole number"},
        BadLine{"drag 1 2 3 4 2.5\n", 1, "whole number"},
        BadLine{"rotate sideways\n", 1, "portrait|landscape"}, BadLine{"wait -5\n", 1, "0 or more"},
        BadLine{"wait\n", 1, "missing an argument"}, BadLine{"alert\n", 1, "needs text"},
        BadLine{"screenshot   \n", 1, "needs text"},
        BadLine{"tap 1 2\nalert " + std::string(4091, 'x'), 2, "longer than 4096 bytes"},
        BadLine{std::string(5000, 'y'), 1, "\"" + std::string(80, 'y') + "...\""},
        BadLine{"tap " + std::string(100, '7') + "x 1\n", 1,
                std::string(80, '7') + "...\" is not"}));

// A line is refused as soon as it passes the limit; one at the limit is read whole.
TEST(EventScript, LinesUpToTheLimitAreRead) {
    const std::string title(maximumScriptLineLength - 6, 't');
    auto commands = parse("alert " + title + "\nquit");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].text, title);
}

TEST(EventScript, ATrailingPointIsStillANumber) {
    double value = 0;
    EXPECT_TRUE(parseScriptNumber("1.", value));
    EXPECT_EQ(value, 1);
    for (const char* bad : {"", "-", ".", "+.", "1..2", "0x10", "inf", "1,5", "١"}) {
        EXPECT_FALSE(parseScriptNumber(bad, value)) << bad;
    }
}

TEST(EventScript, ProgramCommandsJoinTheStandardOnes) {
    std::vector<ScriptCommandSyntax> syntax = standardScriptCommands();
    syntax.push_back({"key", {ScriptArgument::text}, "key TEXT", {}, "type"});
    auto commands = parseEventScript("key hello world\ntap 1 2\n", syntax);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].text, "hello world");
    EXPECT_THROW(parse("key a\n"), ScriptError);
}

TEST(EventScript, PressTakesOneKey) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"press Return\n", ""},
        {"press z\n", ""},
        {"press Shift+Tab\n", ""},
        {"press F1\n", "press takes a letter or digit, space, Return, Escape, Tab, BackSpace, "
                       "Left, Right, Up or Down, with Shift+ or Ctrl+ before it, not \"F1\""},
        {"press\n", "press is missing an argument"},
        {"press a b\n", "too many arguments for press"},
    };
    for (const auto& [script, error] : rows) {
        try {
            parseEventScript(script, standardScriptCommands());
            EXPECT_EQ(error, "") << script;
        } catch (const ScriptError& refused) {
            EXPECT_NE(std::string(refused.what()).find(error), std::string::npos)
                << script << refused.what();
            EXPECT_FALSE(error.empty()) << script;
        }
    }
}

} // namespace
