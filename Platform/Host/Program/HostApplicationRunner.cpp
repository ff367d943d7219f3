// Registers the host as UIApplicationMain's runner when the host library loads:
// the application's launch becomes the program's launch.
#include <Host/Program/HostProgram.h>
#include <UIKit/UIApplicationRunner.h>

namespace {

int runApplication(int argc, char** argv, const UIApplicationLaunch& launch) {
    HostProgram program = HostApplicationProgram();
    program.launch = launch;
    return HostRun(argc, argv, program);
}

[[maybe_unused]] const bool registered = [] {
    UIApplicationSetRunner(runApplication);
    return true;
}();

} // namespace

HostProgram& HostApplicationProgram() {
    static HostProgram program;
    return program;
}
