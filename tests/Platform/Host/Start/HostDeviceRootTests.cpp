// The device root as a program prepares it, and where a program finds its own files.
#include "TestSupport.h"

#include <Foundation/NSFileManager.h>
#include <Host/Start/HostDeviceRoot.h>
#include <Host/Start/HostInstallation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class DeviceRoot : public ::testing::Test {
  protected:
    void SetUp() override {
        // Shipped: A with its filter, B without one, and a file that is no plug-in.
        testsupport::writeFile(shipped() / "A.dylib", "library A");
        testsupport::writeFile(shipped() / "A.plist", "filter A");
        testsupport::writeFile(shipped() / "B.dylib", "library B");
        testsupport::writeFile(shipped() / "notes.txt", "not a plug-in");
        NSFileManager::setDeviceRoot(root().string());
    }
    fs::path shipped() const { return folder.path() / "shipped"; }
    fs::path root() const { return folder.path() / "device"; }
    fs::path plugins() const { return root() / "Library/MobileSubstrate/DynamicLibraries"; }

    testsupport::TemporaryDirectory folder;
};

TEST_F(DeviceRoot, ANewPluginFolderGetsTheShippedPluginsAnExistingOneIsNeverChanged) {
    struct Row {
        const char* name;
        std::vector<std::string> before; // files in an existing plug-in folder; none: no folder
        bool folderExists;
        std::vector<std::string> installed;
        std::vector<std::string> after;
    };
    const std::vector<Row> rows = {
        {"new root", {}, false, {"A", "B"}, {"A.dylib", "A.plist", "B.dylib"}},
        {"emptied by the user", {}, true, {}, {}},
        {"one plug-in removed", {"A.plist"}, true, {}, {"A.plist"}},
    };
    for (const Row& row : rows) {
        fs::remove_all(root());
        if (row.folderExists) {
            fs::create_directories(plugins());
        }
        for (const std::string& file : row.before) {
            testsupport::writeFile(plugins() / file, "the user's");
        }
        HostDeviceRootPreparation prepared = HostPrepareDeviceRoot(shipped());
        EXPECT_FALSE(prepared.error) << row.name << ": " << *prepared.error;
        EXPECT_EQ(prepared.pluginFolder, plugins()) << row.name;
        EXPECT_EQ(prepared.installedPlugins, row.installed) << row.name;
        EXPECT_TRUE(prepared.problems.empty()) << row.name;
        EXPECT_EQ(filesIn(plugins()), row.after) << row.name << " (no temporaries left)";
        EXPECT_TRUE(fs::is_directory(root() / "var/mobile/Library/Preferences")) << row.name;
    }
    EXPECT_EQ(testsupport::readFile(plugins() / "A.plist"), "the user's");
}

TEST_F(DeviceRoot, InstalledPluginsAreCopiesOfTheShippedFiles) {
    HostDeviceRootPreparation prepared = HostPrepareDeviceRoot(shipped());
    ASSERT_EQ(prepared.installedPlugins, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(testsupport::readFile(plugins() / "A.dylib"), "library A");
    EXPECT_EQ(testsupport::readFile(plugins() / "A.plist"), "filter A");
    EXPECT_EQ(testsupport::readFile(plugins() / "B.dylib"), "library B");
    fs::remove_all(root());
    EXPECT_TRUE(HostPrepareDeviceRoot(folder.path() / "nothing shipped").installedPlugins.empty());
    EXPECT_TRUE(fs::is_directory(plugins()));
}

// The loader trusts only what nobody but the owner can write, whatever the user's umask.
TEST_F(DeviceRoot, ANewPluginFolderAndItsPluginsAreWritableByTheOwnerOnly) {
    const mode_t previous = ::umask(002);
    HostDeviceRootPreparation prepared = HostPrepareDeviceRoot(shipped());
    ::umask(previous);
    ASSERT_EQ(prepared.installedPlugins, (std::vector<std::string>{"A", "B"}));
    for (const fs::path& path : {plugins(), plugins() / "A.dylib", plugins() / "A.plist"}) {
        const fs::perms perms = fs::status(path).permissions();
        EXPECT_EQ(perms & (fs::perms::group_write | fs::perms::others_write), fs::perms::none)
            << path;
        EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none) << path;
    }
}

