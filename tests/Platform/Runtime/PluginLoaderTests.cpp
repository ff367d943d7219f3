#include <Foundation/Foundation.h>
#include <PluginLoader.h>
#include <objc/runtime.h>

#include "../../shared/BinaryPropertyList.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> loadOrder;

const PluginProcess keyboardProcess{"keyboard-host", {"com.apple.UIKit", "com.apple.Foundation"}};

std::string filterPlist(const std::string& filterBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist "
           "version=\"1.0\">\n<dict><key>Filter</key>" +
           filterBody + "</dict>\n</plist>\n";
}

std::string names(const std::string& key, std::initializer_list<const char*> values) {
    std::string body = "<key>" + key + "</key><array>";
    for (const char* value : values) {
        body += std::string("<string>") + value + "</string>";
    }
    return body + "</array>";
}

class Loader : public ::testing::Test {
  protected:
    // A copy of the test plug-in under `name`, with `filter` beside it (none when empty).
    void addPlugin(const std::string& name, const std::string& filter) {
        fs::copy_file(RUNTIME_TEST_PLUGIN, folder.path() / (name + ".dylib"));
        if (!filter.empty()) {
            testsupport::writeFile(folder.path() / (name + ".plist"), filter);
        }
    }
    std::vector<PluginLoadResult> load() {
        return PluginLoader::loadPlugins(folder.path().string(), keyboardProcess);
    }

    testsupport::TemporaryDirectory folder;
};

} // namespace

extern "C" void runtimeTestsRecordLoad(const char* name) {
    loadOrder.emplace_back(name);
}

namespace {

TEST_F(Loader, FiltersDecideWhichPluginsLoad) {
    Class present = objc_allocateClassPair(nullptr, "FilterTestPresentClass");
    objc_registerClassPair(present);
    struct Case {
        const char* name;
        std::string filter;
        PluginLoadResult::Outcome outcome;
    };
    using O = PluginLoadResult::Outcome;
    const std::vector<Case> cases = {
        {"BundleUIKit", filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>"),
         O::Loaded},
        {"BundleOther",
         filterPlist("<dict>" + names("Bundles", {"com.apple.springboard"}) + "</dict>"),
         O::NotForThisProcess},
        {"ExecutableOwn",
         filterPlist("<dict>" + names("Executables", {"SpringBoard", "keyboard-host"}) + "</dict>"),
         O::Loaded},
        {"ExecutableOther",
         filterPlist("<dict>" + names("Executables", {"SpringBoard"}) + "</dict>"),
         O::NotForThisProcess},
        {"ClassPresent",
         filterPlist("<dict>" + names("Classes", {"FilterTestPresentClass"}) + "</dict>"),
         O::Loaded},
        {"ClassAbsent", filterPlist("<dict>" + names("Classes", {"NoSuchClass"}) + "</dict>"),
         O::NotForThisProcess},
        {"AllMustMatch",
         filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) +
                     names("Executables", {"SpringBoard"}) + "</dict>"),
         O::NotForThisProcess},
        {"AnyMode",
         filterPlist("<dict><key>Mode</key><string>Any</string>" +
                     names("Bundles", {"com.apple.UIKit"}) + names("Executables", {"SpringBoard"}) +
                     "</dict>"),
         O::Loaded},
        {"EmptyFilter", filterPlist("<dict/>"), O::NotForThisProcess},
        {"NoFilterFile", "", O::Failed},
        {"FilterNotADictionary", filterPlist("<string>everything</string>"), O::Failed},
        {"BundlesNotAList",
         filterPlist("<dict><key>Bundles</key><string>com.apple.UIKit</string></dict>"), O::Failed},
        {"FilterNotAPlist", "garbage", O::Failed},
    };
    for (const Case& c : cases) {
        addPlugin(c.name, c.filter);
    }
    std::vector<PluginLoadResult> results = load();
    ASSERT_EQ(results.size(), cases.size());
    for (const Case& c : cases) {
        auto found =
            std::find_if(results.begin(), results.end(), [&](auto& r) { return r.name == c.name; });
        ASSERT_NE(found, results.end()) << c.name;
        EXPECT_EQ(found->outcome, c.outcome) << c.name << ": " << found->message;
        EXPECT_EQ(objc_getClass(("Loaded_" + std::string(c.name)).c_str()) != nullptr,
                  c.outcome == O::Loaded)
            << c.name;
        if (c.outcome == O::Failed) {
            EXPECT_FALSE(found->message.empty()) << c.name;
        }
    }
}

