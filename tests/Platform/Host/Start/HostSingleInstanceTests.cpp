// One window per device root, with the other processes a hostile or broken peer could
// be: a client that says nothing, a first window that is stopped, another user who
// took the socket's name first, a link at the lock file's name. Each start and each
// exit ends within a bound; none of them opens a second window.
#include "TestSupport.h"

#include <Host/Start/HostSingleInstance.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Claim = HostSingleInstance::Claim;
using testsupport::TemporaryDirectory;

const char* const program = "prismkey-test";

Claim claimOnce(const std::filesystem::path& root) {
    Claim claim = Claim::refused;
    HostSingleInstance::claim(root, program, claim);
    return claim;
}

// A socket connected to (or bound at) the root's name, as another process would hold it.
int socketAt(const std::filesystem::path& root, bool bindIt) {
    std::string name = HostSingleInstance::socketName(root, program);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const auto* at = reinterpret_cast<const sockaddr*>(&address);
    bool ok =
        bindIt ? bind(fd, at, length) == 0 && listen(fd, 1) == 0 : connect(fd, at, length) == 0;
    EXPECT_TRUE(ok) << std::strerror(errno);
    return fd;
}

// Runs `work` on a thread of its own; a hang fails the test instead of holding it.
void endsWithin(std::chrono::seconds limit, const char* what, std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread([work = std::move(work), done] {
        work();
        done->set_value();
    }).detach();
    if (ended.wait_for(limit) != std::future_status::ready) {
        ADD_FAILURE() << what << " did not end within " << limit.count() << " s";
        std::_Exit(1); // the hung thread would hold the process
    }
}

// A child process that holds the root as its first window, then waits for signals.
pid_t firstWindowProcess(const std::filesystem::path& root) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        Claim claim = Claim::refused;
        auto held = HostSingleInstance::claim(root, program, claim);
        char byte = claim == Claim::first ? 'y' : 'n';
        (void)!write(ready[1], &byte, 1);
        while (true) {
            pause();
        }
    }
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    close(ready[0]);
    close(ready[1]);
    return child;
}

// The first window of `root`, counting the raises it is asked for; null if it is not.
std::unique_ptr<HostSingleInstance> firstCountingRaises(const std::filesystem::path& root,
                                                        std::atomic<int>& raised) {
    Claim claim = Claim::refused;
    auto first = HostSingleInstance::claim(root, program, claim);
    if (claim != Claim::first) {
        return nullptr;
    }
    first->setRaiseHandler([&raised](const std::string&) {
        ++raised;
        return true;
    });
    return first;
}

TEST(HostSingleInstance, ALaterStartAsksTheFirstToComeToTheFront) {
    TemporaryDirectory root;
    std::atomic<int> raised = 0;
    auto first = firstCountingRaises(root.path(), raised);
    ASSERT_TRUE(first);
    EXPECT_EQ(claimOnce(root.path()), Claim::another);
    EXPECT_EQ(raised, 1);
}

// The first answers what its window did; the desktop's token of the later start reaches
// it when it can travel on one line.
TEST(HostSingleInstance, TheFirstAnswersWhetherItCameToTheFrontWithTheTokenItWasGiven) {
    struct Row {
        const char* token;
        bool raised;
        Claim claim;
        const char* heard;
    };
    const std::string longToken(HostSingleInstance::tokenLimit + 1, 't');
    const Row rows[] = {
        {"", true, Claim::another, ""},
        {"", false, Claim::behind, ""},
        {"mutter-1234_TIME5", true, Claim::another, "mutter-1234_TIME5"},
        {"two words", false, Claim::behind, ""}, // could not travel as one
        {longToken.c_str(), true, Claim::another, ""},
    };
    TemporaryDirectory root;
    Claim claim = Claim::refused;
    auto first = HostSingleInstance::claim(root.path(), program, claim);
    ASSERT_EQ(claim, Claim::first);
    for (const Row& row : rows) {
        std::string heard = "(not asked)";
        first->setRaiseHandler([&heard, &row](const std::string& token) {
            heard = token;
            return row.raised;
        });
        Claim later = Claim::refused;
        HostSingleInstance::claim(root.path(), program, later, row.token);
        EXPECT_EQ(later, row.claim) << row.token;
        EXPECT_EQ(heard, row.heard) << row.token;
    }
}

