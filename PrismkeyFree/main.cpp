#include "AppDelegate.h"

#include <Host/Start/HostProgram.h>
#include <UIKit/UIApplication.h>

int main(int argc, char** argv) {
    // As io.prismkey.PrismkeyFree.desktop names it.
    HostProgram program;
    program.title = "PrismkeyFree";
    program.applicationId = "io.prismkey.PrismkeyFree";
    program.singleWindow = true;
    program.summary = "the settings application: switch the keyboard tint on and off, pick its "
                      "colour and save it";
    program.keys = {
        {"Tab, Shift+Tab", "move the focus: toggle, Save, the wheel, the swatches, the compare "
                           "halves, the link"},
        {"arrow keys", "move the focus among the swatches"},
        {"Space, Return", "press what has the focus"},
        {"Return, Escape", "answer the alert that is up: its focused (at first bold) button, "
                           "its cancel button"},
        {"Ctrl+C", "copy the picked colour as #RRGGBB"},
        {"Ctrl+Q", "quit"},
    };
    program.commandDescriptions["press"] =
        "a key of the computer's keyboard, as in the window: Tab, space, Return, Escape, "
        "Left/Right/Up/Down, with Shift+ or Ctrl+ before it (Ctrl+C, Ctrl+Q)";
    UIApplicationRegisterDelegateClass<AppDelegate>("AppDelegate");
    program.launch = [] { return UIApplicationLaunch("", "AppDelegate"); };
    return HostRun(argc, argv, program);
}
