#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

// Bounded reads of a file under diagnosis; a read that fails gives fewer bytes.
namespace tidewell::FileFirstAidEngine {

// Up to count bytes from offset; empty when the file cannot be read.
std::vector<std::uint8_t> readBytes(const std::filesystem::path& url, std::uint64_t offset, std::size_t count);
// The first 4,096 bytes.
std::vector<std::uint8_t> headSample(const std::filesystem::path& url);
// The last 2,000,000 bytes (all of a smaller file).
std::vector<std::uint8_t> tailSample(const std::filesystem::path& url);
// Position of the first occurrence of needle in bytes.
std::optional<std::size_t> findBytes(const std::vector<std::uint8_t>& bytes, std::string_view needle);

}  // namespace tidewell::FileFirstAidEngine
