#include "foundation/ErrorResult.h"

ErrorResult::ErrorResult(const ErrorRecord& record) {
    reportError(record);
}

void ErrorResult::reportError(std::int32_t newCode, const std::string& newMessage) {
    if (code_ != 0) return;
    code_ = newCode;
    message_ = newMessage;
}
