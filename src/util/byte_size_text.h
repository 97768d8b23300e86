#pragma once

#include <cstdint>
#include <string>

namespace tidewell {

// The one byte-size text every size shown to the user goes through:
// "0 B" below 1 byte, "N B" below 1024 bytes, else decimal KB/MB/GB
// (1 KB = 1000 bytes) with 0/1/2 fraction digits, trailing zeros dropped,
// thousands grouped with ",".
std::string tidewellString(std::int64_t byteCount);

}  // namespace tidewell
