#include <Foundation/Foundation.h>
#include <Foundation/NSFileManager.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string prefsFolder = "/var/mobile/Library/Preferences";
const std::string prefsFile = prefsFolder + "/test.plist";

class FileManager : public ::testing::Test {
  protected:
    void SetUp() override {
        NSFileManager::setDeviceRoot(root.path().string());
        ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
    }
    fs::path host(const std::string& devicePath) const { return root.path().string() + devicePath; }
    std::vector<std::string> temporaries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(host(prefsFolder))) {
            if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    testsupport::TemporaryDirectory root;
    NSFileManagerRef manager = NSFileManager::defaultManager();
};

TEST_F(FileManager, DevicePathsResolveUnderTheRoot) {
    const std::string r = root.path().string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/var/mobile/Library/Preferences/a.plist", r + "/var/mobile/Library/Preferences/a.plist"},
        {"/Library/MobileSubstrate/DynamicLibraries",
         r + "/Library/MobileSubstrate/DynamicLibraries"},
        {"/../../etc/passwd", r + "/etc/passwd"},
        {"/var/./mobile//x", r + "/var/mobile/x"},
        {"/", r},
        {"relative/file", "relative/file"},
    };
    for (const auto& [device, expected] : cases) {
        EXPECT_EQ(NSFileManager::hostPath(device), expected) << device;
    }
}

