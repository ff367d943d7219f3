// What the application tells its delegate. Delegate methods join their selector's
// keywords (`application:didFinishLaunchingWithOptions:` is
// `applicationDidFinishLaunchingWithOptions`); every one has a default that does
// nothing, as an optional protocol method would.
#pragma once

#include <Foundation/NSDictionary.h>

#include <memory>

class UIApplication;

class UIApplicationDelegate {
  public:
    virtual ~UIApplicationDelegate() = default;
    virtual bool
    applicationDidFinishLaunchingWithOptions(UIApplication* application,
                                             const std::shared_ptr<NSDictionary>& options) {
        (void)application;
        (void)options;
        return true;
    }
    virtual void applicationWillResignActive(UIApplication* application) { (void)application; }
    virtual void applicationDidEnterBackground(UIApplication* application) { (void)application; }
    virtual void applicationWillEnterForeground(UIApplication* application) { (void)application; }
    virtual void applicationDidBecomeActive(UIApplication* application) { (void)application; }
    virtual void applicationWillTerminate(UIApplication* application) { (void)application; }
};
