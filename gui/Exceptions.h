#pragma once
// The framework's error classes. Every error that leaves an event handler reaches the
// application's dispatch, which shows "Exception <ClassName()>"; EAbort and its descendants
// show nothing.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    Exception() = default;
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    // The readable type name shown to the user; every descendant overrides it.
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

// The silent error: the dispatch passes it over without a message.
class EAbort : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EAbort"; }
};

// The file layer reports a file that cannot be opened or created, and a write that stores fewer
// bytes than asked, as an abort.
class EFOpenError : public EAbort {
public:
    using EAbort::EAbort;
    const char* ClassName() const noexcept override { return "EFOpenError"; }
};

class EFCreateError : public EAbort {
public:
    using EAbort::EAbort;
    const char* ClassName() const noexcept override { return "EFCreateError"; }
};

class EWriteError : public EAbort {
public:
    using EAbort::EAbort;
    const char* ClassName() const noexcept override { return "EWriteError"; }
};

// A form layout that cannot be read: unregistered class, unknown property or handler, bad syntax.
class ELayoutError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ELayoutError"; }
};

// A picture file whose contents are no bitmap.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EInvalidGraphic"; }
};

// An operation called in a state that does not allow it (a visible form made modal, ...).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EInvalidOperation"; }
};

// The readable type name of any error: ClassName() for the framework's errors, "EOutOfMemory" for
// an allocation failure, the demangled type for other standard errors, "Exception" otherwise.
std::string ExceptionClassName(const std::exception_ptr& error);

// True when the error is an EAbort (or descends from it).
bool IsAbort(const std::exception_ptr& error);
