#include "platform/raw_partition_identifier.h"

#include <string_view>

namespace tidewell::platform {

namespace {

// Consumes the front of text as it matches each piece of a kernel name.
class NameCursor {
public:
    explicit NameCursor(std::string_view text) : rest_(text) {}

    bool literal(std::string_view piece) {
        if (!rest_.starts_with(piece)) return false;
        rest_.remove_prefix(piece.size());
        return true;
    }

    bool letters() {
        std::size_t count = 0;
        while (count < rest_.size() && rest_[count] >= 'a' && rest_[count] <= 'z') ++count;
        rest_.remove_prefix(count);
        return count > 0;
    }

    // A decimal number as the kernel writes it: no leading zero, 0 only if allowed.
    bool number(bool zeroAllowed) {
        std::size_t count = 0;
        while (count < rest_.size() && rest_[count] >= '0' && rest_[count] <= '9') ++count;
        if (count == 0 || (rest_[0] == '0' && (count > 1 || !zeroAllowed))) return false;
        rest_.remove_prefix(count);
        return true;
    }

    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

bool matchesDiskPartition(std::string_view name, std::string_view prefix) {
    NameCursor cursor(name);
    return cursor.literal(prefix) && cursor.letters() && cursor.number(false) && cursor.atEnd();
}

bool matchesMemoryCard(std::string_view name) {
    NameCursor cursor(name);
    return cursor.literal("mmcblk") && cursor.number(true) && cursor.literal("p") && cursor.number(false) &&
           cursor.atEnd();
}

bool matchesNvme(std::string_view name) {
    NameCursor cursor(name);
    return cursor.literal("nvme") && cursor.number(true) && cursor.literal("n") && cursor.number(false) &&
           cursor.literal("p") && cursor.number(false) && cursor.atEnd();
}

bool matchesLoop(std::string_view name) {
    NameCursor cursor(name);
    return cursor.literal("loop") && cursor.number(true) && cursor.atEnd();
}

}  // namespace

bool isRawPartitionIdentifier(const std::string& identifier) {
    if (identifier.size() > 32) return false;
    return matchesDiskPartition(identifier, "sd") || matchesDiskPartition(identifier, "vd") ||
           matchesMemoryCard(identifier) || matchesNvme(identifier) || matchesLoop(identifier);
}

}  // namespace tidewell::platform