TEST_F(Loader, LoadsInFileNameOrderAndReportsNamesWithoutExtension) {
    const std::string uikit =
        filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>");
    for (const char* name : {"OrderC", "OrderA", "OrderB"}) {
        addPlugin(name, uikit);
    }
    testsupport::writeFile(folder.path() / "OrderD.txt", "not a plug-in");
    loadOrder.clear();
    std::vector<PluginLoadResult> results = load();
    EXPECT_EQ(PluginLoader::loadedNames(results),
              (std::vector<std::string>{"OrderA", "OrderB", "OrderC"}));
    EXPECT_EQ(loadOrder, (std::vector<std::string>{"OrderA", "OrderB", "OrderC"}));
}

TEST_F(Loader, LibraryThatCannotBeLoadedIsReportedAndTheRestLoad) {
    const std::string uikit =
        filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>");
    testsupport::writeFile(folder.path() / "Broken.dylib", "this is not a shared library");
    testsupport::writeFile(folder.path() / "Broken.plist", uikit);
    addPlugin("AfterBroken", uikit);
    std::vector<PluginLoadResult> results = load();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].name, "Broken");
    EXPECT_EQ(results[1].outcome, PluginLoadResult::Outcome::Failed);
    EXPECT_NE(results[1].message.find("Broken.dylib"), std::string::npos) << results[1].message;
    EXPECT_EQ(PluginLoader::loadedNames(results), std::vector<std::string>{"AfterBroken"});
}

TEST(LoaderFolder, MissingFolderHoldsNoPlugins) {
    EXPECT_TRUE(PluginLoader::loadPlugins("/nonexistent/folder", keyboardProcess).empty());
}

// A filter or a library that is not a regular file (or a filter past the reading
// budget) is refused with its reason, at once; the plug-ins after it still load.
TEST_F(Loader, WhatIsNotARegularFileOrPastTheBudgetIsRefusedWithTheReason) {
    const std::string uikit =
        filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>");
    const struct {
        const char* name;
        void (*make)(const fs::path& library, const fs::path& filter, const std::string& good);
        const char* reason;
    } rows[] = {
        {"FilterIsAPipe",
         [](const fs::path& library, const fs::path& filter, const std::string&) {
             fs::copy_file(RUNTIME_TEST_PLUGIN, library);
             ASSERT_EQ(mkfifo(filter.c_str(), 0644), 0);
         },
         "is a pipe"},
        {"FilterLinksToADevice",
         [](const fs::path& library, const fs::path& filter, const std::string&) {
             fs::copy_file(RUNTIME_TEST_PLUGIN, library);
             fs::create_symlink("/dev/zero", filter);
         },
         "is a character device"},
        {"FilterPast64KiB",
         [](const fs::path& library, const fs::path& filter, const std::string& good) {
             fs::copy_file(RUNTIME_TEST_PLUGIN, library);
             testsupport::writeFile(filter, good + std::string(64 * 1024, ' '));
         },
         "larger than 64 KiB"},
        {"FilterExpandsPastTheBudget",
         [](const fs::path& library, const fs::path& filter, const std::string&) {
             fs::copy_file(RUNTIME_TEST_PLUGIN, library);
             testsupport::writeFile(filter, binaryplist::doublingList(20));
         },
         "more than 512 objects"},
        {"LibraryIsAPipe",
         [](const fs::path& library, const fs::path& filter, const std::string& good) {
             ASSERT_EQ(mkfifo(library.c_str(), 0644), 0);
             testsupport::writeFile(filter, good);
         },
         "is a pipe"},
    };
    for (const auto& row : rows) {
        row.make(folder.path() / (std::string(row.name) + ".dylib"),
                 folder.path() / (std::string(row.name) + ".plist"), uikit);
    }
    addPlugin("ZzLoadsAfterThem", uikit);
    std::vector<PluginLoadResult> results = load();
    ASSERT_EQ(results.size(), std::size(rows) + 1);
    for (const auto& row : rows) {
        auto found = std::find_if(results.begin(), results.end(),
                                  [&](auto& r) { return r.name == row.name; });
        ASSERT_NE(found, results.end()) << row.name;
        EXPECT_EQ(found->outcome, PluginLoadResult::Outcome::Failed) << row.name;
        EXPECT_NE(found->message.find(row.reason), std::string::npos)
            << row.name << ": " << found->message;
    }
    EXPECT_EQ(PluginLoader::loadedNames(results), std::vector<std::string>{"ZzLoadsAfterThem"});
}

