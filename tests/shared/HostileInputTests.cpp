// Files and inputs built to hang, exhaust or crash a reader, given to the real programs
// (keyboard-host with the real plug-in, the settings app), each row in a process of its
// own under a time and memory limit: a hang or a blow-up fails the row. What each row
// cost is printed as figures, never asserted.
#include "BinaryPropertyList.h"
#include "TintPreferencesFixture.h"

#include <CoreGraphics/CGImage.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tintfixture;
namespace fs = std::filesystem;

namespace {

// Generous for a keyboard that takes tens of milliseconds and a few MiB (its whole
// address space is under 200 MiB), fatal to one that expands a list or waits.
constexpr rlim_t addressSpaceLimit = rlim_t{512} << 20;
constexpr rlim_t cpuSecondsLimit = 2;
constexpr auto wallClockLimit = std::chrono::seconds(10);

struct LimitedRun {
    int exitCode = -1; // -signal when killed by one
    bool timedOut = false;
    std::string standardOutput, standardError;
    double cpuMilliseconds = 0, wallMilliseconds = 0;
    long maxResidentKiB = 0;
};

// Runs `arguments` with standard output and error in files of `folder` (and standard
// input from `input`, when named), killed when it outlives the wall-clock limit.
LimitedRun runLimited(const std::vector<std::string>& arguments, const fs::path& folder,
                      const fs::path& input = {}) {
    const fs::path out = folder / "stdout", err = folder / "stderr";
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer reserves terabytes of address space: cap what is resident.
        setenv("ASAN_OPTIONS", "hard_rss_limit_mb=512", 1);
#else
        rlimit memory{addressSpaceLimit, addressSpaceLimit};
        setrlimit(RLIMIT_AS, &memory);
#endif
        rlimit cpu{cpuSecondsLimit, cpuSecondsLimit};
        setrlimit(RLIMIT_CPU, &cpu);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        if (!input.empty()) {
            dup2(open(input.c_str(), O_RDONLY), 0);
        }
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    LimitedRun run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > wallClockLimit) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    auto milliseconds = [](timeval t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    run.wallMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMilliseconds = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    run.maxResidentKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.standardOutput = testsupport::readFile(out);
    run.standardError = testsupport::readFile(err);
    return run;
}

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
    LimitedRun run(Program program) {
        const fs::path bin = testsupport::buildDirectory() / "bin";
        const std::string rootPath = root.path().string();
        if (program == Program::KeyboardQuery) {
            return runLimited({(bin / "keyboard-host").string(), "--query", "--root", rootPath},
                              root.path());
        }
        testsupport::writeFile(root.path() / "script",
                               "wait 300\nscreenshot " + screenshot().string() + "\n");
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
    LimitedRun result = run(row.program);
    std::printf("[ figures  ] %-30s %8.1f ms CPU %8.1f ms wall %8ld KiB max resident\n", row.name,
                result.cpuMilliseconds, result.wallMilliseconds, result.maxResidentKiB);
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

INSTANTIATE_TEST_SUITE_P(
    Rows, Hostile,
    ::testing::
        Values(
            HostileRow{"TheAppsOwnFile", keyboard,
                       [](const fs::path& file, const fs::path&) { writeTo(file, onWithFive); },
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
            HostileRow{
                "Cycle", keyboard,
                [](const fs::path& file, const fs::path&) { writeTo(file, binaryplist::cycle()); },
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
                           ASSERT_EQ(mkfifo((plugins / "Prismkey.plist").c_str(), 0644), 0);
                       },
                       answer(0, "null", ""), "Prismkey.plist is a pipe, not a regular file"},
            HostileRow{"LinkToDevZero", keyboard,
                       [](const fs::path& file, const fs::path&) {
                           fs::create_symlink("/dev/zero", file);
                       },
                       untouched, ""},
            HostileRow{"OneByteOver64KiB", keyboard,
                       [](const fs::path& file, const fs::path&) {
                           writeTo(file, onWithFive +
                                             std::string(64 * 1024 + 1 - onWithFive.size(), ' '));
                       },
                       untouched, ""},
            HostileRow{"EmptyFile", keyboard,
                       [](const fs::path& file, const fs::path&) { writeTo(file, ""); }, untouched,
                       ""},
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
                       noPlugins, "DynamicLibraries is writable by everyone", 1},
            HostileRow{"LibraryWritableByEveryone", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           addPermissions(plugins / "Prismkey.dylib", fs::perms::others_write);
                       },
                       noPlugins, "Prismkey.dylib is writable by everyone", 1},
            HostileRow{"FilterWritableByEveryone", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           addPermissions(plugins / "Prismkey.plist", fs::perms::others_write);
                       },
                       noPlugins, "Prismkey.plist is writable by everyone", 1},
            HostileRow{"LibraryWritableByItsGroup", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           addPermissions(plugins / "Prismkey.dylib", fs::perms::group_write);
                       },
                       noPlugins, "Prismkey.dylib is writable by its group", 1},
            HostileRow{"LibraryOwnedByAnotherUser", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           if (geteuid() != 0) {
                               GTEST_SKIP() << "giving a file to another user needs root";
                           }
                           ASSERT_EQ(chown((plugins / "Prismkey.dylib").c_str(), 65534, 65534), 0);
                       },
                       noPlugins, "Prismkey.dylib is owned by user 65534", 1},
            HostileRow{"LibraryCutInItsELFHeader", keyboard,
                       [](const fs::path&, const fs::path& plugins) { cutLibrary(plugins, 40); },
                       noPlugins, "Prismkey.dylib is cut short inside its ELF header", 1},
            HostileRow{"LibraryCutInItsProgramHeaders", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           cutLibrary(plugins, sizeof(Elf64_Ehdr) + 20);
                       },
                       noPlugins, "Prismkey.dylib is cut short inside its program headers", 1},
            HostileRow{"LibraryCutInALoadableSegment", keyboard,
                       [](const fs::path&, const fs::path& plugins) {
                           cutLibrary(plugins,
                                      insideLastLoadableSegment(plugins / "Prismkey.dylib"));
                       },
                       noPlugins, "Prismkey.dylib is cut short inside a loadable segment", 1},
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
    std::printf("[ figures  ] %-30s %8.1f ms CPU %8.1f ms wall %8ld KiB max resident\n", row.name,
                result.cpuMilliseconds, result.wallMilliseconds, result.maxResidentKiB);
    ASSERT_FALSE(result.timedOut) << "still running after " << wallClockLimit.count() << " s";
    EXPECT_EQ(result.exitCode, 2) << result.standardError;
    const std::string& said = result.standardError;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_LT(said.size(), 200u) << said;
    EXPECT_NE(said.find(row.standardError), std::string::npos) << said;
}

std::vector<std::string> eventsFrom(const fs::path& folder, const char* name) {
    return {"--events", (folder / name).string()};
}

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
                          "line 1: longer than 4096 bytes: \"" + std::string(80, '?') + "...\"\n"},
        HostileCommandRow{"PluginsNamesAMissingFolder",
                          [](const fs::path& folder) {
                              return std::vector<std::string>{"--query", "--plugins",
                                                              (folder / "missing").string()};
                          },
                          StandardInput::None, "no plug-in folder "}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
