// controls-test-scene: the picker's controls as a program, in a window or headless
// from an event script.
#include "ControlsTestScene.h"

#include <Host/Start/HostProgram.h>

int main(int argc, char** argv) {
    UIApplicationRegisterDelegateClass<ControlsSceneAppDelegate>("ControlsSceneAppDelegate");
    HostProgram program;
    program.launch = [] { return UIApplicationLaunch("", "ControlsSceneAppDelegate"); };
    return HostRun(argc, argv, program);
}
