#include "AppDelegate.h"

#include <UIKit/UIApplication.h>

int main(int argc, char** argv) {
    UIApplicationRegisterDelegateClass<AppDelegate>("AppDelegate");
    return UIApplicationMain(argc, argv, "", "AppDelegate");
}
