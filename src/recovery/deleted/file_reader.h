#pragma once

#include <filesystem>
#include <string>

#include "recovery/deleted/raw_reader.h"

namespace tidewell {

// Reads a partition image file. Each call opens its own read-only descriptor,
// so the reader holds no resource between calls.
class FileReader : public RawReader {
public:
    static constexpr const char* fat32ShortReadMessage =
        "The recovery image ended before the requested sector could be read.";

    explicit FileReader(std::filesystem::path url, std::string shortReadMessage = fat32ShortReadMessage);

    // Open failures and read errors are thrown as std::system_error; fewer bytes
    // than asked for throw unavailableSource with the short-read message.
    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override;

    const std::filesystem::path& url() const { return url_; }

private:
    std::filesystem::path url_;
    std::string shortReadMessage_;
};

}  // namespace tidewell
