#include "platform/helper_protocol_archive.h"

#include <stdexcept>

namespace tidewell::platform {

namespace {

constexpr std::uint8_t magic[] = {'T', 'W', 'H', 'A'};

enum class ValueType : std::uint8_t { string = 1, int64 = 2, int32 = 3, boolean = 4, data = 5 };

// Bounds-checked little-endian reading over the received bytes: every read
// states how much it needs and fails instead of running past the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool atEnd() const { return position_ == bytes_.size(); }

    std::optional<std::uint64_t> unsignedValue(std::size_t width) {
        if (bytes_.size() - position_ < width) return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value |= std::uint64_t{bytes_[position_ + i]} << (8 * i);
        position_ += width;
        return value;
    }

    std::optional<std::string> text(std::size_t length) {
        if (bytes_.size() - position_ < length) return std::nullopt;
        std::string value(reinterpret_cast<const char*>(bytes_.data() + position_), length);
        position_ += length;
        return value;
    }

    std::optional<std::string> shortName() {
        auto length = unsignedValue(1);
        if (!length || *length == 0 || *length > HelperArchiveLimits::maxNameLength) return std::nullopt;
        return text(*length);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

void appendUnsigned(HelperBytes& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void appendShortName(HelperBytes& out, const std::string& name) {
    if (name.empty() || name.size() > HelperArchiveLimits::maxNameLength)
        throw std::length_error("helper archive name out of range");
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
}

void appendValue(HelperBytes& out, const HelperValue& value) {
    if (auto text = std::get_if<std::string>(&value)) {
        if (text->size() > HelperArchiveLimits::maxStringLength) throw std::length_error("helper string too long");
        out.push_back(static_cast<std::uint8_t>(ValueType::string));
        appendUnsigned(out, text->size(), 4);
        out.insert(out.end(), text->begin(), text->end());
    } else if (auto wide = std::get_if<std::int64_t>(&value)) {
        out.push_back(static_cast<std::uint8_t>(ValueType::int64));
        appendUnsigned(out, static_cast<std::uint64_t>(*wide), 8);
    } else if (auto narrow = std::get_if<std::int32_t>(&value)) {
        out.push_back(static_cast<std::uint8_t>(ValueType::int32));
        appendUnsigned(out, static_cast<std::uint32_t>(*narrow), 4);
    } else if (auto flag = std::get_if<bool>(&value)) {
        out.push_back(static_cast<std::uint8_t>(ValueType::boolean));
        out.push_back(*flag ? 1 : 0);
    } else {
        out.push_back(static_cast<std::uint8_t>(ValueType::data));
    }
}

// Reads one value; a data value takes the bulk, which only one entry may do.
bool readValue(ByteReader& reader, HelperBytes& bulk, bool& bulkTaken, HelperValue& out) {
    auto type = reader.unsignedValue(1);
    if (!type) return false;
    switch (static_cast<ValueType>(*type)) {
        case ValueType::string: {
            auto length = reader.unsignedValue(4);
            if (!length || *length > HelperArchiveLimits::maxStringLength) return false;
            auto text = reader.text(*length);
            if (!text) return false;
            out = std::move(*text);
            return true;
        }
        case ValueType::int64: {
            auto raw = reader.unsignedValue(8);
            if (!raw) return false;
            out = static_cast<std::int64_t>(*raw);
            return true;
        }
        case ValueType::int32: {
            auto raw = reader.unsignedValue(4);
            if (!raw) return false;
            out = static_cast<std::int32_t>(static_cast<std::uint32_t>(*raw));
            return true;
        }
        case ValueType::boolean: {
            auto raw = reader.unsignedValue(1);
            if (!raw || *raw > 1) return false;
            out = (*raw == 1);
            return true;
        }
        case ValueType::data:
            if (bulkTaken) return false;
            bulkTaken = true;
            out.emplace<HelperBytes>(std::move(bulk));
            return true;
    }
    return false;
}

}  // namespace

const HelperBytes* bulkOf(const HelperArchive& archive) {
    for (const auto& [key, value] : archive.values)
        if (auto data = std::get_if<HelperBytes>(&value)) return data;
    return nullptr;
}

HelperBytes encodeHelperFrameHead(const HelperArchive& archive) {
    const HelperBytes* bulk = bulkOf(archive);
    if (bulk && bulk->size() > HelperArchiveLimits::maxDataLength) throw std::length_error("helper data too long");
    return encodeHelperFrameHead(archive, bulk ? static_cast<std::uint32_t>(bulk->size()) : 0);
}

HelperBytes encodeHelperFrameHead(const HelperArchive& archive, std::uint32_t bulkLength) {
    if (archive.values.size() > HelperArchiveLimits::maxEntries) throw std::length_error("too many helper entries");
    HelperBytes header(std::begin(magic), std::end(magic));
    appendShortName(header, archive.operation);
    appendShortName(header, archive.className);
    header.push_back(static_cast<std::uint8_t>(archive.values.size()));
    std::size_t dataValues = 0;
    for (const auto& [key, value] : archive.values) {
        appendShortName(header, key);
        appendValue(header, value);
        if (std::holds_alternative<HelperBytes>(value)) ++dataValues;
    }
    if (dataValues > 1 || header.size() > HelperArchiveLimits::maxHeaderLength ||
        bulkLength > HelperArchiveLimits::maxDataLength || (bulkLength > 0 && dataValues == 0))
        throw std::length_error("helper archive out of range");
    HelperBytes frame;
    frame.reserve(HelperArchiveLimits::prefixLength + header.size());
    appendUnsigned(frame, header.size(), 4);
    appendUnsigned(frame, bulkLength, 4);
    frame.insert(frame.end(), header.begin(), header.end());
    return frame;
}

HelperBytes encodeHelperFrame(const HelperArchive& archive) {
    HelperBytes frame = encodeHelperFrameHead(archive);
    if (const HelperBytes* bulk = bulkOf(archive)) frame.insert(frame.end(), bulk->begin(), bulk->end());
    return frame;
}

std::optional<HelperFrameLengths> decodeHelperFramePrefix(std::span<const std::uint8_t> prefix) {
    ByteReader reader(prefix);
    auto header = reader.unsignedValue(4);
    auto bulk = reader.unsignedValue(4);
    if (!header || !bulk || !reader.atEnd()) return std::nullopt;
    if (*header == 0 || *header > HelperArchiveLimits::maxHeaderLength || *bulk > HelperArchiveLimits::maxDataLength)
        return std::nullopt;
    return HelperFrameLengths{static_cast<std::uint32_t>(*header), static_cast<std::uint32_t>(*bulk)};
}

std::optional<HelperArchive> decodeHelperArchive(std::span<const std::uint8_t> header, HelperBytes bulk) {
    ByteReader reader(header);
    auto start = reader.text(sizeof magic);
    if (!start || start->compare(0, sizeof magic, reinterpret_cast<const char*>(magic), sizeof magic) != 0)
        return std::nullopt;
    HelperArchive archive;
    auto operation = reader.shortName();
    auto className = reader.shortName();
    auto count = reader.unsignedValue(1);
    if (!operation || !className || !count || *count > HelperArchiveLimits::maxEntries) return std::nullopt;
    archive.operation = std::move(*operation);
    archive.className = std::move(*className);
    bool bulkTaken = false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto key = reader.shortName();
        if (!key || archive.values.contains(*key)) return std::nullopt;
        HelperValue& value = archive.values[std::move(*key)];
        if (!readValue(reader, bulk, bulkTaken, value)) return std::nullopt;
    }
    if (!reader.atEnd()) return std::nullopt;
    if (!bulkTaken && !bulk.empty()) return std::nullopt;
    return archive;
}

std::optional<HelperArchive> decodeHelperFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() < HelperArchiveLimits::prefixLength) return std::nullopt;
    auto lengths = decodeHelperFramePrefix(frame.first(HelperArchiveLimits::prefixLength));
    if (!lengths) return std::nullopt;
    auto rest = frame.subspan(HelperArchiveLimits::prefixLength);
    if (rest.size() != std::uint64_t{lengths->header} + lengths->bulk) return std::nullopt;
    auto bulk = rest.subspan(lengths->header);
    return decodeHelperArchive(rest.first(lengths->header), HelperBytes(bulk.begin(), bulk.end()));
}

}  // namespace tidewell::platform
