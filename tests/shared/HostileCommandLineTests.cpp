// Command input built to hang a reader or make it read without end, given to
// keyboard-host in a limited child process (see LimitedRun.h).
#include "LimitedRun.h"
#include "TintPreferencesFixture.h"

#include <algorithm>
#include <sys/stat.h>

using namespace limitedrun;
using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

// Command input built to hang a reader or make it read without end: each is refused at
// once with exit status 2 and one short line that quotes at most 80 characters of it.
enum class StandardInput { None, PipeFedOneLongLine, DevZero };

struct HostileCommandRow {
    const char* name;
    std::vector<std::string> (*arguments)(const fs::path& folder); // may put things in place
    StandardInput input;
    std::string standardError; // a part of the one line
};

void PrintTo(const HostileCommandRow& row, std::ostream* os) {
    *os << row.name;
}

// 10 MB with no newline into the pipe, until the reader has gone.
void feedOneLongLine(const fs::path& pipe) {
    int fd = open(pipe.c_str(), O_WRONLY);
    const std::string chunk(64 * 1024, 'x');
    for (std::size_t sent = 0; fd >= 0 && sent < 10'000'000; sent += chunk.size()) {
        if (write(fd, chunk.data(), chunk.size()) < 0) {
            break;
        }
    }
    close(fd);
}

class HostileCommandLine : public PreferencesFile,
                           public ::testing::WithParamInterface<HostileCommandRow> {};

TEST_P(HostileCommandLine, RefusedAtOnceInOneShortLine) {
    const HostileCommandRow& row = GetParam();
    std::vector<std::string> arguments = {
        (testsupport::buildDirectory() / "bin" / "keyboard-host").string(), "--headless", "--root",
        root.path().string()};
    for (std::string& argument : row.arguments(root.path())) {
        arguments.push_back(std::move(argument));
    }
    fs::path input = row.input == StandardInput::DevZero ? fs::path("/dev/zero") : fs::path();
    std::thread feeder;
    if (row.input == StandardInput::PipeFedOneLongLine) {
        std::signal(SIGPIPE, SIG_IGN); // the reader stops long before the end
        input = root.path() / "pipe";
        ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
        feeder = std::thread(feedOneLongLine, input);
    }
    LimitedRun result = runLimited(arguments, root.path(), input);
    if (feeder.joinable()) {
        feeder.join();
    }
    printFigures(row.name, result);
    ASSERT_FALSE(result.timedOut) << "still running after " << wallClockLimit.count() << " s";
    EXPECT_EQ(result.exitCode, 2) << result.standardError;
    const std::string& said = result.standardError;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_LT(said.size(), 200u) << said;
    EXPECT_NE(said.find(row.standardError), std::string::npos) << said;
}

// The answer that cannot be written is a failure said in one line, never a silent
// success.
TEST_F(PreferencesFile, QueryAnswerOnAFullDeviceFailsInOneLine) {
    const std::string program = (testsupport::buildDirectory() / "bin" / "keyboard-host").string();
    LimitedRun result = runLimited({"/bin/sh", "-c", "exec \"$0\" --query --root \"$1\" >/dev/full",
                                    program, root.path().string()},
                                   root.path());
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, "keyboard-host: cannot write the answer to standard output: "
                                    "No space left on device\n");
}

std::vector<std::string> eventsFrom(const fs::path& folder, const char* name) {
    return {"--events", (folder / name).string()};
}

// A line of NUL bytes, echoed as far as an excerpt shows escapes (each as wide as it is).
const std::string zeros = [] {
    std::string escaped;
    for (int i = 0; i < 20; ++i) {
        escaped += "\\x00";
    }
    return escaped;
}();

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileCommandLine,
    ::testing::Values(
        HostileCommandRow{"EventsNamesAFolder",
                          [](const fs::path& folder) {
                              fs::create_directory(folder / "scripts");
                              return eventsFrom(folder, "scripts");
                          },
                          StandardInput::None, "scripts is a folder, not a regular file"},
        HostileCommandRow{"EventsNamesDevZero",
                          [](const fs::path&) {
                              return std::vector<std::string>{"--events", "/dev/zero"};
                          },
                          StandardInput::None, "/dev/zero is a character device"},
        HostileCommandRow{"EventsNamesAPipe",
                          [](const fs::path& folder) {
                              EXPECT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
                              return eventsFrom(folder, "fifo");
                          },
                          StandardInput::None, "fifo is a pipe, not a regular file"},
        HostileCommandRow{"TenMegabyteLineOnAPipe",
                          [](const fs::path&) {
                              return std::vector<std::string>{"--events", "-"};
                          },
                          StandardInput::PipeFedOneLongLine,
                          "<stdin>, line 1: longer than 4096 bytes: \"" + std::string(80, 'x') +
                              "...\"\n"},
        HostileCommandRow{"DevZeroOnStandardInput",
                          [](const fs::path&) {
                              return std::vector<std::string>{"--events", "-"};
                          },
                          StandardInput::DevZero,
                          "line 1: longer than 4096 bytes: \"" + zeros + "...\"\n"},
        HostileCommandRow{"PluginsNamesAMissingFolder",
                          [](const fs::path& folder) {
                              return std::vector<std::string>{"--query", "--plugins",
                                                              (folder / "missing").string()};
                          },
                          StandardInput::None, "no plug-in folder "}),
    [](const auto& info) { return std::string(info.param.name); });

