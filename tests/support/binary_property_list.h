#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::testing {

// Builds binary property lists ("bplist00") object by object, so tests can
// make structures no converter would write: deep chains, shared subtrees,
// cycles and broken references. References and offsets are 4 bytes wide.
class BinaryPropertyListBuilder {
public:
    // Adds an object and returns its index.
    std::uint32_t add(const std::string& objectBytes) {
        objects_.push_back(objectBytes);
        return static_cast<std::uint32_t>(objects_.size() - 1);
    }

    static std::string ascii(const std::string& text) { return marker(0x5, text.size()) + text; }
    static std::string boolean(bool value) { return std::string(1, value ? '\x09' : '\x08'); }
    static std::string array(const std::vector<std::uint32_t>& references) {
        return marker(0xA, references.size()) + referenceBytes(references);
    }
    static std::string dictionary(const std::vector<std::uint32_t>& keys, const std::vector<std::uint32_t>& values) {
        return marker(0xD, keys.size()) + referenceBytes(keys) + referenceBytes(values);
    }

    std::string build(std::uint32_t topObject) const {
        std::string bytes = "bplist00";
        std::vector<std::uint32_t> offsets;
        for (const std::string& object : objects_) {
            offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
            bytes += object;
        }
        const std::uint64_t offsetTable = bytes.size();
        for (std::uint32_t offset : offsets) bytes += bigEndian(offset, 4);
        bytes += std::string(6, '\0') + '\x04' + '\x04';
        bytes += bigEndian(objects_.size(), 8) + bigEndian(topObject, 8) + bigEndian(offsetTable, 8);
        return bytes;
    }

private:
    static std::string bigEndian(std::uint64_t value, int width) {
        std::string bytes;
        for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
        return bytes;
    }
    static std::string marker(int type, std::size_t count) {
        if (count < 15) return std::string(1, static_cast<char>((type << 4) | static_cast<int>(count)));
        return std::string(1, static_cast<char>((type << 4) | 0xF)) + '\x12' + bigEndian(count, 4);
    }
    static std::string referenceBytes(const std::vector<std::uint32_t>& references) {
        std::string bytes;
        for (std::uint32_t reference : references) bytes += bigEndian(reference, 4);
        return bytes;
    }

    std::vector<std::string> objects_;
};

}  // namespace tidewell::testing
