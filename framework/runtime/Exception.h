#pragma once

// The framework's exception classes.

#include <exception>
#include <string>

namespace sx {

// The framework's exceptions. Each class reports its own name (it starts with "E"), which
// the application shows for objects that escape handling.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

#define SX_EXCEPTION_CLASS(Name, Base)                       \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  }

// Silent: reported nowhere.
SX_EXCEPTION_CLASS(EAbort, Exception);
SX_EXCEPTION_CLASS(EListError, Exception);
SX_EXCEPTION_CLASS(EConvertError, Exception);
SX_EXCEPTION_CLASS(EComponentError, Exception);
SX_EXCEPTION_CLASS(EStreamError, Exception);
SX_EXCEPTION_CLASS(EFilerError, EStreamError);
SX_EXCEPTION_CLASS(EReadError, EFilerError);
SX_EXCEPTION_CLASS(EClassNotFound, EFilerError);
SX_EXCEPTION_CLASS(EResNotFound, Exception);
SX_EXCEPTION_CLASS(EOutOfResources, Exception);
SX_EXCEPTION_CLASS(EInvalidOperation, Exception);

// A failed call of the operating system, with the system's error code.
class EOSError : public Exception {
 public:
  EOSError(std::string message, unsigned long code) : Exception(std::move(message)), code_(code) {}
  unsigned long ErrorCode() const { return code_; }
  const char* ClassName() const override { return "EOSError"; }

 private:
  unsigned long code_;
};

}  // namespace sx
