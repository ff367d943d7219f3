// The blurred backdrop behind the keyboard's keys.
#pragma once

#include <Foundation/NSObject.h>

class UIKBBackdropView : public NSObject {
  public:
    std::string description() const override { return "<UIKBBackdropView>"; }
};
