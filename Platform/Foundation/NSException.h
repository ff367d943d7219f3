// The platform's exceptions, raised as C++ exceptions. An exception that an assertion
// raised also carries where the assertion failed.
#pragma once

#include <Foundation/NSObject.h>

#include <exception>
#include <string>

inline constexpr const char* NSInternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr const char* NSInvalidArgumentException = "NSInvalidArgumentException";

class NSException : public std::exception {
  public:
    NSException(std::string name, std::string reason)
        : name_(std::move(name)), reason_(std::move(reason)) {}

    [[noreturn]] static void raise(std::string name, std::string reason) {
        throw NSException(std::move(name), std::move(reason));
    }

    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }
    const char* what() const noexcept override { return reason_.c_str(); }

    // For an assertion failure: the operation (a selector or a function name), the
    // source file and the line that the check reported. Empty and 0 otherwise.
    const std::string& operation() const { return operation_; }
    const std::string& fileName() const { return fileName_; }
    NSInteger lineNumber() const { return lineNumber_; }
    void setOrigin(std::string operation, std::string fileName, NSInteger lineNumber) {
        operation_ = std::move(operation);
        fileName_ = std::move(fileName);
        lineNumber_ = lineNumber;
    }

  private:
    std::string name_;
    std::string reason_;
    std::string operation_;
    std::string fileName_;
    NSInteger lineNumber_ = 0;
};
