// Decides how the keyboard is drawn.
#pragma once

#include "UIKBRenderTraits.h"

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <map>
#include <memory>
#include <string>

class UIKBRenderFactory : public NSObject {
  public:
    static Class registerRuntimeClass();

    UIKBRenderFactory();

    // Asks through the runtime, so that a plug-in's replacement answers.
    UIKBRenderTraits* backgroundTraitsForKeyplane(NSString* keyplane);
    // The factory's own answer: dark traits for a keyplane whose name says "dark",
    // light ones otherwise. Kept for the factory's lifetime, one per keyplane.
    UIKBRenderTraits* systemBackgroundTraitsForKeyplane(const NSString* keyplane);

  private:
    std::map<std::string, std::shared_ptr<UIKBRenderTraits>> traits_;
};
