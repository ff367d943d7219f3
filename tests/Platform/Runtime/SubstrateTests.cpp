#include <objc/runtime.h>
#include <substrate.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Probe : objc_object {
    std::vector<std::string> calls;
};

int original(id self, SEL, int x) {
    static_cast<Probe*>(self)->calls.push_back("original");
    return x * 2;
}

IMP savedForFirstHook = nullptr;
int firstHook(id self, SEL op, int x) {
    static_cast<Probe*>(self)->calls.push_back("first");
    return objc_callIMP<int>(savedForFirstHook, self, op, x) + 1;
}

IMP savedForSecondHook = nullptr;
IMP seenBySecondHookAtCall = nullptr;
int secondHook(id self, SEL op, int x) {
    static_cast<Probe*>(self)->calls.push_back("second");
    seenBySecondHookAtCall = savedForSecondHook;
    return objc_callIMP<int>(savedForSecondHook, self, op, x) + 100;
}

Class makeClass(const char* name, Class superclass = nullptr) {
    Class cls = objc_allocateClassPair(superclass, name);
    objc_registerClassPair(cls);
    return cls;
}

TEST(Substrate, HookSavesThePreviousImplementationAndHooksChain) {
    Class cls = makeClass("SubstrateChain");
    SEL sel = sel_registerName("twice:");
    ASSERT_TRUE(class_addMethod(cls, sel, reinterpret_cast<IMP>(&original), "i@:i"));
    MSHookMessageEx(cls, sel, reinterpret_cast<IMP>(&firstHook), &savedForFirstHook);
    EXPECT_EQ(savedForFirstHook, reinterpret_cast<IMP>(&original));
    MSHookMessageEx(cls, sel, reinterpret_cast<IMP>(&secondHook), &savedForSecondHook);
    EXPECT_EQ(savedForSecondHook, reinterpret_cast<IMP>(&firstHook));

    Probe probe;
    probe.isa = cls;
    EXPECT_EQ(objc_msgSend<int>(&probe, sel, 5), 111);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"second", "first", "original"}));
    EXPECT_EQ(seenBySecondHookAtCall, reinterpret_cast<IMP>(&firstHook));
    EXPECT_STREQ(method_getTypeEncoding(class_getInstanceMethod(cls, sel)), "i@:i");
}

TEST(Substrate, InheritedMethodIsHookedOnTheSubclassAlone) {
    Class base = makeClass("SubstrateBase");
    Class derived = makeClass("SubstrateDerived", base);
    SEL sel = sel_registerName("twice:");
    class_addMethod(base, sel, reinterpret_cast<IMP>(&original), "i@:i");
    IMP saved = nullptr;
    MSHookMessageEx(derived, sel, reinterpret_cast<IMP>(&firstHook), &saved);
    EXPECT_EQ(saved, reinterpret_cast<IMP>(&original));
    EXPECT_EQ(method_getImplementation(class_getInstanceMethod(base, sel)),
              reinterpret_cast<IMP>(&original));
    EXPECT_EQ(method_getImplementation(class_getInstanceMethod(derived, sel)),
              reinterpret_cast<IMP>(&firstHook));
}

TEST(Substrate, NothingToHookLeavesTheResultNull) {
    Class cls = makeClass("SubstrateEmpty");
    IMP saved = reinterpret_cast<IMP>(&original);
    MSHookMessageEx(cls, sel_registerName("absent"), reinterpret_cast<IMP>(&firstHook), &saved);
    EXPECT_EQ(saved, nullptr);
    EXPECT_FALSE(class_respondsToSelector(cls, sel_registerName("absent")));
    saved = reinterpret_cast<IMP>(&original);
    MSHookMessageEx(nullptr, sel_registerName("twice:"), reinterpret_cast<IMP>(&firstHook), &saved);
    EXPECT_EQ(saved, nullptr);
}

} // namespace
