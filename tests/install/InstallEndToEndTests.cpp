// The installed tree: `cmake --install` into a temporary prefix, the tree moved
// elsewhere, both programs run from it headless under a temporary HOME with the
// default device root.
#include "TestSupport.h"

#include <CoreGraphics/CGImage.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<testsupport::TemporaryDirectory>();
        fs::path first = folder->path() / "first";
        installed = testsupport::runProcess({PRISMKEY_CMAKE_COMMAND, "--install",
                                             testsupport::buildDirectory().string(), "--prefix",
                                             first.string()});
        if (installed.exitCode == 0) {
            fs::rename(first, tree());
        }
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override { ASSERT_EQ(installed.exitCode, 0) << installed.standardError; }

    static fs::path tree() { return folder->path() / "moved"; }
    // A program of the moved tree, with HOME in the test's folder and no XDG_DATA_HOME.
    static ProcessResult run(const std::string& program, std::vector<std::string> arguments,
                             const std::string& input = "") {
        arguments.insert(arguments.begin(), {"/usr/bin/env", "-u", "XDG_DATA_HOME",
                                             "HOME=" + (folder->path() / "home").string(),
                                             (tree() / "bin" / program).string()});
        return testsupport::runProcess(arguments, input);
    }

    static inline std::unique_ptr<testsupport::TemporaryDirectory> folder;
    static inline ProcessResult installed;
};

TEST_F(InstalledTree, LaysOutTheTreeAndNothingPointsBackIntoTheBuild) {
    for (const char* file :
         {"bin/PrismkeyFree", "bin/keyboard-host", "lib/prismkey/libPlatformUIKit.so",
          "lib/prismkey/libPlatformHost.so", "lib/prismkey/DynamicLibraries/Prismkey.dylib",
          "lib/prismkey/DynamicLibraries/Prismkey.plist",
          "share/prismkey/Resources/pickerColorWheel@2x.png",
          "share/applications/io.prismkey.PrismkeyFree.desktop",
          "share/applications/io.prismkey.KeyboardHost.desktop",
          "share/icons/hicolor/64x64/apps/io.prismkey.PrismkeyFree.png",
          "share/icons/hicolor/256x256/apps/io.prismkey.KeyboardHost.png",
          "share/metainfo/io.prismkey.PrismkeyFree.metainfo.xml"}) {
        EXPECT_TRUE(fs::is_regular_file(tree() / file)) << file;
    }
    // A debug build's debug information names the folder it was compiled in; nothing
    // else may.
    const std::string build = fs::canonical(testsupport::buildDirectory()).string();
    const fs::path withoutDebug = folder->path() / "without-debug";
    for (const auto& entry : fs::recursive_directory_iterator(tree())) {
        if (!entry.is_regular_file()) {
            continue;
        }
        fs::path checked = entry.path();
        if (testsupport::readFile(checked).starts_with("\177ELF")) {
            ProcessResult stripped = testsupport::runProcess(
                {"/usr/bin/objcopy", "--strip-debug", checked.string(), withoutDebug.string()});
            ASSERT_EQ(stripped.exitCode, 0) << stripped.standardError;
            checked = withoutDebug;
        }
        EXPECT_FALSE(contains(testsupport::readFile(checked), build)) << entry.path();
    }
    ProcessResult valid = testsupport::runProcess(
        {"/usr/bin/desktop-file-validate",
         (tree() / "share/applications/io.prismkey.PrismkeyFree.desktop").string(),
         (tree() / "share/applications/io.prismkey.KeyboardHost.desktop").string()});
    EXPECT_EQ(valid.exitCode, 0) << valid.standardOutput << valid.standardError;
}

