// platform-test-scene: the platform's test scene as a program, in a window or
// headless from an event script.
#include "TestScene.h"

#include <Host/Start/HostProgram.h>

int main(int argc, char** argv) {
    UIApplicationRegisterDelegateClass<TestSceneAppDelegate>("TestSceneAppDelegate");
    HostProgram program;
    program.launch = [] { return UIApplicationLaunch("", "TestSceneAppDelegate"); };
    return HostRun(argc, argv, program);
}
