// The application's entry: the principal class is checked, then the runner that the
// host registered runs the program, launching the application with the delegate
// class named.
#include <UIKit/UIApplication.h>
#include <UIKit/UIApplicationRunner.h>

#include <cstdio>

namespace {

UIApplicationRunner& registeredRunner() {
    static UIApplicationRunner runner;
    return runner;
}

void report(const std::string& message) {
    std::string line = std::string(program_invocation_short_name) + ": " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// Makes the delegate, gives it to the application and tells it that launching finished.
bool launchWithDelegate(const std::string& delegateClassName) {
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

} // namespace

void UIApplicationSetRunner(UIApplicationRunner runner) {
    registeredRunner() = std::move(runner);
}

int UIApplicationMain(int argc, char** argv, const std::string& principalClassName,
                      const std::string& delegateClassName) {
    if (!principalClassName.empty() && principalClassName != "UIApplication") {
        report("no application class \"" + principalClassName + "\" (only UIApplication)");
        return 1;
    }
    const UIApplicationRunner& runner = registeredRunner();
    if (!runner) {
        report("nothing runs the application: the host library is not loaded");
        return 1;
    }
    return runner(argc, argv,
                  [delegateClassName] { return launchWithDelegate(delegateClassName); });
}
