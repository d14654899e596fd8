#pragma once

// Error results: loaders report problems to an ErrorReporter; an ErrorResult
// keeps the first error reported to it (code 0 means no error) and is
// returned by value.

#include <cstdint>
#include <string>

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void reportError(std::int32_t code, const std::string& message) = 0;
};

class IErrorResult {
public:
    virtual ~IErrorResult() = default;
    virtual std::int32_t getErrorCode() const = 0;
    virtual const std::string& getErrorMessage() const = 0;
    bool hasError() const { return getErrorCode() != 0; }
};

// A fixed error: code and message, typically built once and reported often.
struct ErrorRecord {
    std::int32_t code = 0;
    std::string message;
};

class ErrorResult : public ErrorReporter, public IErrorResult {
public:
    ErrorResult() = default;
    // Starts empty and reports the record.
    ErrorResult(const ErrorRecord& record);

    // Stores code and message only while no error is held: the first wins.
    void reportError(std::int32_t code, const std::string& message) override;
    void reportError(const ErrorRecord& record) { reportError(record.code, record.message); }

    std::int32_t getErrorCode() const override { return code_; }
    const std::string& getErrorMessage() const override { return message_; }

private:
    std::int32_t code_ = 0;
    std::string message_;
};