TEST(FileManagerRoot, DefaultRootFollowsXdgDataHomeThenHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(NSFileManager::defaultDeviceRoot(), "/data/home/prismkey/device");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(NSFileManager::defaultDeviceRoot(), "/home/someone/.local/share/prismkey/device");
    savedXdg ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

void setOrUnset(const char* name, const char* value) {
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
}

// The default root as a user's process with no password-database entry finds it: in a
// child that takes such a user's id (root only). "none" when there is no default.
std::optional<std::string> defaultRootOfAUserWithoutAnEntry(uid_t user) {
    int answer[2];
    EXPECT_EQ(pipe(answer), 0);
    pid_t child = fork();
    if (child == 0) {
        if (setgid(user) != 0 || setuid(user) != 0) {
            _exit(1);
        }
        std::string root = NSFileManager::defaultDeviceRoot().value_or("none");
        _exit(write(answer[1], root.data(), root.size()) == static_cast<ssize_t>(root.size()) ? 0
                                                                                              : 1);
    }
    close(answer[1]);
    std::string root;
    char chunk[256];
    for (ssize_t n; (n = read(answer[0], chunk, sizeof chunk)) > 0;) {
        root.append(chunk, static_cast<std::size_t>(n));
    }
    close(answer[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return root;
}

// Only a home of the user's own: a relative variable would be resolved against the
// working folder, and with no home at all there is no default (not /tmp, which every
// user shares).
TEST(FileManagerRoot, DefaultRootIsAnAbsoluteHomeOrNone) {
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    const std::string passwordHome =
        std::string(entry->pw_dir) + (std::string(entry->pw_dir) == "/" ? "" : "/");
    const uid_t unlisted = 4242;
    const struct {
        const char* name;
        const char* xdgDataHome; // null: unset
        const char* home;
        bool unlistedUser; // the process's user has no password-database entry
        std::string expected;
    } rows[] = {
        {"XDG_DATA_HOME", "/data/home/", "/home/someone", false, "/data/home/prismkey/device"},
        {"relative XDG_DATA_HOME", "data", "/home/someone", false,
         "/home/someone/.local/share/prismkey/device"},
        {"HOME at the top", nullptr, "/", false, "/.local/share/prismkey/device"},
        {"relative HOME", nullptr, "home/someone", false,
         passwordHome + ".local/share/prismkey/device"},
        {"empty HOME", "", "", false, passwordHome + ".local/share/prismkey/device"},
        {"no home anywhere", nullptr, nullptr, true, "none"},
        {"relative ones and no entry", "data", ".", true, "none"},
        {"HOME without an entry", nullptr, "/home/someone", true,
         "/home/someone/.local/share/prismkey/device"},
    };
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    for (const auto& row : rows) {
        setOrUnset("XDG_DATA_HOME", row.xdgDataHome);
        setOrUnset("HOME", row.home);
        if (!row.unlistedUser) {
            EXPECT_EQ(NSFileManager::defaultDeviceRoot().value_or("none"), row.expected)
                << row.name;
        } else if (geteuid() == 0 && getpwuid(unlisted) == nullptr) {
            EXPECT_EQ(defaultRootOfAUserWithoutAnEntry(unlisted), row.expected) << row.name;
        }
    }
    setOrUnset("XDG_DATA_HOME", savedXdg ? xdg.c_str() : nullptr);
    setOrUnset("HOME", savedHome ? home.c_str() : nullptr);
}

TEST_F(FileManager, AtomicWriteLeavesTheContentsWithMode0644AndNoTemporary) {
    mode_t saved = umask(077);
    NSFileError error;
    bool written = manager->writeAtomically(prefsFile, "first", &error);
    umask(saved);
    ASSERT_TRUE(written) << error.description;
    EXPECT_EQ(testsupport::readFile(host(prefsFile)), "first");
    struct stat status {};
    ASSERT_EQ(stat(host(prefsFile).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    ASSERT_TRUE(manager->writeAtomically(prefsFile, "second"));
    EXPECT_EQ(testsupport::readFile(host(prefsFile)), "second");
    EXPECT_TRUE(temporaries().empty());
}

// A write keeps the bits of the file it replaces, and its owner and group where the
// process may set them (root may: a toggle made by root leaves the owner's file the
// owner's); through a link, those of the file the link names, which is replaced in its
// own folder while the link stays.
TEST_F(FileManager, AtomicWriteKeepsTheReplacedFilesBitsOwnerAndLinks) {
    const struct {
        const char* name;
        int mode;  // of the file replaced; -1: none
        bool link; // the path is a link to a file in another folder
        int expected;
        bool anotherUsers = false; // the file replaced is 4242:4243's (root only)
    } rows[] = {
        {"new file", -1, false, 0644},
        {"private file", 0600, false, 0600},
        {"group file", 0640, false, 0640},
        {"private file behind a link", 0600, true, 0600},
        {"new file behind a link", -1, true, 0644},
        {"another user's group file", 0640, false, 0640, true},
        {"another user's file behind a link", 0600, true, 0600, true},
    };
    const mode_t savedMask = ::umask(077);
    for (const auto& row : rows) {
        if (row.anotherUsers && ::geteuid() != 0) {
            continue; // only root may give a file away
        }
        const fs::path path = host(prefsFile), elsewhere = root.path() / "elsewhere" / "real.plist";
        fs::remove(path);
        fs::remove_all(elsewhere.parent_path());
        fs::create_directories(elsewhere.parent_path());
        const fs::path file = row.link ? elsewhere : path;
        if (row.link) {
            fs::create_symlink("../../../../elsewhere/real.plist", path);
        }
        if (row.mode >= 0) {
            testsupport::writeFile(file, "old");
            ::chmod(file.c_str(), static_cast<mode_t>(row.mode));
            ASSERT_TRUE(!row.anotherUsers || ::chown(file.c_str(), 4242, 4243) == 0);
        }
        ASSERT_TRUE(manager->writeAtomically(prefsFile, "new")) << row.name;
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0) << row.name;
        EXPECT_EQ(status.st_mode & 07777, static_cast<mode_t>(row.expected)) << row.name;
        EXPECT_EQ(status.st_uid, row.anotherUsers ? 4242u : ::geteuid()) << row.name;
        EXPECT_EQ(status.st_gid, row.anotherUsers ? 4243u : ::getegid()) << row.name;
        EXPECT_EQ(testsupport::readFile(file), "new") << row.name;
        EXPECT_EQ(fs::is_symlink(path), row.link) << row.name;
    }
    ::umask(savedMask);
}

TEST_F(FileManager, NextWriteRemovesTemporariesThatAKilledWriterLeft) {
    testsupport::writeFile(host(prefsFolder + "/.test.plist.tmp-abc123"), "half a fi");
    testsupport::writeFile(host(prefsFolder + "/.other.plist.tmp-abc123"), "another file's");
    ASSERT_TRUE(manager->writeAtomically(prefsFile, "whole"));
    EXPECT_EQ(temporaries(), std::vector<std::string>{".other.plist.tmp-abc123"});
}

TEST_F(FileManager, FailedWriteReportsWhyAndLeavesNoTemporary) {
    fs::create_directories(host(prefsFile) / "occupied");
    NSFileError error;
    EXPECT_FALSE(manager->writeAtomically(prefsFile, "x", &error));
    EXPECT_NE(error.description.find(host(prefsFile).string()), std::string::npos)
        << error.description;
    EXPECT_TRUE(temporaries().empty());
    EXPECT_TRUE(fs::is_directory(host(prefsFile)));

    EXPECT_FALSE(manager->writeAtomically("/var/mobile/Missing/x.plist", "x", &error));
    EXPECT_NE(error.description.find("No such file"), std::string::npos) << error.description;
}

TEST_F(FileManager, ReadsRefuseWhatIsNotASmallRegularFile) {
    std::string contents;
    testsupport::writeFile(host(prefsFile), std::string(NSFileManager::maximumReadSize, 'x'));
    EXPECT_TRUE(manager->contentsAtPath(prefsFile, contents));
    EXPECT_EQ(contents.size(), NSFileManager::maximumReadSize);

    testsupport::writeFile(host(prefsFile), std::string(NSFileManager::maximumReadSize + 1, 'x'));
    NSFileError error;
    EXPECT_FALSE(manager->contentsAtPath(prefsFile, contents, &error));
    EXPECT_TRUE(contents.empty());
    EXPECT_NE(error.description.find("64 KiB"), std::string::npos);

    fs::remove(host(prefsFile));
    EXPECT_FALSE(manager->contentsAtPath(prefsFile, contents));
    fs::create_directory(host(prefsFile));
    EXPECT_FALSE(manager->contentsAtPath(prefsFile, contents));
}

TEST_F(FileManager, PipeInPlaceOfTheFileDoesNotBlockTheReader) {
    ASSERT_EQ(mkfifo(host(prefsFile).c_str(), 0644), 0);
    EXPECT_TRUE(manager->fileExistsAtPath(prefsFile));
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(prefsFile));
}

TEST_F(FileManager, ExistenceAndFolders) {
    bool isDirectory = false;
    EXPECT_FALSE(manager->fileExistsAtPath(prefsFile));
    EXPECT_TRUE(manager->fileExistsAtPath(prefsFolder, &isDirectory));
    EXPECT_TRUE(isDirectory);
    testsupport::writeFile(host(prefsFile), "x");
    EXPECT_TRUE(manager->fileExistsAtPath(prefsFile, &isDirectory));
    EXPECT_FALSE(isDirectory);
}

TEST_F(FileManager, DictionaryRoundTripsThroughAFileAndExplainsFailures) {
    auto dictionary = NSMutableDictionary::dictionary();
    dictionary->setObject(NSString::string("on"), "open");
    std::string failure;
    ASSERT_TRUE(dictionary->writeToFile(prefsFile, true, &failure)) << failure;
    auto back = NSMutableDictionary::dictionaryWithContentsOfFile(prefsFile, &failure);
    ASSERT_TRUE(back) << failure;
    EXPECT_TRUE(back->isEqual(dictionary.get()));
    EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile(prefsFile)->isEqual(dictionary.get()));

    ASSERT_TRUE(dictionary->writeToFile(prefsFile, false));
    EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile(prefsFile)->isEqual(dictionary.get()));

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"not a plist at all", "not a property list"},
        {"<plist version=\"1.0\"><array/></plist>", "not a dictionary"},
    };
    for (const auto& [contents, reason] : bad) {
        testsupport::writeFile(host(prefsFile), contents);
        EXPECT_FALSE(NSMutableDictionary::dictionaryWithContentsOfFile(prefsFile, &failure));
        EXPECT_NE(failure.find(reason), std::string::npos) << failure;
    }
    fs::remove(host(prefsFile));
    EXPECT_FALSE(NSMutableDictionary::dictionaryWithContentsOfFile(prefsFile, &failure));
    EXPECT_NE(failure.find("No such file"), std::string::npos) << failure;
}