TEST_F(DeviceRoot, ARootThatCannotBeMadeNamesTheFolderAndWhy) {
    testsupport::writeFile(root(), "a file where the root should be");
    HostDeviceRootPreparation prepared = HostPrepareDeviceRoot(shipped());
    ASSERT_TRUE(prepared.error);
    EXPECT_NE(prepared.error->find("cannot prepare the device root " + root().string()),
              std::string::npos)
        << *prepared.error;
    EXPECT_NE(prepared.error->find(root().string() + "/var/mobile/Library/Preferences: "),
              std::string::npos)
        << *prepared.error;
    EXPECT_EQ(prepared.error->find('\n'), std::string::npos);
    EXPECT_TRUE(prepared.installedPlugins.empty());
}

TEST_F(DeviceRoot, AProgramWhoseRootCannotBePreparedStopsWithStatusOneBeforeItsScript) {
    testsupport::writeFile(root(), "a file");
    fs::path shot = folder.path() / "never.png";
    testsupport::ProcessResult result = testsupport::runProcess(
        {(testsupport::buildDirectory() / "bin" / "platform-test-scene").string(), "--headless",
         "--root", root().string(), "--events", "-"},
        "screenshot " + shot.string() + "\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
        << result.standardError;
    EXPECT_NE(result.standardError.find("platform-test-scene: cannot prepare the device root " +
                                        root().string()),
              std::string::npos)
        << result.standardError;
    EXPECT_FALSE(fs::exists(shot));
}

// With no home of the user's own (no HOME or XDG_DATA_HOME that is an absolute path,
// no password-database entry, as in many containers) there is no default root: the
// program asks for --root and stops, making nothing anywhere (never in /tmp).
TEST_F(DeviceRoot, WithoutAHomeAProgramAsksForARootAndMakesNothing) {
    const uid_t unlisted = 4242;
    if (geteuid() != 0 || getpwuid(unlisted) != nullptr) {
        GTEST_SKIP() << "playing a user without a password-database entry needs root";
    }
    fs::path shot = folder.path() / "never.png";
    fs::permissions(folder.path(), fs::perms::all | fs::perms::sticky_bit);
    const std::string program =
        (testsupport::buildDirectory() / "bin" / "platform-test-scene").string();
    const std::vector<std::vector<std::string>> environments = {
        {}, {"HOME=home", "XDG_DATA_HOME=data"}, {"HOME="}};
    for (const std::vector<std::string>& environment : environments) {
        std::vector<std::string> arguments = {"/usr/bin/env", "-i"};
        arguments.insert(arguments.end(), environment.begin(), environment.end());
        arguments.insert(arguments.end(),
                         {"/usr/bin/setpriv", "--reuid=4242", "--regid=4242", "--clear-groups",
                          program, "--headless", "--events", "-"});
        testsupport::ProcessResult result =
            testsupport::runProcess(arguments, "screenshot " + shot.string() + "\n");
        EXPECT_EQ(result.exitCode, 1) << result.standardError;
        EXPECT_EQ(result.standardError,
                  "platform-test-scene: no device root: neither XDG_DATA_HOME nor HOME names an "
                  "absolute folder, and the password database has no home for user 4242; give "
                  "one with --root DIR\n");
        EXPECT_FALSE(fs::exists(shot));
    }
}

TEST(HostInstallation, FilesAreFoundBesideTheExecutableInEitherLayout) {
    testsupport::TemporaryDirectory folder;
    const fs::path top = folder.path();
    fs::create_directories(top / "installed/share/prismkey");
    fs::create_directories(top / "build/bin");
    const std::vector<std::pair<fs::path, HostInstallation>> rows = {
        {top / "installed/bin/PrismkeyFree",
         {top / "installed/share/prismkey/Resources",
          top / "installed/lib/prismkey/DynamicLibraries", top / "installed/share/icons"}},
        {top / "build/bin/PrismkeyFree",
         {top / "build/Resources", top / "build/DynamicLibraries", top / "build/icons"}},
    };
    for (const auto& [program, expected] : rows) {
        HostInstallation found = HostInstallation::forProgram(program);
        EXPECT_EQ(found.resources, expected.resources) << program;
        EXPECT_EQ(found.plugins, expected.plugins) << program;
        EXPECT_EQ(found.icons, expected.icons) << program;
    }
    // This test program lives in the build tree's bin/.
    EXPECT_EQ(fs::weakly_canonical(HostInstallation::current().plugins),
              fs::weakly_canonical(testsupport::buildDirectory() / "DynamicLibraries"));
}

} // namespace