// A link is as trusted as the folder holding its target: whoever may write that folder
// could swap the target between the check and the load. (Untrusted and cut files are
// rows of the hostile table, run in keyboard-host.)
TEST_F(Loader, ALinkIsAsTrustedAsTheFolderOfItsTarget) {
    const std::string uikit =
        filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>");
    fs::create_directory(folder.path() / "open");
    fs::permissions(folder.path() / "open", fs::perms::all);
    fs::create_directory(folder.path() / "sticky");
    fs::permissions(folder.path() / "sticky", fs::perms::all | fs::perms::sticky_bit);
    // A link `name` in `in`, to the test plug-in, in place of the library.
    static auto linkVia = [](const fs::path& library, const char* in, const char* name) {
        fs::remove(library);
        const fs::path middle = library.parent_path() / in / name;
        fs::create_symlink(RUNTIME_TEST_PLUGIN, middle);
        fs::create_symlink(middle, library);
        return middle;
    };
    const struct {
        const char* name;
        void (*make)(const fs::path& library);
        const char* reason; // "": loads
        bool needsRoot = false;
    } rows[] = {
        {"LinkIntoAnOpenFolder",
         [](const fs::path& library) {
             fs::rename(library, library.parent_path() / "open" / "target.dylib");
             fs::create_symlink(library.parent_path() / "open" / "target.dylib", library);
         },
         "which is writable by everyone"},
        {"LinkIntoATrustedFolder",
         [](const fs::path& library) {
             fs::remove(library);
             fs::create_symlink(RUNTIME_TEST_PLUGIN, library);
         },
         ""},
        // Only the last folder was checked: the middle link could be swapped.
        {"LinkToALinkInAnOpenFolder",
         [](const fs::path& library) { linkVia(library, "open", "toALink.dylib"); },
         "open\", which is writable by everyone"},
        {"LinkToALinkOfOursInAStickyFolder",
         [](const fs::path& library) { linkVia(library, "sticky", "ours.dylib"); }, ""},
        {"LinkToALinkOfAnotherUserInAStickyFolder",
         [](const fs::path& library) {
             fs::path middle = linkVia(library, "sticky", "theirs.dylib");
             ASSERT_EQ(lchown(middle.c_str(), 65534, 65534), 0);
         },
         "theirs.dylib\", which is owned by user 65534", true},
        {"LinkOutOfTheFolderAndBackThroughAnOpenOne",
         [](const fs::path& library) {
             fs::rename(library, library.parent_path() / "back.so");
             fs::create_symlink("open/../back.so", library);
         },
         "open\", which is writable by everyone"},
        {"LinkLoop",
         [](const fs::path& library) {
             fs::remove(library);
             fs::create_symlink("LinkLoop.dylib", library);
         },
         "passes through more than 40 links"},
    };
    const bool root = geteuid() == 0;
    std::size_t made = 0;
    for (const auto& row : rows) {
        if (!row.needsRoot || root) {
            addPlugin(row.name, uikit);
            row.make(folder.path() / (std::string(row.name) + ".dylib"));
            ++made;
        }
    }
    std::vector<PluginLoadResult> results = load();
    ASSERT_EQ(results.size(), made);
    for (const auto& row : rows) {
        if (row.needsRoot && !root) {
            continue;
        }
        auto found = std::find_if(results.begin(), results.end(),
                                  [&](auto& r) { return r.name == row.name; });
        ASSERT_NE(found, results.end()) << row.name;
        const bool loads = std::string(row.reason).empty();
        EXPECT_EQ(found->outcome == PluginLoadResult::Outcome::Loaded, loads) << row.name;
        if (!loads) {
            EXPECT_NE(found->message.find(row.reason), std::string::npos)
                << row.name << ": " << found->message;
        }
    }
}

