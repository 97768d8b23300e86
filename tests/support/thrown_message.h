#pragma once

#include <exception>
#include <functional>
#include <string>

namespace tidewell::testing {

// What the action threw, or "no error" when it returned.
inline std::string thrownMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace tidewell::testing