// A device root or an environment built to make the start's refusal huge, or to put
// the user's settings where another user could change them: keyboard-host --query
// (which prepares the root like every start) stops with status 1 and one short line
// that quotes at most 80 characters of the path, having made nothing.
struct HostileRootRow {
    const char* name;
    // The environment and arguments that go before and after the program; may put
    // things in place under `folder`.
    std::vector<std::string> (*environment)(const fs::path& folder);
    std::vector<std::string> (*arguments)(const fs::path& folder);
    std::string standardError; // a part of the one line
};

void PrintTo(const HostileRootRow& row, std::ostream* os) {
    *os << row.name;
}

class HostileRoot : public ::testing::TestWithParam<HostileRootRow> {};

// An absolute path of about `size` bytes under `folder`, in names the system takes.
std::string deepPath(const fs::path& folder, std::size_t size) {
    std::string path = folder.string();
    while (path.size() < size) {
        path += "/" + std::string(200, 'd');
    }
    return path;
}

TEST_P(HostileRoot, RefusedInOneShortLineMakingNothing) {
    const HostileRootRow& row = GetParam();
    testsupport::TemporaryDirectory folder, output;
    std::vector<std::string> arguments = {"/usr/bin/env"};
    for (std::string& setting : row.environment(folder.path())) {
        arguments.push_back(std::move(setting));
    }
    arguments.push_back((testsupport::buildDirectory() / "bin" / "keyboard-host").string());
    arguments.push_back("--query");
    for (std::string& argument : row.arguments(folder.path())) {
        arguments.push_back(std::move(argument));
    }
    std::vector<fs::path> before;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        before.push_back(entry.path());
    }
    LimitedRun result = runLimited(arguments, output.path());
    printFigures(row.name, result);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 1) << result.standardError;
    const std::string& said = result.standardError;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_LT(said.size(), 300u) << said;
    EXPECT_NE(said.find(row.standardError), std::string::npos) << said;
    EXPECT_TRUE(result.standardOutput.empty());
    std::vector<fs::path> after;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        after.push_back(entry.path());
    }
    EXPECT_EQ(after.size(), before.size()) << "something was made";
}

std::vector<std::string> none(const fs::path&) {
    return {};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileRoot,
    ::testing::Values(
        HostileRootRow{"RootOf120KiB", none,
                       [](const fs::path& folder) {
                           return std::vector<std::string>{"--root", deepPath(folder, 120 * 1024)};
                       },
                       "dddd...\": it is 12"},
        HostileRootRow{"XdgDataHomeOf64KiB",
                       [](const fs::path& folder) {
                           return std::vector<std::string>{"XDG_DATA_HOME=" +
                                                           deepPath(folder, 64 * 1024)};
                       },
                       none, "dddd...\": it is 6"},
        HostileRootRow{
            "RootInAFolderEveryoneMayWrite", none,
            [](const fs::path& folder) {
                fs::create_directory(folder / "open");
                fs::permissions(folder / "open", fs::perms::all);
                return std::vector<std::string>{"--root", (folder / "open/device").string()};
            },
            "open\", on the way to it, is writable by everyone"},
        HostileRootRow{"XdgDataHomeInAFolderEveryoneMayWrite",
                       [](const fs::path& folder) {
                           fs::create_directory(folder / "open");
                           fs::permissions(folder / "open", fs::perms::all);
                           return std::vector<std::string>{"XDG_DATA_HOME=" +
                                                           (folder / "open/data").string()};
                       },
                       none, "open\", on the way to it, is writable by everyone"}),
    [](const auto& info) { return std::string(info.param.name); });

// A 64 KiB DISPLAY where no server is: the window start is refused with status 2 in
// one short line that quotes 80 characters of it.
TEST(HostileDisplay, A64KiBDisplayIsQuotedCutInOneShortLine) {
    testsupport::TemporaryDirectory root, output;
    fs::create_directories(root.path() / "Library/MobileSubstrate/DynamicLibraries");
    const std::string display(64 * 1024, 'x');
    std::vector<std::string> arguments = {"/usr/bin/env", "-u", "WAYLAND_DISPLAY",
                                          "DISPLAY=" + display};
#if defined(__SANITIZE_ADDRESS__)
    // SDL's bus connection is never freed when its display fails; as in the window
    // tests, leaks are not what this row checks.
    arguments.push_back("ASAN_OPTIONS=hard_rss_limit_mb=512:detect_leaks=0");
#endif
    arguments.insert(arguments.end(),
                     {(testsupport::buildDirectory() / "bin" / "PrismkeyFree").string(), "--root",
                      root.path().string()});
    LimitedRun result = runLimited(arguments, output.path());
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 2) << result.standardError;
    const std::string& said = result.standardError;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said.substr(0, 300);
    EXPECT_LT(said.size(), 300u) << said.substr(0, 300);
    EXPECT_NE(said.find("DISPLAY=" + display.substr(0, 80) + "... "), std::string::npos)
        << said.substr(0, 300);
}

} // namespace
