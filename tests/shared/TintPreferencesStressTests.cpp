// The writer killed at random moments while readers in other processes read on.
#include "TintPreferencesConcurrency.h"

#include <chrono>
#include <csignal>
#include <sys/wait.h>

namespace {

using namespace concurrency;

constexpr long enoughWrites = 10000;
constexpr int enoughKills = 200;

// Whole files only, for every reader at every moment and after every kill; at most
// the one temporary the killed writer was filling, which the next write removes.
TEST_F(Concurrency, WriterKilledAtRandomMomentsLeavesAWholeFileAndNoPileOfTemporaries) {
    std::vector<pid_t> readers;
    for (int i = 0; i < maximumReaders; ++i) {
        readers.push_back(spawn([this, i] { reader(i); }));
    }
    std::mt19937 random(7);
    int kills = 0, interrupted = 0;
    // Room for the sanitizer build, where a write (read back before it is made) is
    // many times slower: the loop ends as soon as there are writes and kills enough.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(6);
    while ((shared->writes < enoughWrites || kills < enoughKills) && shared->failures == 0 &&
           std::chrono::steady_clock::now() < limit) {
        pid_t writer = spawn([this] {
            std::mt19937 childRandom(static_cast<unsigned>(getpid()));
            for (long n = 0;; ++n) {
                if (!writeOnce(childRandom, n)) {
                    fail("a write failed");
                }
                ++shared->writes;
            }
        });
        // Short lives until there have been kills enough, then longer ones, so that a
        // slow build (the sanitizers) also reaches its writes.
        useconds_t longest = kills < enoughKills ? 20000 : 200000;
        usleep(std::uniform_int_distribution<useconds_t>(0, longest)(random));
        kill(writer, SIGKILL);
        int status = 0;
        waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        ++kills;
        auto dictionary = NSDictionary::dictionaryWithContentsOfFile(TintPreferencesPath);
        ASSERT_TRUE(dictionary) << "kill " << kills << ": " << testsupport::readFile(hostFile());
        ASSERT_TRUE(ns_cast<NSString>(dictionary->objectForKey("open")));
        std::size_t temporaries = temporaryCount();
        ASSERT_LE(temporaries, 1u) << "kill " << kills;
        interrupted += temporaries == 1;
    }
    shared->stop = true;
    for (pid_t reader : readers) {
        int status = 0;
        waitpid(reader, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::printf("%ld writes, %d kills (%d mid-write), reads %ld %ld %ld %ld\n",
                shared->writes.load(), kills, interrupted, shared->reads[0].load(),
                shared->reads[1].load(), shared->reads[2].load(), shared->reads[3].load());
    EXPECT_EQ(shared->failures, 0) << shared->firstFailure;
    EXPECT_GE(shared->writes, enoughWrites);
    EXPECT_GE(kills, enoughKills);
    for (const auto& reads : shared->reads) {
        EXPECT_GT(reads, 0);
    }
    ASSERT_TRUE(TintPreferences::toggleOpen().write.succeeded());
    EXPECT_EQ(temporaryCount(), 0u) << "the next write removes what a killed writer left";
}

} // namespace
