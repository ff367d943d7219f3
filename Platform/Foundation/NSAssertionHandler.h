// Where failed assertions go. Each thread has a current handler; the standard one
// raises NSInternalInconsistencyException with the description as reason. A program
// (or a test) may put its own handler in place; if that handler returns, the code
// that asserted goes on.
#pragma once

#include <Foundation/NSObject.h>

#include <memory>
#include <string>

class NSAssertionHandler;
using NSAssertionHandlerRef = std::shared_ptr<NSAssertionHandler>;

class NSAssertionHandler : public NSObject {
  public:
    // This thread's handler: the one set with setCurrentHandler, else a standard one
    // made on first use.
    static NSAssertionHandlerRef currentHandler();
    // Replaces this thread's handler (the platform keeps it in the thread dictionary);
    // null goes back to the standard handler.
    static void setCurrentHandler(NSAssertionHandlerRef handler);

    // `object` is the receiver of `selector`; it is not retained.
    virtual void handleFailureInMethod(SEL selector, id object, const std::string& fileName,
                                       NSInteger line, const std::string& description);
    virtual void handleFailureInFunction(const std::string& functionName,
                                         const std::string& fileName, NSInteger line,
                                         const std::string& description);
};
