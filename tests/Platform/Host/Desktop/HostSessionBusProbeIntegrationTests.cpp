// Whether the session bus answers, asked without a thread before a window's start:
// a private bus answers, one that takes the connection and says nothing is silent by
// the limit, nobody listening refuses at once; and a window's start hides a silent bus
// from SDL (which would wait for it without end) within its limit, while the programs
// it starts keep the real address.
#include <Host/Desktop/HostDesktopEnvironment.h>
#include <Host/Desktop/HostSessionBusProbe.h>
#include <Host/Window/HostWindowEnvironment.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sstream>

namespace {

using namespace std::chrono_literals;

TEST(SessionBusProbe, AnswersOrIsSilentOrRefusesAsTheBusDoes) {
    testsupport::TemporaryDirectory folder;
    auto daemon = testsupport::runProcess(
        {"/usr/bin/dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"});
    std::istringstream lines(daemon.standardOutput);
    std::string bus, pid;
    if (daemon.exitCode != 0 || !std::getline(lines, bus) || !std::getline(lines, pid)) {
        GTEST_SKIP() << "no private bus: " << daemon.standardError;
    }
    struct BusStop {
        pid_t pid;
        ~BusStop() { kill(pid, SIGTERM); }
    } stop{static_cast<pid_t>(std::stoi(pid))};
    testsupport::SilentBus silent(folder.path() / "silent");
    const std::string nobody = "unix:path=" + (folder.path() / "nobody").string();
    struct Row {
        std::string address;
        HostBusProbe probe;
    };
    const Row rows[] = {
        {bus, HostBusProbe::answers},
        {silent.address(), HostBusProbe::silent},
        {nobody, HostBusProbe::refuses},
        // A client takes the first address it can connect to.
        {nobody + ";" + bus, HostBusProbe::answers},
        {"tcp:host=localhost,port=1", HostBusProbe::unknown},
        {"", HostBusProbe::unknown},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HostProbeSessionBus(row.address, 2s), row.probe) << row.address;
    }
}

TEST(WindowEnvironment, ASilentSessionBusIsHiddenFromSDLWithinItsLimitNotFromChildren) {
    testsupport::TemporaryDirectory folder;
    testsupport::SilentBus silent(folder.path() / "silent");
    setenv("DBUS_SESSION_BUS_ADDRESS", silent.address().c_str(), 1);
    HostWindowEnvironment prepared = HostPrepareWindowEnvironment("io.prismkey.Test");
    EXPECT_EQ(prepared.bus, HostBusProbe::silent);
    EXPECT_TRUE(prepared.busHidden);
    // A window's start waits for a silent bus no longer than this, so it opens at once.
    EXPECT_LE(prepared.busLimit, 100ms);
    EXPECT_STRNE(std::getenv("DBUS_SESSION_BUS_ADDRESS"), silent.address().c_str());
    EXPECT_STREQ(std::getenv("SDL_VIDEO_X11_WMCLASS"), "io.prismkey.Test");
    std::vector<std::string> child = HostChildEnvironment();
    EXPECT_NE(std::find(child.begin(), child.end(), "DBUS_SESSION_BUS_ADDRESS=" + silent.address()),
              child.end());
    EXPECT_EQ(std::count_if(child.begin(), child.end(),
                            [](const std::string& v) { return v.starts_with("SDL_VIDEO_"); }),
              0);
}

} // namespace
