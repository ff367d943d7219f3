// The preferences file between processes: one writer, several readers in other
// processes, keyboard-host among them. (The writer killed at random moments is the
// stress test's.)
#include "TintPreferencesConcurrency.h"

#include <chrono>
#include <sys/wait.h>

namespace {

using namespace concurrency;

constexpr int inProcessReaders = 2;

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
        for (int i = 0; i < inProcessReaders; ++i) {
            if (shared->reads[i] < 2000) {
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
    for (int i = 0; i < inProcessReaders; ++i) {
        EXPECT_GT(shared->reads[i], 0);
    }
    EXPECT_EQ(temporaryCount(), 0u);
}

} // namespace
