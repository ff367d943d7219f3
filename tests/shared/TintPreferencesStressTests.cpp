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

// Two apps acting at once, the second in a device root of its own whose preferences
// file is a link to the first's: a save and two apps' toggles interleave, and every one
// lands. The saver finds its last colour still there before it saves the next (a
// toggle written from an older read would bring an older colour back); the toggles,
// an odd number of them from two processes, report "on" exactly once more than "off",
// as they would one after another.
TEST_F(Concurrency, TogglesAndSavesOfTwoAppsAtOnceAllLand) {
    constexpr int actions = 600;
    const fs::path file = hostFile();
    const std::string second = root + "/second";
    NSFileManager::setDeviceRoot(second);
    ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
    fs::create_symlink(file, hostFile());
    auto colour = [](int i) { return static_cast<float>(i) / actions; };
    std::atomic<long>& ons = shared->reads[0]; // toggles that reported "on"
    pid_t saver = spawn([&] {
        for (int i = 1; i <= actions; ++i) {
            UIColorRef last = TintPreferences::storedTint();
            const CGFloat* c = last ? CGColorGetComponents(last->CGColor()) : nullptr;
            if (i > 1 && (!c || c[0] != colour(i - 1))) {
                fail("save " + std::to_string(i - 1) +
                     " was lost: " + (last ? last->description() : std::string("no colour")));
            }
            if (!TintPreferences::storeColor(linkedColour(colour(i))).succeeded()) {
                fail("a save failed");
            }
        }
    });
    NSFileManager::setDeviceRoot(root);
    std::vector<pid_t> togglers;
    for (int count : {actions, actions + 1}) {
        togglers.push_back(spawn([&, count] {
            for (int i = 0; i < count; ++i) {
                TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
                if (!toggled.write.succeeded()) {
                    fail("a toggle failed: " + toggled.write.reason);
                }
                ons += toggled.state == TintPreferences::TintState::On;
            }
        }));
    }
    for (pid_t child : {saver, togglers[0], togglers[1]}) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(shared->failures, 0) << shared->firstFailure;
    EXPECT_EQ(ons.load(), actions + 1) << "of " << 2 * actions + 1 << " toggles";
    EXPECT_TRUE(TintPreferences::isOpen());
    EXPECT_EQ(rgba(TintPreferences::storedTint()), rgba(linkedColour(colour(actions))));
    EXPECT_TRUE(fs::is_symlink(second + "/var/mobile/Library/Preferences/io.prismkey.tint.plist"));
}

} // namespace
