// platform-test-scene: the platform's test scene as a program, in a window or
// headless from an event script.
#include "TestScene.h"

int main(int argc, char** argv) {
    UIApplicationRegisterDelegateClass<TestSceneAppDelegate>("TestSceneAppDelegate");
    return UIApplicationMain(argc, argv, "", "TestSceneAppDelegate");
}
