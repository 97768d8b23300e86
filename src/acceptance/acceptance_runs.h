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
// The 70-byte 1 x 1 PNG written to the volume and expected back.
std::vector<std::uint8_t> testImageData();
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
