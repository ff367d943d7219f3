// What the keyboard draws behind a keyplane.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIColor.h>

class UIKBRenderTraits : public NSObject {
  public:
    explicit UIKBRenderTraits(UIColorRef backgroundColor)
        : backgroundColor_(std::move(backgroundColor)) {}
    const UIColorRef& backgroundColor() const { return backgroundColor_; }
    std::string description() const override {
        return "<UIKBRenderTraits " + backgroundColor_->description() + ">";
    }

  private:
    UIColorRef backgroundColor_;
};
