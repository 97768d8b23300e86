#pragma once

#include <stdexcept>
#include <string>

#include "recovery/readable/recovery_cancellation_token.h"

namespace tidewell::DeletedRecovery {

// The one error type of both deleted-file engines and their readers;
// what() is exactly the text the user sees.
class RecoveryError : public std::runtime_error {
public:
    enum class Case {
        unsupportedSource,
        unavailableSource,
        administratorAuthorizationFailed,
        unsafeDestination,
        noCandidates,
        cancelled
    };

    static RecoveryError unsupportedSource(const std::string& message) { return {Case::unsupportedSource, message}; }
    static RecoveryError unavailableSource(const std::string& message) { return {Case::unavailableSource, message}; }
    static RecoveryError administratorAuthorizationFailed(const std::string& message) {
        return {Case::administratorAuthorizationFailed, message};
    }
    static RecoveryError unsafeDestination(const std::string& message) { return {Case::unsafeDestination, message}; }
    static RecoveryError noCandidates() {
        return {Case::noCandidates, "Select at least one deleted-file candidate to export."};
    }
    static RecoveryError cancelled() { return {Case::cancelled, "Deleted-file scan cancelled."}; }

    Case errorCase() const { return case_; }

private:
    RecoveryError(Case errorCase, const std::string& message) : std::runtime_error(message), case_(errorCase) {}
    Case case_;
};

inline void throwIfCancelled(const RecoveryCancellationToken* token) {
    if (token != nullptr && token->isCancelled()) throw RecoveryError::cancelled();
}

}  // namespace tidewell::DeletedRecovery

namespace tidewell::FATDeletedRecoveryEngine {
using DeletedRecovery::RecoveryError;
using DeletedRecovery::throwIfCancelled;
}  // namespace tidewell::FATDeletedRecoveryEngine
