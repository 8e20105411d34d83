// The one base of every failure the program reports: it carries a message
// that is ready to be shown to the user as it stands.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message)
        : message_(std::move(message))
    {
    }
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Raised to cancel what is under way without a word.
class EAbort : public Exception {
public:
    EAbort()
        : Exception("Operation aborted")
    {
    }
};

// Raised when the operating system refuses a call.
class EOSError : public Exception {
public:
    EOSError(unsigned long code, std::string message)
        : Exception(std::move(message))
        , code_(code)
    {
    }
    unsigned long Code() const noexcept { return code_; }

private:
    unsigned long code_;
};

// "Systémová chyba. Kód: %d.\r\n%s", or the generic text when the code is 0.
std::string FormatOSErrorMessage(unsigned long code, const std::string& systemText);

// The text shown in the stop box: the message with a full stop when it lacks one.
std::string WithFullStop(const std::string& message);
