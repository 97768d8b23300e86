#pragma once

#include <stdexcept>
#include <string>

namespace tidewell {

// The error of the raw-device road from the engines to the privileged helper.
// Its cases are the two the deleted-file engines' recovery error uses for raw
// reads, so a device reader can pass case and message on unchanged; what() is
// exactly the user-facing message.
class PrivilegedReadError : public std::runtime_error {
public:
    enum class Case { unavailableSource, administratorAuthorizationFailed };

    PrivilegedReadError(Case errorCase, const std::string& message)
        : std::runtime_error(message), errorCase_(errorCase) {}

    Case errorCase() const { return errorCase_; }

private:
    Case errorCase_;
};

}  // namespace tidewell
