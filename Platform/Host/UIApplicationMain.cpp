// The application's entry into the platform, on the host: the shared command line,
// then the delegate's launch and the window or the headless script.
#include <UIKit/UIApplication.h>

#include <Host/HostProgram.h>

#include <cstdio>

int UIApplicationMain(int argc, char** argv, const std::string& principalClassName,
                      const std::string& delegateClassName) {
    if (!principalClassName.empty() && principalClassName != "UIApplication") {
        std::fprintf(stderr, "%s: no application class \"%s\" (only UIApplication)\n",
                     program_invocation_short_name, principalClassName.c_str());
        return 1;
    }
    HostProgram program;
    program.launch = HostLaunchApplicationDelegate(delegateClassName);
    return HostRun(argc, argv, program);
}