// The RUNPATH and RPATH entries of an ELF file with a dynamic section; nothing for an
// object file or a file that is not ELF.
std::vector<std::string> runtimePaths(const fs::path& file) {
    const std::string bytes = testsupport::readFile(file);
    Elf64_Ehdr header{};
    if (bytes.size() < sizeof header || bytes.compare(0, SELFMAG, ELFMAG) != 0) {
        return {};
    }
    std::memcpy(&header, bytes.data(), sizeof header);
    auto section = [&](std::size_t index) {
        Elf64_Shdr shdr{};
        std::memcpy(&shdr, bytes.data() + header.e_shoff + index * sizeof shdr, sizeof shdr);
        return shdr;
    };
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr dynamic = section(i);
        if (dynamic.sh_type != SHT_DYNAMIC) {
            continue;
        }
        const Elf64_Shdr strings = section(dynamic.sh_link);
        for (std::size_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.sh_size;
             at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry{};
            std::memcpy(&entry, bytes.data() + dynamic.sh_offset + at, sizeof entry);
            if (entry.d_tag == DT_RUNPATH || entry.d_tag == DT_RPATH) {
                std::string list = bytes.c_str() + strings.sh_offset + entry.d_un.d_val;
                for (std::size_t start = 0; start <= list.size();) {
                    std::size_t end = std::min(list.find(':', start), list.size());
                    entries.push_back(list.substr(start, end - start));
                    start = end + 1;
                }
            }
        }
    }
    return entries;
}

// An empty entry is the working folder, a relative one a folder below it: a library
// left there would be loaded in place of the real one. Only absolute and $ORIGIN-based
// entries are taken, in the build tree and in an installed one.
TEST_F(InstalledTree, NoProgramOrLibrarySearchesTheWorkingFolder) {
    const struct {
        const char* name;
        fs::path tree;
        std::size_t atLeast; // the programs, the platform's libraries and the plug-in
    } rows[] = {{"build tree", testsupport::buildDirectory(), 11}, {"installed tree", tree(), 11}};
    for (const auto& row : rows) {
        std::size_t withPaths = 0;
        for (const auto& file : fs::recursive_directory_iterator(row.tree)) {
            if (!file.is_regular_file() || file.path().extension() == ".o") {
                continue;
            }
            std::vector<std::string> entries = runtimePaths(file.path());
            withPaths += !entries.empty();
            for (const std::string& entry : entries) {
                EXPECT_TRUE(entry.starts_with("/") || entry.starts_with("$ORIGIN") ||
                            entry.starts_with("${ORIGIN}"))
                    << row.name << ": " << file.path() << " searches \"" << entry << "\"";
            }
        }
        EXPECT_GE(withPaths, row.atLeast) << row.name;
    }
}

TEST_F(InstalledTree, BothProgramsRunFromTheMovedTreeWithThePluginProvisioned) {
    for (const char* program : {"PrismkeyFree", "keyboard-host"}) {
        EXPECT_EQ(run(program, {"--version"}).standardOutput,
                  std::string(program) + " " PRISMKEY_VERSION "\n");
    }
    const fs::path shot = folder->path() / "first.png";
    // TurnOn, the blue swatch, Save, Return for the alert.
    ProcessResult app = run("PrismkeyFree", {"--headless", "--events", "-"},
                            "screenshot " + shot.string() +
                                "\ntap 30 42\nwait 300\ntap 227 452\nwait 400\ntap 290 42\n"
                                "wait 300\npress Return\n");
    ASSERT_EQ(app.exitCode, 0) << app.standardError;
    const fs::path device = folder->path() / "home/.local/share/prismkey/device";
    EXPECT_TRUE(contains(app.standardError,
                         "plug-ins: installed Prismkey into " + (device / "Library/MobileSubstrate/"
                                                                          "DynamicLibraries")
                                                                    .string()))
        << app.standardError;
    CGImageRef first = CGImageCreateWithPNGFile(shot);
    ASSERT_TRUE(first);
    CGPixel wheel = CGImageGetPixel(first, 270, 198);
    EXPECT_TRUE(wheel.r > 200 && wheel.g < 90 && wheel.b < 90)
        << "the wheel's image at three o'clock is red: the resources were found";

    ProcessResult query = run("keyboard-host", {"--query"});
    EXPECT_EQ(query.exitCode, 0) << query.standardError;
    EXPECT_EQ(query.standardOutput, "{\"plugins\":[\"Prismkey\"],\"keyboardAppearance\":1,"
                                    "\"background\":[0,0,1,1],\"layoutPasses\":1}\n");
    EXPECT_EQ(query.standardError, "") << "the folder exists now: nothing more is installed";
}

} // namespace
