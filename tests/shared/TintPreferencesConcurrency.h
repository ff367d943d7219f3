// The preferences file between processes: a temporary device root in a memory-backed
// folder where there is one (so that thousands of flushed writes take seconds, not
// minutes; the replacement by rename is the same there), memory shared with the
// child processes, and the writers and readers the tests start.
#pragma once

#include <Foundation/NSPropertyListSerialization.h>

#include "TintPreferencesFixture.h"

#include <atomic>
#include <cstring>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace concurrency {

namespace fs = std::filesystem;
using namespace tintfixture;

// Readers in processes of their own, each counting its reads in its own slot.
constexpr int maximumReaders = 4;

struct SharedState {
    std::atomic<bool> stop{false};
    std::atomic<long> writes{0};
    std::atomic<long> reads[maximumReaders] = {};
    std::atomic<long> queries{0};
    std::atomic<int> failures{0};
    char firstFailure[512] = {};
};

// Colours whose components depend on each other, so a reader can tell that the four
// numbers it read came from one write.
inline UIColorRef linkedColour(float v) {
    return UIColor::colorWithRed(v, 1 - v, v * 0.5f, 1);
}
inline bool isLinked(float r, float g, float b, float a) {
    return g == 1 - r && b == r * 0.5f && a == 1;
}

class Concurrency : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string base =
            fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
        std::string pattern = base + "/prismkey-concurrency-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        NSFileManager::setDeviceRoot(root);
        ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
        ASSERT_TRUE(TintPreferences::loadForScreen().created);
        void* memory = mmap(nullptr, sizeof(SharedState), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(memory, MAP_FAILED);
        shared = new (memory) SharedState;
    }
    void TearDown() override {
        munmap(shared, sizeof(SharedState));
        fs::remove_all(root);
    }
    void fail(const std::string& what) {
        if (shared->failures.fetch_add(1) == 0) {
            std::strncpy(shared->firstFailure, what.c_str(), sizeof shared->firstFailure - 1);
        }
    }
    fs::path hostFile() const { return NSFileManager::hostPath(TintPreferencesPath); }
    std::size_t temporaryCount() const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(hostFile().parent_path())) {
            count += entry.path().filename().string().find(".tmp-") != std::string::npos;
        }
        return count;
    }

    template <class Work> pid_t spawn(Work work) {
        pid_t pid = fork();
        if (pid == 0) {
            work();
            _exit(0);
        }
        return pid;
    }

    // One write: a toggle or a new colour, alternately.
    bool writeOnce(std::mt19937& random, long n) {
        if (n % 2 == 0) {
            return TintPreferences::toggleOpen().write.succeeded();
        }
        float v = std::uniform_real_distribution<float>(0, 1)(random);
        return TintPreferences::storeColor(linkedColour(v)).succeeded();
    }

    void writer() {
        std::mt19937 random(42);
        while (!shared->stop) {
            if (!writeOnce(random, shared->writes)) {
                fail("a write failed");
            }
            ++shared->writes;
        }
    }

    // Every read must be a whole file: a dictionary with "open" "on" or "off" and,
    // once a colour was stored, five strings that belong together.
    void reader(int index) {
        std::string contents;
        while (!shared->stop) {
            if (!NSFileManager::defaultManager()->contentsAtPath(TintPreferencesPath, contents)) {
                fail("the file could not be read");
                continue;
            }
            auto dictionary =
                ns_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(contents));
            auto open = dictionary ? ns_cast<NSString>(dictionary->objectForKey("open")) : nullptr;
            if (!open || (!open->isEqualToString("on") && !open->isEqualToString("off"))) {
                fail("torn read: " + contents);
            }
            TintPreferences::isOpen();
            if (UIColorRef tint = TintPreferences::storedTint()) {
                const CGFloat* c = CGColorGetComponents(tint->CGColor());
                if (!isLinked(c[0], c[1], c[2], c[3])) {
                    fail("colour from two writes: " + tint->description());
                }
            }
            ++shared->reads[index];
        }
    }

    void queryReader() {
        const std::string program =
            (testsupport::buildDirectory() / "bin" / "keyboard-host").string();
        while (!shared->stop) {
            testsupport::ProcessResult result =
                testsupport::runProcess({program, "--query", "--root", root});
            const std::string& line = result.standardOutput;
            float r, g, b, a;
            int appearance = -1;
            bool plain =
                std::sscanf(
                    line.c_str(),
                    "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":%d,\"background\":null,"
                    "\"layoutPasses\":1}",
                    &appearance) == 1;
            bool tinted = std::sscanf(line.c_str(),
                                      "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":%d,"
                                      "\"background\":[%f,%f,%f,%f],"
                                      "\"layoutPasses\":1}",
                                      &appearance, &r, &g, &b, &a) == 5 &&
                          isLinked(r, g, b, a);
            if (result.exitCode != 0 || !result.standardError.empty() || !(plain || tinted) ||
                (appearance != 0 && appearance != 1) || line.back() != '\n') {
                fail("query answered: " + line + result.standardError);
            }
            ++shared->queries;
        }
    }

    std::string root;
    SharedState* shared = nullptr;
};

} // namespace concurrency