// Each row a thing that is not a small regular file, put where the file should be;
// the read is refused at once, naming what it found.
TEST_F(FileManager, ReadsRefuseWhatIsNotARegularFileAndSayWhatItIs) {
    const struct {
        const char* name;
        void (*make)(const fs::path& file);
        const char* reason;
        bool regular;
    } rows[] = {
        {"pipe", [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); }, "a pipe",
         false},
        {"device through a link",
         [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }, "a character device",
         false},
        {"folder", [](const fs::path& file) { fs::create_directory(file); }, "a folder", false},
        {"64 KiB + 1",
         [](const fs::path& file) {
             testsupport::writeFile(file, std::string(NSFileManager::maximumReadSize + 1, 'x'));
         },
         "larger than 64 KiB", true},
    };
    for (const auto& row : rows) {
        fs::remove_all(host(prefsFile));
        row.make(host(prefsFile));
        NSFileManager::ReadBuffer buffer;
        NSFileError error;
        EXPECT_FALSE(manager->contentsAtPath(prefsFile, buffer, &error)) << row.name;
        EXPECT_NE(error.description.find(row.reason), std::string::npos)
            << row.name << ": " << error.description;
        EXPECT_EQ(NSFileManager::isRegularFileAtHostPath(host(prefsFile).string()), row.regular)
            << row.name;
    }
    fs::remove_all(host(prefsFile));
    testsupport::writeFile(host(prefsFile), "x");
    EXPECT_TRUE(NSFileManager::isRegularFileAtHostPath(host(prefsFile).string()));
}

