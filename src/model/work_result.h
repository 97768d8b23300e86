#pragma once

#include <exception>
#include <optional>
#include <string>

namespace tidewell {

// How a piece of engine work ended: its value, or the error's text, with cancellation told
// apart because it is never reported as a failure.
template <typename Value>
struct WorkResult {
    std::optional<Value> value;
    std::string errorDescription;
    bool cancelled = false;

    bool succeeded() const { return value.has_value(); }
};

// Whether a caught exception is one of the engines' cancellation errors.
bool isCancellationError(const std::exception_ptr& error);

// Runs `work` and captures its value or the exception it threw.
template <typename Value, typename Work>
WorkResult<Value> captureWork(Work&& work) {
    WorkResult<Value> result;
    try {
        result.value = work();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        result.cancelled = isCancellationError(error);
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& exception) {
            result.errorDescription = exception.what();
        } catch (...) {
            result.errorDescription = "Unknown error.";
        }
    }
    return result;
}

}  // namespace tidewell
