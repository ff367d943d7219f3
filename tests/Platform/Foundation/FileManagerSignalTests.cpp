// A save asked to end by a signal: a writer in a child process saves over and over and
// is sent SIGTERM, SIGINT or SIGHUP at a random moment, many times. Each time the
// signal still does what the writer's disposition says (the default ends it, and its
// status names the signal; its own handler runs; an ignored one is ignored) and no
// temporary is left beside the file, which is whole.
#include <Foundation/NSFileManager.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string prefsFolder = "/var/mobile/Library/Preferences";
const std::string prefsFile = prefsFolder + "/test.plist";
const std::string versions[] = {std::string(16 * 1024, 'a'), std::string(16 * 1024, 'b')};

enum class Disposition { Default, OwnHandler, Ignored };
constexpr int ownHandlerStatus = 42;

// Far more saves than a try lasts, unless the signal is ignored: then a few, to see
// that it stays ignored.
int savesFor(Disposition disposition) {
    return disposition == Disposition::Ignored ? 20 : 5000;
}

void endAsTheProgramWishes(int) {
    _exit(ownHandlerStatus);
}

// The writer: says when its first save is in place, then saves until it is ended or
// done; done, it says whether the disposition it set is still there.
[[noreturn]] void saveOverAndOver(int ready, int signal, Disposition disposition) {
    if (disposition != Disposition::Default) {
        std::signal(signal, disposition == Disposition::Ignored ? SIG_IGN : endAsTheProgramWishes);
    }
    NSFileManagerRef manager = NSFileManager::defaultManager();
    for (int i = 0; i < savesFor(disposition); ++i) {
        if (!manager->writeAtomically(prefsFile, versions[i % 2])) {
            _exit(2);
        }
        if (i == 0) {
            (void)!write(ready, "r", 1);
        }
    }
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    _exit(now.sa_handler == SIG_IGN ? 0 : 3);
}

std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "test.plist") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

TEST(FileManagerSignals, ASaveAskedToEndLeavesNoTemporaryAndTheSignalStillActs) {
    const struct {
        const char* name;
        int signal;
        Disposition disposition;
        int status; // as runProcess gives it: -signal when ended by one
    } rows[] = {
        {"SIGTERM", SIGTERM, Disposition::Default, -SIGTERM},
        {"SIGINT", SIGINT, Disposition::Default, -SIGINT},
        {"SIGHUP", SIGHUP, Disposition::Default, -SIGHUP},
        {"SIGTERM to a program with its own handler", SIGTERM, Disposition::OwnHandler,
         ownHandlerStatus},
        {"SIGHUP ignored (nohup)", SIGHUP, Disposition::Ignored, 0},
    };
    constexpr int tries = 30;
    std::mt19937 random(31); // the same moments every run
    std::uniform_int_distribution<int> moment(0, 2000);
    testsupport::TemporaryDirectory root;
    NSFileManager::setDeviceRoot(root.path().string());
    ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
    const fs::path folder = NSFileManager::hostPath(prefsFolder);
    for (const auto& row : rows) {
        int left = 0;
        for (int i = 0; i < tries; ++i) {
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            pid_t writer = fork();
            if (writer == 0) {
                close(ready[0]);
                saveOverAndOver(ready[1], row.signal, row.disposition);
            }
            close(ready[1]);
            char byte = 0;
            ASSERT_EQ(read(ready[0], &byte, 1), 1) << row.name << ": the writer never saved";
            close(ready[0]);
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            kill(writer, row.signal);
            int status = 0;
            ASSERT_EQ(waitpid(writer, &status, 0), writer);
            const int ended = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            EXPECT_EQ(ended, row.status) << row.name << ", try " << i;
            const std::string contents = testsupport::readFile(folder / "test.plist");
            EXPECT_TRUE(contents == versions[0] || contents == versions[1])
                << row.name << ", try " << i << ": " << contents.size() << " bytes";
            for (const std::string& name : leftovers(folder)) {
                ++left;
                fs::remove(folder / name);
            }
        }
        EXPECT_EQ(left, 0) << row.name << ": temporaries left in " << tries << " tries";
    }
}

} // namespace