// A first window whose raise takes its whole time is answered for within the limit.
TEST(HostSingleInstance, ARaiseThatNeverEndsIsAnsweredWithinTheLimit) {
    TemporaryDirectory root;
    Claim claim = Claim::refused;
    auto first = HostSingleInstance::claim(root.path(), program, claim);
    first->setRaiseHandler([](const std::string&) {
        std::this_thread::sleep_for(HostSingleInstance::answerLimit + std::chrono::seconds(1));
        return true;
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(claimOnce(root.path()), Claim::silent);
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              HostSingleInstance::answerLimit + std::chrono::milliseconds(500));
    endsWithin(std::chrono::seconds(10), "the first window's exit", [&first] { first.reset(); });
}

TEST(HostSingleInstance, AClientThatSaysNothingHoldsNeitherAStartNorTheExit) {
    TemporaryDirectory root;
    Claim claim = Claim::refused;
    auto first = HostSingleInstance::claim(root.path(), program, claim);
    ASSERT_EQ(claim, Claim::first);
    int silent = socketAt(root.path(), false);
    EXPECT_EQ(claimOnce(root.path()), Claim::another) << "answered once the silent one is dropped";
    int stillSilent = socketAt(root.path(), false);
    endsWithin(std::chrono::seconds(10), "the first window's exit", [&first] { first.reset(); });
    close(silent);
    close(stillSilent);
}

TEST(HostSingleInstance, AStoppedFirstWindowIsReportedNotWaitedOn) {
    TemporaryDirectory root;
    pid_t child = firstWindowProcess(root.path());
    kill(child, SIGSTOP);
    // kill() returns before every thread has stopped: the listener could still answer.
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WUNTRACED), child);
    EXPECT_TRUE(WIFSTOPPED(status));
    // More starts than the backlog holds: some are queued and never read, the rest
    // find it full.
    std::vector<Claim> claims(8, Claim::first);
    endsWithin(std::chrono::seconds(30), "eight starts", [&claims, &root] {
        std::vector<std::thread> starts;
        for (Claim& claim : claims) {
            starts.emplace_back([&claim, &root] { claim = claimOnce(root.path()); });
        }
        for (std::thread& start : starts) {
            start.join();
        }
    });
    for (Claim claim : claims) {
        EXPECT_EQ(claim, Claim::silent);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// A process of another user (root plays one) that runs `work` and reports the byte it
// returns, then stays until this goes.
class AnotherUser {
  public:
    explicit AnotherUser(const std::function<char()>& work) {
        EXPECT_EQ(pipe(report_), 0);
        pid_ = fork();
        if (pid_ == 0) {
            char byte = setgid(4243) == 0 && setuid(4242) == 0 ? work() : '!';
            (void)!write(report_[1], &byte, 1);
            while (true) {
                pause();
            }
        }
    }
    ~AnotherUser() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        close(report_[0]);
        close(report_[1]);
    }
    AnotherUser(const AnotherUser&) = delete;
    AnotherUser& operator=(const AnotherUser&) = delete;
    char reported() const {
        char byte = 0;
        EXPECT_EQ(read(report_[0], &byte, 1), 1);
        return byte;
    }

  private:
    int report_[2] = {-1, -1};
    pid_t pid_ = -1;
};

TEST(HostSingleInstance, ANameTakenByAnotherUserStillKeepsASecondWindowOut) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "playing another user needs root";
    }
    TemporaryDirectory root;
    AnotherUser other([&root] {
        socketAt(root.path(), true);
        return 'y';
    });
    ASSERT_EQ(other.reported(), 'y');
    Claim claim = Claim::refused;
    auto first = HostSingleInstance::claim(root.path(), program, claim);
    EXPECT_EQ(claim, Claim::first) << "the lock is the root's, the name is not";
    EXPECT_EQ(claimOnce(root.path()), Claim::silent) << "another user's socket is not asked";
}

// The socket's name is in a namespace every user shares: another user's request to
// come to the front (which would take the focus from the user) is neither answered
// nor acted on.
TEST(HostSingleInstance, APeerOfAnotherUserGetsNoAnswerAndRaisesNothing) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "playing another user needs root";
    }
    TemporaryDirectory root;
    std::atomic<int> raised = 0;
    auto first = firstCountingRaises(root.path(), raised);
    ASSERT_TRUE(first);
    AnotherUser other([&root] {
        int fd = socketAt(root.path(), false);
        (void)!send(fd, "raise\n", 6, MSG_NOSIGNAL);
        timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char answer[16] = {};
        return recv(fd, answer, sizeof answer, 0) > 0 ? 'a' : 'n';
    });
    EXPECT_EQ(other.reported(), 'n') << "another user's request was answered";
    EXPECT_EQ(raised, 0);
}

