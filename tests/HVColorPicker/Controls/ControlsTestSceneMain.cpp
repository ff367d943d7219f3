// controls-test-scene: the picker's controls as a program, in a window or headless
// from an event script.
#include "ControlsTestScene.h"

int main(int argc, char** argv) {
    UIApplicationRegisterDelegateClass<ControlsSceneAppDelegate>("ControlsSceneAppDelegate");
    return UIApplicationMain(argc, argv, "", "ControlsSceneAppDelegate");
}
