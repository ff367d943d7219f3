#include <Foundation/NSAssertionHandler.h>
#include <Foundation/NSException.h>

namespace {

thread_local NSAssertionHandlerRef currentThreadHandler;

[[noreturn]] void raiseAssertionFailure(std::string operation, const std::string& fileName,
                                        NSInteger line, const std::string& description) {
    NSException exception(NSInternalInconsistencyException, description);
    exception.setOrigin(std::move(operation), fileName, line);
    throw exception;
}

} // namespace

NSAssertionHandlerRef NSAssertionHandler::currentHandler() {
    if (!currentThreadHandler) {
        currentThreadHandler = std::make_shared<NSAssertionHandler>();
    }
    return currentThreadHandler;
}

void NSAssertionHandler::setCurrentHandler(NSAssertionHandlerRef handler) {
    currentThreadHandler = std::move(handler);
}

void NSAssertionHandler::handleFailureInMethod(SEL selector, id, const std::string& fileName,
                                               NSInteger line, const std::string& description) {
    raiseAssertionFailure(selector ? sel_getName(selector) : "", fileName, line, description);
}

void NSAssertionHandler::handleFailureInFunction(const std::string& functionName,
                                                 const std::string& fileName, NSInteger line,
                                                 const std::string& description) {
    raiseAssertionFailure(functionName, fileName, line, description);
}
