// The application's launch: the principal class is checked, then the delegate class
// named is made, given to the application and told that launching finished.
#include <UIKit/UIApplication.h>

#include <cstdio>

namespace {

void report(const std::string& message) {
    std::string line = std::string(program_invocation_short_name) + ": " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

bool UIApplicationLaunch(const std::string& principalClassName,
                         const std::string& delegateClassName) {
    if (!principalClassName.empty() && principalClassName != "UIApplication") {
        report("no application class \"" + principalClassName + "\" (only UIApplication)");
        return false;
    }
    const UIApplicationRef& application = UIApplication::sharedApplication();
    std::shared_ptr<UIApplicationDelegate> delegate =
        UIApplicationCreateDelegate(delegateClassName);
    if (!delegate) {
        report("no application delegate class is registered as \"" + delegateClassName + "\"");
        return false;
    }
    application->setDelegate(std::move(delegate));
    return application->finishLaunching();
}
