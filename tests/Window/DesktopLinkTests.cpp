// PrismkeyFree's links in a window go to the desktop's handler (here xdg-open, with a
// handler of the test's own for http and none for cydia), and the log line says which
// opened; headless runs only log them.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

TEST(DesktopLinks, PrismkeyFreesLinksInAWindowReachTheDesktopsHandler) {
    testsupport::VirtualDisplay display;
    if (!display.makeCurrent()) {
        GTEST_SKIP() << testsupport::VirtualDisplay::unavailable;
    }
    testsupport::TemporaryDirectory folder;
    fs::path data = folder.path() / "data", config = folder.path() / "config";
    fs::path handler = folder.path() / "handler", handled = folder.path() / "handled";
    fs::create_directories(data / "applications");
    fs::create_directories(config);
    testsupport::writeFile(handler,
                           "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " + handled.string() + "\n");
    chmod(handler.c_str(), 0755);
    testsupport::writeFile(data / "applications" / "test-browser.desktop",
                           "[Desktop Entry]\nType=Application\nName=Test browser\nExec=" +
                               handler.string() + " %u\nMimeType=x-scheme-handler/http;\n");
    testsupport::writeFile(config / "mimeapps.list",
                           "[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("BROWSER", "false", 1); // no browser of the machine's takes cydia: addresses
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DBUS_SESSION_BUS_ADDRESS"}) {
        unsetenv(name); // the generic desktop, without a portal
    }

    // The more-apps link, then a wheel tap's alert and its "Try now!".
    const std::string script = "down 200 390\nup 200 390\ntap 160 199\nwait 200\n"
                               "alert Try now!\nwait 200\nquit\n";
    std::string program = (testsupport::buildDirectory() / "bin" / "PrismkeyFree").string();
    std::string root = (folder.path() / "device").string();
    auto window = testsupport::runProcess({program, "--root", root, "--events", "-"}, script);
    EXPECT_EQ(window.exitCode, 0) << window.standardError;
    const std::string listing = "http://repo.prismkey.io/packagesfordev.php?name=Prismkey";
    EXPECT_NE(window.standardError.find("open-url: " + listing + "\n"), std::string::npos)
        << window.standardError;
    EXPECT_NE(window.standardError.find("open-url: cydia://package/io.prismkey.pro (not opened: "),
              std::string::npos)
        << window.standardError;
    EXPECT_EQ(testsupport::readFile(handled), listing + "\n");

    auto headless =
        testsupport::runProcess({program, "--headless", "--root", root, "--events", "-"}, script);
    EXPECT_EQ(headless.exitCode, 0) << headless.standardError;
    EXPECT_NE(headless.standardError.find("open-url: cydia://package/io.prismkey.pro\n"),
              std::string::npos)
        << "headless: no desktop, the line alone";
    EXPECT_EQ(testsupport::readFile(handled), listing + "\n") << "nothing opened headless";
}

} // namespace