// The folder is as trusted as the whole way to it: a folder of ours reached through a
// folder others may write could be swapped for theirs.
TEST_F(Loader, AFolderOnAWayOthersCanChangeLoadsNothingAndSaysWhy) {
    const fs::path open = folder.path() / "open", sticky = folder.path() / "sticky";
    for (const fs::path& shared : {open, sticky}) {
        fs::create_directories(shared / "plugins");
        fs::permissions(shared, fs::perms::all |
                                    (shared == sticky ? fs::perms::sticky_bit : fs::perms::none));
    }
    fs::create_symlink(open / "plugins", folder.path() / "viaALink");
    const struct {
        fs::path folder;
        const char* reason; // "": nothing refused
    } rows[] = {
        {open / "plugins", "open\", which is writable by everyone"},
        {folder.path() / "viaALink", "open\", which is writable by everyone"},
        {folder.path() / "viaALink/../../sticky/plugins", "open\", which is writable by everyone"},
        {sticky / "plugins", ""},
    };
    for (const auto& row : rows) {
        std::string problem;
        PluginLoader::loadPlugins(row.folder.string(), keyboardProcess, &problem);
        if (std::string(row.reason).empty()) {
            EXPECT_EQ(problem, "") << row.folder;
        } else {
            EXPECT_NE(problem.find(row.reason), std::string::npos) << row.folder << ": " << problem;
            EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
        }
    }
}

// What is mapped is the file that was checked. A link turns between a plug-in and a
// file that is no library at all, thousands of times a second, while the loader loads
// plug-ins that lead through it, each under a name of its own (a name the dynamic
// linker knows already is never opened again): whichever file was checked is the one
// mapped, so no load fails in the dynamic linker after passing the checks. Only the
// first mapping of the file keeps a descriptor.
TEST_F(Loader, WhatIsMappedIsWhatWasChecked) {
    auto descriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto descriptorsBefore = descriptors();
    const std::string uikit =
        filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>");
    const fs::path good = folder.path() / "good.so", bad = folder.path() / "bad.so",
                   turning = folder.path() / "turning.so", next = folder.path() / "next";
    fs::copy_file(RUNTIME_TEST_PLUGIN, good);
    testsupport::writeFile(bad, std::string(4096, 'x'));
    fs::create_symlink(good, turning);
    std::atomic<bool> stop{false};
    std::thread turner([&] {
        for (bool toGood = false; !stop; toGood = !toGood) {
            fs::create_symlink(toGood ? good : bad, next);
            fs::rename(next, turning);
        }
    });
    int loaded = 0, refused = 0;
    std::string otherwise;
    for (int i = 0; i < 2000 && otherwise.empty(); ++i) {
        const fs::path plugin = folder.path() / ("Turning" + std::to_string(i));
        fs::create_symlink(turning, plugin.string() + ".dylib");
        testsupport::writeFile(plugin.string() + ".plist", uikit);
        for (const PluginLoadResult& result : load()) {
            loaded += result.outcome == PluginLoadResult::Outcome::Loaded;
            refused += result.message.find("is not an ELF file") != std::string::npos;
            if (result.outcome != PluginLoadResult::Outcome::Loaded &&
                result.message.find("is not an ELF file") == std::string::npos) {
                otherwise = "load " + std::to_string(i) + ": " + result.message;
            }
        }
        fs::remove(plugin.string() + ".dylib");
        fs::remove(plugin.string() + ".plist");
    }
    stop = true;
    turner.join();
    EXPECT_EQ(otherwise, "");
    EXPECT_LE(descriptors() - descriptorsBefore, 1);
    std::printf("[ figures  ] %d loads of the plug-in, %d refusals of the other file\n", loaded,
                refused);
}

TEST_F(Loader, AFolderOthersCanWriteLoadsNothingAndSaysWhy) {
    addPlugin("InAnOpenFolder",
              filterPlist("<dict>" + names("Bundles", {"com.apple.UIKit"}) + "</dict>"));
    fs::permissions(folder.path(), fs::perms::group_write, fs::perm_options::add);
    std::string problem;
    EXPECT_TRUE(
        PluginLoader::loadPlugins(folder.path().string(), keyboardProcess, &problem).empty());
    EXPECT_EQ(problem, "\"" + folder.path().string() + "\" is writable by its group");
    EXPECT_EQ(objc_getClass("Loaded_InAnOpenFolder"), nullptr);
}

} // namespace
