#include <objc/runtime.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Thing : objc_object {
    int value = 7;
};

int valueOf(id self, SEL) {
    return static_cast<Thing*>(self)->value;
}
int otherValue(id, SEL) {
    return -1;
}
double half(id self, SEL, double x) {
    return static_cast<Thing*>(self)->value + x / 2;
}

Class makeClass(const char* name, Class superclass = nullptr) {
    Class cls = objc_allocateClassPair(superclass, name);
    objc_registerClassPair(cls);
    return cls;
}

TEST(Runtime, ClassesAreFoundByNameOnceRegistered) {
    Class pending = objc_allocateClassPair(nullptr, "RuntimePending");
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(objc_getClass("RuntimePending"), nullptr);
    EXPECT_EQ(objc_allocateClassPair(nullptr, "RuntimePending"), nullptr) << "names are unique";
    objc_registerClassPair(pending);
    EXPECT_EQ(objc_getClass("RuntimePending"), pending);
    EXPECT_STREQ(class_getName(pending), "RuntimePending");
    EXPECT_EQ(objc_getClass("RuntimeNeverDefined"), nullptr);
    EXPECT_EQ(objc_getClass(nullptr), nullptr);
}

TEST(Runtime, AddMethodKeepsAnExistingMethodAndMessagesReachIt) {
    Class base = makeClass("RuntimeBase");
    Class derived = makeClass("RuntimeDerived", base);
    SEL sel = sel_registerName("value");
    EXPECT_EQ(sel, sel_registerName("value")) << "selectors are interned";
    ASSERT_TRUE(class_addMethod(base, sel, reinterpret_cast<IMP>(&valueOf), "i@:"));
    EXPECT_FALSE(class_addMethod(base, sel, reinterpret_cast<IMP>(&otherValue), "i@:"));
    EXPECT_TRUE(
        class_addMethod(base, sel_registerName("half:"), reinterpret_cast<IMP>(&half), "d@:d"));

    Thing thing;
    thing.isa = derived;
    EXPECT_EQ(objc_msgSend<int>(&thing, sel), 7);
    EXPECT_DOUBLE_EQ(objc_msgSend<double>(&thing, sel_registerName("half:"), 3.0), 8.5);
    EXPECT_EQ(objc_msgSend<int>(nullptr, sel), 0) << "a message to nil answers zero";
}

TEST(Runtime, MessagesThatCannotBeAnsweredRaise) {
    Class cls = makeClass("RuntimeStrict");
    class_addMethod(cls, sel_registerName("value"), reinterpret_cast<IMP>(&valueOf), "i@:");
    Thing thing;
    thing.isa = cls;
    EXPECT_THROW(objc_msgSend<int>(&thing, sel_registerName("missing")), objc_exception);
    EXPECT_THROW(objc_msgSend<double>(&thing, sel_registerName("value")), objc_exception)
        << "wrong result type";
    Thing outside;
    EXPECT_THROW(objc_msgSend<int>(&outside, sel_registerName("value")), objc_exception);
}

TEST(Runtime, SynchronizedIsRecursiveAndExcludesOtherThreads) {
    Thing lock;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            ObjCSynchronized outer(&lock);
            ObjCSynchronized inner(&lock);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
    Thing neverLocked;
    EXPECT_EQ(objc_sync_exit(&neverLocked), -1);
}

} // namespace
