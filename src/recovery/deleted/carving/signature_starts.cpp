#include "recovery/deleted/carving/signature_starts.h"

#include <algorithm>

#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving {

void SignatureStarts::see(std::int64_t offset, std::span<const std::uint8_t> block) {
    const auto size = static_cast<std::int64_t>(block.size());
    if (size <= 0) return;
    if (!stretches_.empty() && stretches_.back().end == offset && stretches_.back().blockBytes == size)
        stretches_.back().end += size;
    else
        stretches_.push_back({offset, size, offset + size});
    // The carver looks at the first 16 bytes of a cluster.
    if (walkerFor(block.first(std::min<std::size_t>(16, block.size()))) != nullptr) signatures_.insert(offset);
}

bool SignatureStarts::covers(std::int64_t offset, std::int64_t end, std::int64_t step) const {
    if (offset >= end) return true;
    return std::any_of(stretches_.begin(), stretches_.end(), [&](const Stretch& stretch) {
        return stretch.start <= offset && end <= stretch.end && (offset - stretch.start) % stretch.blockBytes == 0 &&
               step % stretch.blockBytes == 0;
    });
}

std::optional<std::int64_t> SignatureStarts::nextSignature(std::int64_t from, std::int64_t end,
                                                           std::int64_t step) const {
    for (auto at = signatures_.lower_bound(from); at != signatures_.end() && *at < end; ++at)
        if ((*at - from) % step == 0) return *at;
    return std::nullopt;
}

}  // namespace tidewell::FileCarving
