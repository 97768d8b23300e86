#include "platform/property_list_structure_guard.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace tidewell::platform {

namespace {

// Bounds-checked big-endian reads over the whole list.
class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }

    std::optional<std::uint8_t> byte(std::uint64_t offset) const {
        if (offset >= bytes_.size()) return std::nullopt;
        return bytes_[offset];
    }

    // An unsigned integer of 1 to 8 bytes.
    std::optional<std::uint64_t> unsignedInteger(std::uint64_t offset, std::uint64_t width) const {
        if (width < 1 || width > 8 || offset > bytes_.size() || bytes_.size() - offset < width) return std::nullopt;
        std::uint64_t value = 0;
        for (std::uint64_t i = 0; i < width; ++i) value = (value << 8) | bytes_[offset + i];
        return value;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::size_t trailerBytes = 32;
constexpr std::size_t headerBytes = 8;

struct Trailer {
    std::uint64_t offsetWidth = 0;
    std::uint64_t referenceWidth = 0;
    std::uint64_t objectCount = 0;
    std::uint64_t topObject = 0;
    std::uint64_t offsetTable = 0;
};

std::optional<Trailer> readTrailer(const BigEndianReader& reader) {
    if (reader.size() < headerBytes + trailerBytes) return std::nullopt;
    const std::uint64_t start = reader.size() - trailerBytes;
    Trailer trailer;
    trailer.offsetWidth = reader.byte(start + 6).value_or(0);
    trailer.referenceWidth = reader.byte(start + 7).value_or(0);
    trailer.objectCount = reader.unsignedInteger(start + 8, 8).value_or(0);
    trailer.topObject = reader.unsignedInteger(start + 16, 8).value_or(0);
    trailer.offsetTable = reader.unsignedInteger(start + 24, 8).value_or(0);
    const bool widthsValid = trailer.offsetWidth >= 1 && trailer.offsetWidth <= 8 && trailer.referenceWidth >= 1 &&
                             trailer.referenceWidth <= 8;
    // Every object takes at least one byte plus its offset-table entry.
    if (!widthsValid || trailer.objectCount == 0 || trailer.objectCount > reader.size() / 2 ||
        trailer.topObject >= trailer.objectCount || trailer.offsetTable < headerBytes || trailer.offsetTable > start ||
        (start - trailer.offsetTable) / trailer.offsetWidth < trailer.objectCount)
        return std::nullopt;
    return trailer;
}

// Where the child references of a container object lie.
struct Children {
    std::uint64_t start = 0;
    std::uint64_t count = 0;
    bool keyed = false;  // a dictionary: the first half are its keys
};

// The content of an object whose marker holds a count: in its low four bits,
// or, when those are all set, in the integer object that follows.
std::optional<Children> countedContent(const BigEndianReader& reader, std::uint64_t offset) {
    Children content{offset + 1, static_cast<std::uint64_t>(reader.byte(offset).value_or(0) & 0x0F)};
    if (content.count != 0x0F) return content;
    const std::uint8_t countMarker = reader.byte(content.start).value_or(0);
    if ((countMarker >> 4) != 0x1) return std::nullopt;
    const std::uint64_t width = std::uint64_t{1} << (countMarker & 0x0F);
    auto count = reader.unsignedInteger(content.start + 1, width);
    if (!count) return std::nullopt;
    content.count = *count;
    content.start += 1 + width;
    return content;
}

class BinaryWalk {
public:
    BinaryWalk(const BigEndianReader& reader, const Trailer& trailer, int maximumDepth, std::uint64_t maximumNodes)
        : reader_(reader),
          trailer_(trailer),
          maximumDepth_(maximumDepth),
          maximumNodes_(maximumNodes),
          state_(trailer.objectCount, State::unvisited),
          nodes_(trailer.objectCount, 0),
          depth_(trailer.objectCount, 0) {}

    bool withinLimits();

private:
    enum class State : std::uint8_t { unvisited, inProgress, done };
    struct Frame {
        std::uint64_t object;
        Children children;
        std::uint64_t next = 0;
        std::uint64_t nodes = 1;
        int depth = 1;
    };

    std::optional<Children> childrenOf(std::uint64_t object) const;
    bool isKeyWithZeroCharacter(std::uint64_t object) const;
    std::optional<std::uint64_t> reference(const Frame& frame) const;
    bool enter(std::uint64_t object);
    void finishTop();

    const BigEndianReader& reader_;
    Trailer trailer_;
    int maximumDepth_;
    std::uint64_t maximumNodes_;
    std::vector<State> state_;
    std::vector<std::uint64_t> nodes_;
    std::vector<int> depth_;
    std::vector<Frame> stack_;
};

std::optional<Children> BinaryWalk::childrenOf(std::uint64_t object) const {
    auto offset = reader_.unsignedInteger(trailer_.offsetTable + object * trailer_.offsetWidth, trailer_.offsetWidth);
    if (!offset || *offset < headerBytes || *offset >= trailer_.offsetTable) return std::nullopt;
    const std::uint8_t marker = reader_.byte(*offset).value_or(0);
    const std::uint8_t type = marker >> 4;
    // Arrays (0xA), sets (0xC) and dictionaries (0xD) hold references; everything else is a leaf.
    if (type != 0xA && type != 0xC && type != 0xD) return std::nullopt;
    auto children = countedContent(reader_, *offset);
    if (!children) return std::nullopt;
    if (type == 0xD) {
        if (children->count > trailer_.offsetTable) return std::nullopt;
        children->count *= 2;  // keys, then values
        children->keyed = true;
    }
    if (children->start > trailer_.offsetTable ||
        (trailer_.offsetTable - children->start) / trailer_.referenceWidth < children->count)
        return std::nullopt;
    return children;
}

// libplist aborts the process when a dictionary key holds a zero character
// (it checks the key's length against its C string), so such a list is not decoded.
bool BinaryWalk::isKeyWithZeroCharacter(std::uint64_t object) const {
    auto offset = reader_.unsignedInteger(trailer_.offsetTable + object * trailer_.offsetWidth, trailer_.offsetWidth);
    if (!offset) return false;
    const std::uint8_t type = reader_.byte(*offset).value_or(0) >> 4;
    if (type != 0x5 && type != 0x6) return false;  // ASCII and UTF-16 strings
    auto text = countedContent(reader_, *offset);
    if (!text) return false;
    const std::uint64_t unit = type == 0x5 ? 1 : 2;
    for (std::uint64_t at = 0; at < text->count; ++at) {
        auto character = reader_.unsignedInteger(text->start + at * unit, unit);
        if (!character) return false;  // runs past the list: the decoder refuses it
        if (*character == 0) return true;
    }
    return false;
}

std::optional<std::uint64_t> BinaryWalk::reference(const Frame& frame) const {
    auto target =
        reader_.unsignedInteger(frame.children.start + frame.next * trailer_.referenceWidth, trailer_.referenceWidth);
    if (!target || *target >= trailer_.objectCount) return std::nullopt;
    return target;
}

// Pushes a container, or records a leaf at once. False on a cycle or too deep.
bool BinaryWalk::enter(std::uint64_t object) {
    if (state_[object] == State::inProgress) return false;
    if (state_[object] == State::done) return true;
    auto children = childrenOf(object);
    if (!children || children->count == 0) {
        // Leaves and empty containers add no nesting level of their own below a container.
        state_[object] = State::done;
        nodes_[object] = 1;
        depth_[object] = children ? 1 : 0;
        return true;
    }
    if (static_cast<int>(stack_.size()) >= maximumDepth_) return false;
    state_[object] = State::inProgress;
    stack_.push_back(Frame{object, *children});
    return true;
}

void BinaryWalk::finishTop() {
    Frame frame = stack_.back();
    stack_.pop_back();
    state_[frame.object] = State::done;
    nodes_[frame.object] = frame.nodes;
    depth_[frame.object] = frame.depth;
}

bool BinaryWalk::withinLimits() {
    if (!enter(trailer_.topObject)) return false;
    while (!stack_.empty()) {
        Frame& frame = stack_.back();
        if (frame.next == frame.children.count) {
            finishTop();
            continue;
        }
        auto target = reference(frame);
        if (!target) {
            ++frame.next;  // the decoder rejects a bad reference; it adds nothing here
            continue;
        }
        if (frame.children.keyed && frame.next < frame.children.count / 2 && isKeyWithZeroCharacter(*target))
            return false;
        if (state_[*target] != State::done) {
            if (!enter(*target)) return false;
            if (state_[*target] != State::done) continue;  // descend first, then add it up
        }
        Frame& parent = stack_.back();
        parent.nodes = std::min(parent.nodes + nodes_[*target], maximumNodes_ + 1);
        parent.depth = std::max(parent.depth, depth_[*target] + 1);
        if (parent.nodes > maximumNodes_ || parent.depth > maximumDepth_) return false;
        ++parent.next;
    }
    return nodes_[trailer_.topObject] <= maximumNodes_ && depth_[trailer_.topObject] <= maximumDepth_;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

// A container tag name ends at ">", "/" or white space.
bool opensContainer(std::string_view text, std::size_t at) {
    for (std::string_view name : {"<array", "<dict"}) {
        if (!startsWith(text, at, name)) continue;
        const std::size_t after = at + name.size();
        if (after >= text.size()) return true;
        const char next = text[after];
        if (next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\r' || next == '\n') return true;
    }
    return false;
}

}  // namespace

bool binaryPropertyListWithinLimits(std::span<const std::uint8_t> bytes, int maximumDepth, std::uint64_t maximumNodes) {
    BigEndianReader reader(bytes);
    auto trailer = readTrailer(reader);
    if (!trailer) return false;
    BinaryWalk walk(reader, *trailer, maximumDepth, maximumNodes);
    return walk.withinLimits();
}

bool xmlPropertyListWithinLimits(std::span<const std::uint8_t> bytes, int maximumDepth, std::uint64_t maximumNodes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    int depth = 0;
    std::uint64_t tags = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        // Comments and character data may hold tag-like text that nests nothing.
        if (startsWith(text, at, "<!--")) {
            at = text.find("-->", at);
            if (at == std::string_view::npos) break;
            continue;
        }
        if (startsWith(text, at, "<![CDATA[")) {
            at = text.find("]]>", at);
            if (at == std::string_view::npos) break;
            continue;
        }
        if (++tags > maximumNodes) return false;
        if (startsWith(text, at, "</array") || startsWith(text, at, "</dict")) {
            depth = std::max(depth - 1, 0);
            continue;
        }
        if (!opensContainer(text, at)) continue;
        const std::size_t close = text.find('>', at);
        if (close == std::string_view::npos) break;
        if (text[close - 1] == '/') continue;  // "<array/>" is empty
        if (++depth > maximumDepth) return false;
    }
    return true;
}

}  // namespace tidewell::platform
