// The run loop that UIApplicationMain hands an application to. UIKit has no window
// system and no command line of its own: the host library, which depends on UIKit
// (never the reverse), registers its runner as it loads. The runner reads the
// command line, calls `launch` when the application should start (false: it did
// not) and runs the window or the event script; it returns the exit status.
#pragma once

#include <functional>

using UIApplicationLaunch = std::function<bool()>;
using UIApplicationRunner =
    std::function<int(int argc, char** argv, const UIApplicationLaunch& launch)>;

void UIApplicationSetRunner(UIApplicationRunner runner);
