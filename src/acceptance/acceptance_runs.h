#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tidewell {

// Each headless acceptance run returns none when its option is absent (having
// done and printed nothing), else the status the process ends with.

namespace ExFATDeletedRecoveryQAAcceptance {
inline constexpr const char* option = "--exfat-deleted-recovery-qa";
std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments);
}  // namespace ExFATDeletedRecoveryQAAcceptance

namespace LiveDeletedRecoveryQAAcceptance {
inline constexpr const char* option = "--live-deleted-recovery-qa";
std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments);
}  // namespace LiveDeletedRecoveryQAAcceptance

namespace DeletedRecoveryQAAcceptance {
inline constexpr const char* option = "--deleted-recovery-qa";
std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments);
}  // namespace DeletedRecoveryQAAcceptance

namespace RecoveryQAAcceptance {
inline constexpr const char* option = "--recovery-qa";
std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments);
}  // namespace RecoveryQAAcceptance

}  // namespace tidewell
