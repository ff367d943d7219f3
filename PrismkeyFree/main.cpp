#include "AppDelegate.h"

#include <Host/Program/HostProgram.h>
#include <UIKit/UIApplication.h>

int main(int argc, char** argv) {
    // As io.prismkey.PrismkeyFree.desktop names it.
    HostProgram& program = HostApplicationProgram();
    program.title = "PrismkeyFree";
    program.applicationId = "io.prismkey.PrismkeyFree";
    program.singleWindow = true;
    UIApplicationRegisterDelegateClass<AppDelegate>("AppDelegate");
    return UIApplicationMain(argc, argv, "", "AppDelegate");
}
