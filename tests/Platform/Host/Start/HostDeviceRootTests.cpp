// The device root as a program prepares it, and where a program finds its own files.
#include "TestSupport.h"

#include <Foundation/NSFileManager.h>
#include <Host/Start/HostDeviceRoot.h>
#include <Host/Start/HostInstallation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <pwd.h>
#include <string>
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
    EXPECT_EQ(*prepared.error,
              "cannot use the device root \"" + root().string() + "\": it is not a folder");
    EXPECT_TRUE(prepared.installedPlugins.empty());
}

// Everything under `folder`, to tell that a refused root made nothing.
std::vector<std::string> everythingIn(const fs::path& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

fs::path folderWithMode(const fs::path& path, fs::perms mode) {
    fs::create_directories(path);
    fs::permissions(path, mode);
    return path;
}

constexpr fs::perms everyone = fs::perms::all;
constexpr fs::perms sticky = fs::perms::all | fs::perms::sticky_bit;

// A root is used only where nobody but the user (or root) could change the way to its
// preferences and its plug-ins: anywhere else it is refused in one line naming the
// folder and why, before anything is made in it. Each row makes its setup under `top`
// and gives the root.
TEST_F(DeviceRoot, ARootOthersCouldChangeIsRefusedBeforeAnythingIsMade) {
    const struct {
        const char* name;
        fs::path (*make)(const fs::path& top);
        std::string said; // after "cannot use the device root \"<root>\": "; "": used
        bool needsRoot = false;
    } rows[] = {
        {"InAFolderEveryoneMayWrite",
         [](const fs::path& top) { return folderWithMode(top / "open", everyone) / "device"; },
         "\"TOP/open\", on the way to it, is writable by everyone, so others could read and "
         "change what is kept there"},
        {"InAFolderItsGroupMayWrite",
         [](const fs::path& top) {
             return folderWithMode(top / "group", fs::perms::owner_all | fs::perms::group_all) /
                    "device";
         },
         "\"TOP/group\", on the way to it, is writable by its group, so others"},
        {"InAStickyFolderAsTmpIs",
         [](const fs::path& top) { return folderWithMode(top / "sticky", sticky) / "device"; }, ""},
        {"ThroughALinkIntoAFolderEveryoneMayWrite",
         [](const fs::path& top) {
             folderWithMode(top / "open", everyone);
             fs::create_symlink(top / "open", top / "link");
             return top / "link" / "device";
         },
         "\"TOP/open\", on the way to it, is writable by everyone"},
        {"PreferencesFolderItsGroupMayWrite",
         [](const fs::path& top) {
             folderWithMode(top / "device/var/mobile/Library/Preferences",
                            fs::perms::owner_all | fs::perms::group_all);
             return top / "device";
         },
         "its folder \"var/mobile/Library/Preferences\" is writable by its group"},
        {"SubstrateFolderEveryoneMayWrite",
         [](const fs::path& top) {
             folderWithMode(top / "device/Library/MobileSubstrate", everyone);
             return top / "device";
         },
         "its folder \"Library/MobileSubstrate\" is writable by everyone"},
        // The loader judges it, and says so, when it loads.
        {"PluginFolderEveryoneMayWrite",
         [](const fs::path& top) {
             folderWithMode(top / "device/Library/MobileSubstrate/DynamicLibraries", everyone);
             return top / "device";
         },
         ""},
        {"HomeIsAFile",
         [](const fs::path& top) {
             testsupport::writeFile(top / "home", "a file");
             return top / "home/.local/share/prismkey/device";
         },
         "\"TOP/home\", on the way to it, is not a folder"},
        {"AnotherUsersFolderInAStickyFolder",
         [](const fs::path& top) {
             fs::path device = folderWithMode(top / "sticky", sticky) / "device";
             fs::create_directory(device);
             EXPECT_EQ(chown(device.c_str(), 4242, 4242), 0);
             return device;
         },
         "it is owned by user 4242, not by root or by user 0, so others could read", true},
        {"AnotherUsersLinkInAStickyFolder",
         [](const fs::path& top) {
             fs::path device = folderWithMode(top / "sticky", sticky) / "device";
             fs::create_directory(top / "mine");
             fs::create_symlink(top / "mine", device);
             EXPECT_EQ(lchown(device.c_str(), 4242, 4242), 0);
             return device;
         },
         "it is owned by user 4242", true},
    };
    for (const auto& row : rows) {
        if (row.needsRoot && geteuid() != 0) {
            continue; // giving a file to another user needs root
        }
        testsupport::TemporaryDirectory top;
        const fs::path device = row.make(top.path());
        const std::vector<std::string> before = everythingIn(top.path());
        NSFileManager::setDeviceRoot(device.string());
        HostDeviceRootPreparation prepared = HostPrepareDeviceRoot(shipped());
        if (row.said.empty()) {
            EXPECT_FALSE(prepared.error) << row.name << ": " << *prepared.error;
            EXPECT_TRUE(fs::is_directory(device / "var/mobile/Library/Preferences")) << row.name;
            continue;
        }
        std::string said = row.said;
        if (std::size_t at = said.find("TOP"); at != std::string::npos) {
            said.replace(at, 3, top.path().string());
        }
        ASSERT_TRUE(prepared.error) << row.name;
        EXPECT_EQ(
            prepared.error->find("cannot use the device root \"" + device.string() + "\": " + said),
            0u)
            << row.name << ": " << *prepared.error;
        EXPECT_EQ(prepared.error->find('\n'), std::string::npos) << row.name;
        EXPECT_EQ(everythingIn(top.path()), before) << row.name << ": something was made";
    }
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
    EXPECT_NE(result.standardError.find("platform-test-scene: cannot use the device root \"" +
                                        root().string() + "\""),
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
