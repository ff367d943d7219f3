// The Debian package: made by cpack from the build, its control fields read, its
// files unpacked into a temporary folder and the keyboard host run from there.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;

TEST(DebianPackage, HoldsTheTreeUnderUsrWithItsLibraryDependenciesAndRuns) {
    testsupport::TemporaryDirectory folder;
    ProcessResult made =
        testsupport::runProcess({PRISMKEY_CPACK_COMMAND, "-G", "DEB", "--config",
                                 (testsupport::buildDirectory() / "CPackConfig.cmake").string(),
                                 "-B", (folder.path() / "out").string()});
    ASSERT_EQ(made.exitCode, 0) << made.standardOutput << made.standardError;
    fs::path package;
    for (const auto& entry : fs::directory_iterator(folder.path() / "out")) {
        if (entry.path().extension() == ".deb") {
            package = entry.path();
        }
    }
    ASSERT_FALSE(package.empty()) << made.standardOutput;

    ProcessResult fields = testsupport::runProcess(
        {"/usr/bin/dpkg-deb", "-f", package.string(), "Package", "Version", "Depends"});
    ASSERT_EQ(fields.exitCode, 0) << fields.standardError;
    EXPECT_NE(fields.standardOutput.find("Package: prismkey\nVersion: " PRISMKEY_VERSION "\n"),
              std::string::npos)
        << fields.standardOutput;
    for (const char* dependency :
         {"libc6 ", "libstdc++6 ", "libcairo2 ", "libpango-1.0-0 ", "libpangocairo-1.0-0 ",
          "libsdl2-2.0-0 ", "libplist3 ", "fonts-dejavu-core", "xdg-utils"}) {
        EXPECT_NE(fields.standardOutput.find(dependency), std::string::npos)
            << dependency << " in " << fields.standardOutput;
    }
    EXPECT_EQ(fields.standardOutput.find("libPlatform"), std::string::npos)
        << "the platform's libraries are the package's own";

    fs::path root = folder.path() / "root";
    ProcessResult unpacked =
        testsupport::runProcess({"/usr/bin/dpkg-deb", "-x", package.string(), root.string()});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.standardError;
    fs::path device = folder.path() / "device";
    fs::path keyboard = root / "usr/bin/keyboard-host";
    ProcessResult typed = testsupport::runProcess(
        {keyboard.string(), "--headless", "--root", device.string(), "--events", "-"},
        "press h\npress i\n");
    EXPECT_EQ(typed.exitCode, 0) << typed.standardError;
    EXPECT_NE(typed.standardError.find("plug-ins: installed Prismkey"), std::string::npos)
        << typed.standardError;
    ProcessResult query =
        testsupport::runProcess({keyboard.string(), "--query", "--root", device.string()});
    EXPECT_NE(query.standardOutput.find("\"plugins\":[\"Prismkey\"]"), std::string::npos)
        << query.standardOutput << query.standardError;
}

} // namespace