// The calls of an atomic write, as a recording seam sees them.
std::vector<std::string> durabilityCalls;
int failingFolderFlushes = 0;

int recordFlush(int fd) {
    struct stat status {};
    fstat(fd, &status);
    bool folder = S_ISDIR(status.st_mode);
    durabilityCalls.push_back(folder ? "flush folder" : "flush file");
    if (folder && failingFolderFlushes > 0) {
        errno = EIO;
        return -1;
    }
    return fsync(fd);
}

int recordRename(int fromFolder, const char* from, int toFolder, const char* to) {
    durabilityCalls.push_back(std::string("rename to ") + to);
    return renameat(fromFolder, from, toFolder, to);
}

class AtomicWriteCalls : public FileManager {
  protected:
    void SetUp() override {
        FileManager::SetUp();
        durabilityCalls.clear();
        failingFolderFlushes = 0;
        watched.setDurabilityCalls({recordFlush, recordRename});
    }
    NSFileManager watched;
};

TEST_F(AtomicWriteCalls, TemporaryIsFlushedThenRenamedThenTheFolderFlushed) {
    ASSERT_TRUE(watched.writeAtomically(prefsFile, "durable"));
    EXPECT_EQ(durabilityCalls,
              (std::vector<std::string>{"flush file", "rename to test.plist", "flush folder"}));
    EXPECT_EQ(testsupport::readFile(host(prefsFile)), "durable");
}

// Readers already see the new file: the write is done, and the failed flush is logged.
TEST_F(AtomicWriteCalls, FailedFolderFlushAfterTheRenameIsLoggedAndTheWriteDone) {
    failingFolderFlushes = 1;
    testing::internal::CaptureStderr();
    NSFileError error;
    bool written = watched.writeAtomically(prefsFile, "in place", &error);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(written) << error.description;
    EXPECT_EQ(testsupport::readFile(host(prefsFile)), "in place");
    EXPECT_NE(log.find("the change to " + host(prefsFile).string() +
                       " is in place, but the folder could not be flushed"),
              std::string::npos)
        << log;
    EXPECT_TRUE(temporaries().empty());
}

} // namespace
