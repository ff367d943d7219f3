#include <Foundation/NSAssertionHandler.h>
#include <Foundation/NSException.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class CountingHandler : public NSAssertionHandler {
  public:
    void handleFailureInMethod(SEL, id, const std::string&, NSInteger,
                               const std::string&) override {
        ++count;
    }
    int count = 0;
};

struct ObjectForTest : NSObject {};

NSException failInMethod() {
    ObjectForTest object;
    try {
        NSAssertionHandler::currentHandler()->handleFailureInMethod(
            sel_registerName("doSomething:with:"), &object, "Folder/File.m", 42, "it went wrong");
    } catch (const NSException& exception) {
        return exception;
    }
    ADD_FAILURE() << "the standard handler returned";
    return NSException("", "");
}

TEST(AssertionHandler, StandardHandlerRaisesAnInternalInconsistency) {
    NSException exception = failInMethod();
    EXPECT_EQ(exception.name(), NSInternalInconsistencyException);
    EXPECT_EQ(exception.reason(), "it went wrong");
    EXPECT_STREQ(exception.what(), "it went wrong");
    EXPECT_EQ(exception.operation(), "doSomething:with:");
    EXPECT_EQ(exception.fileName(), "Folder/File.m");
    EXPECT_EQ(exception.lineNumber(), 42);
}

TEST(AssertionHandler, FunctionFailuresRaiseToo) {
    try {
        NSAssertionHandler::currentHandler()->handleFailureInFunction("helper", "File.c", 7, "bad");
        ADD_FAILURE() << "the standard handler returned";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSInternalInconsistencyException);
        EXPECT_EQ(exception.reason(), "bad");
        EXPECT_EQ(exception.operation(), "helper");
        EXPECT_EQ(exception.lineNumber(), 7);
    }
}

TEST(AssertionHandler, ReplacedHandlerReturnsAndCanBeRemoved) {
    auto counting = std::make_shared<CountingHandler>();
    NSAssertionHandler::setCurrentHandler(counting);
    EXPECT_EQ(NSAssertionHandler::currentHandler(), counting);
    NSAssertionHandler::currentHandler()->handleFailureInMethod(nullptr, nullptr, "f", 1, "d");
    EXPECT_EQ(counting->count, 1);

    NSAssertionHandler::setCurrentHandler(nullptr);
    EXPECT_NE(NSAssertionHandler::currentHandler(), counting);
    EXPECT_EQ(failInMethod().lineNumber(), 42);
}

TEST(AssertionHandler, EachThreadHasItsOwnHandler) {
    auto counting = std::make_shared<CountingHandler>();
    NSAssertionHandler::setCurrentHandler(counting);
    bool otherThreadRaised = false;
    std::thread other([&] {
        EXPECT_NE(NSAssertionHandler::currentHandler(), counting);
        otherThreadRaised = failInMethod().name() == NSInternalInconsistencyException;
    });
    other.join();
    EXPECT_TRUE(otherThreadRaised);
    EXPECT_EQ(NSAssertionHandler::currentHandler(), counting);
    EXPECT_EQ(NSAssertionHandler::currentHandler(), NSAssertionHandler::currentHandler());
    NSAssertionHandler::setCurrentHandler(nullptr);
}

} // namespace