TEST(HostSingleInstance, ALinkAtTheLockFilesNameIsNotFollowed) {
    TemporaryDirectory root, elsewhere;
    std::filesystem::path target = elsewhere.path() / "created-by-the-start";
    std::filesystem::create_symlink(target, root.path() / (std::string(".") + program + ".lock"));
    EXPECT_EQ(claimOnce(root.path()), Claim::refused);
    EXPECT_FALSE(std::filesystem::exists(target));
}

// Only a regular file of the user's own is held as the lock: whatever else is at its
// name (put there by another, or left by a mistake) would let a second window open on
// the same preferences, so the start is refused in one line saying why, the path cut
// as every echo of input is.
TEST(HostSingleInstance, ALockThatIsNotARegularFileOfOursIsRefusedInOneLine) {
    const struct {
        const char* name;
        void (*make)(const std::filesystem::path& lock, const std::filesystem::path& elsewhere);
        std::string said; // after the quoted path; "": held
        bool needsRoot = false;
    } rows[] = {
        {"NoneYet", [](const std::filesystem::path&, const std::filesystem::path&) {}, ""},
        {"RegularFileOfOurs",
         [](const std::filesystem::path& lock, const std::filesystem::path&) {
             testsupport::writeFile(lock, "");
         },
         ""},
        {"Pipe",
         [](const std::filesystem::path& lock, const std::filesystem::path&) {
             ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
         },
         "it is a pipe, not a regular file (remove it to start)"},
        {"LinkToAFileOfOurs",
         [](const std::filesystem::path& lock, const std::filesystem::path& elsewhere) {
             testsupport::writeFile(elsewhere / "file", "");
             std::filesystem::create_symlink(elsewhere / "file", lock);
         },
         "it is a symbolic link, not a regular file (remove it to start)"},
        {"Folder",
         [](const std::filesystem::path& lock, const std::filesystem::path&) {
             std::filesystem::create_directory(lock);
         },
         "it is a folder, not a regular file (remove it to start)"},
        {"AnotherUsersFile",
         [](const std::filesystem::path& lock, const std::filesystem::path&) {
             testsupport::writeFile(lock, "");
             std::filesystem::permissions(lock, std::filesystem::perms::all);
             ASSERT_EQ(chown(lock.c_str(), 4242, 4242), 0);
         },
         "it is owned by user 4242, not by user 0 (remove it to start)", true},
    };
    for (const auto& row : rows) {
        if (row.needsRoot && geteuid() != 0) {
            continue; // giving a file to another user needs root
        }
        for (const std::string& subfolder : {std::string(), std::string(100, 'r')}) {
            TemporaryDirectory top, elsewhere;
            const std::filesystem::path root = top.path() / subfolder;
            std::filesystem::create_directories(root);
            const std::filesystem::path lock = root / (std::string(".") + program + ".lock");
            row.make(lock, elsewhere.path());
            Claim claim = Claim::refused;
            std::string refusal;
            auto held = HostSingleInstance::claim(root, program, claim, {}, &refusal);
            if (row.said.empty()) {
                EXPECT_EQ(claim, Claim::first) << row.name << ": " << refusal;
                EXPECT_TRUE(held && std::filesystem::is_regular_file(lock)) << row.name;
                continue;
            }
            EXPECT_EQ(claim, Claim::refused) << row.name;
            EXPECT_EQ(held, nullptr) << row.name;
            const std::string quoted =
                lock.string().size() <= 80 ? lock.string() : lock.string().substr(0, 80) + "...";
            EXPECT_EQ(refusal,
                      "cannot hold this device root's lock \"" + quoted + "\": " + row.said)
                << row.name;
            EXPECT_TRUE(testsupport::readFile(elsewhere.path() / "file").empty()) << row.name;
        }
    }
}

// The refusal ends the start with status 1, before a second window could open on the
// same preferences (a display is there, so nothing else stops it).
TEST(HostSingleInstance, AProgramWhoseLockIsAPipeStopsWithStatusOne) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    TemporaryDirectory root;
    const std::filesystem::path lock = root.path() / ".PrismkeyFree.lock";
    ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
    // A window that did open would end at once, its script saying so.
    testsupport::ProcessResult result =
        testsupport::runProcess({(testsupport::buildDirectory() / "bin" / "PrismkeyFree").string(),
                                 "--root", root.path().string(), "--events", "-"},
                                "quit\n");
    EXPECT_EQ(result.exitCode, 1) << result.standardError;
    EXPECT_NE(result.standardError.find("PrismkeyFree: cannot hold this device root's lock \"" +
                                        lock.string() +
                                        "\": it is a pipe, not a regular file (remove it to "
                                        "start)\n"),
              std::string::npos)
        << result.standardError;
}

} // namespace
