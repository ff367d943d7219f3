// The preferences file between processes: one writer, several readers, and a writer
// killed at random moments. Runs in a memory-backed folder where there is one, so
// that thousands of flushed writes take seconds, not minutes; the replacement by
// rename is the same there.
#include <Foundation/NSPropertyListSerialization.h>

#include "TintPreferencesFixture.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tintfixture;

namespace {

constexpr int inProcessReaders = 2;

struct SharedState {
    std::atomic<bool> stop{false};
    std::atomic<long> writes{0};
    std::atomic<long> reads[inProcessReaders] = {};
    std::atomic<long> queries{0};
    std::atomic<int> failures{0};
    char firstFailure[512] = {};
};

// Colours whose components depend on each other, so a reader can tell that the four
// numbers it read came from one write.
UIColorRef linkedColour(float v) {
    return UIColor::colorWithRed(v, 1 - v, v * 0.5f, 1);
}
bool isLinked(float r, float g, float b, float a) {
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

TEST_F(Concurrency, ReadersInOtherProcessesOnlyEverSeeWholeFiles) {
    const fs::path plugins = NSFileManager::hostPath("/Library/MobileSubstrate/DynamicLibraries");
    for (const char* file : {"Prismkey.dylib", "Prismkey.plist"}) {
        fs::copy_file(testsupport::buildDirectory() / "DynamicLibraries" / file, plugins / file);
    }
    std::vector<pid_t> children;
    for (int i = 0; i < inProcessReaders; ++i) {
        children.push_back(spawn([this, i] { reader(i); }));
    }
    children.push_back(spawn([this] { queryReader(); }));
    children.push_back(spawn([this] { queryReader(); }));
    children.push_back(spawn([this] { writer(); }));

    // Until the writer has written thousands of times and every reader has read
    // plenty, with a limit so that a stuck child cannot hang the suite.
    auto enough = [&] {
        for (const auto& reads : shared->reads) {
            if (reads < 2000) {
                return false;
            }
        }
        return shared->writes >= 3000 && shared->queries >= 30;
    };
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(12);
    while (!enough() && shared->failures == 0 && std::chrono::steady_clock::now() < limit) {
        usleep(10000);
    }
    shared->stop = true;
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::printf("%ld writes, %ld + %ld reads, %ld queries\n", shared->writes.load(),
                shared->reads[0].load(), shared->reads[1].load(), shared->queries.load());
    EXPECT_EQ(shared->failures, 0) << shared->firstFailure;
    EXPECT_GE(shared->writes, 1000);
    EXPECT_GT(shared->queries, 0);
    for (const auto& reads : shared->reads) {
        EXPECT_GT(reads, 0);
    }
    EXPECT_EQ(temporaryCount(), 0u);
}

TEST_F(Concurrency, WriterKilledAtRandomMomentsLeavesAWholeFileAndNoPileOfTemporaries) {
    std::mt19937 random(7);
    int interrupted = 0;
    for (int round = 0; round < 150; ++round) {
        pid_t child = spawn([this] {
            std::mt19937 childRandom(static_cast<unsigned>(getpid()));
            for (long n = 0;; ++n) {
                writeOnce(childRandom, n);
            }
        });
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        auto dictionary = NSDictionary::dictionaryWithContentsOfFile(TintPreferencesPath);
        ASSERT_TRUE(dictionary) << "round " << round << ": " << testsupport::readFile(hostFile());
        ASSERT_TRUE(ns_cast<NSString>(dictionary->objectForKey("open")));
        std::size_t temporaries = temporaryCount();
        ASSERT_LE(temporaries, 1u) << "round " << round;
        interrupted += temporaries == 1;
    }
    ASSERT_TRUE(TintPreferences::toggleOpen().write.succeeded());
    EXPECT_EQ(temporaryCount(), 0u)
        << interrupted << " rounds left a temporary; the next write removes it";
}

} // namespace
