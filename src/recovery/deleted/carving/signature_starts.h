#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

namespace tidewell::FileCarving {

// What an earlier pass over the volume saw of the blocks it read one after
// another: where each began and which begin with a known file signature. The
// carver takes a cluster start seen here from here, instead of reading the
// cluster again only to look at its first bytes.
class SignatureStarts {
public:
    // One block read at `offset`; blocks of one size read back to back form one stretch.
    void see(std::int64_t offset, std::span<const std::uint8_t> block);

    // Whether every start offset, offset + step, ... below `end` was the start of a block seen.
    bool covers(std::int64_t offset, std::int64_t end, std::int64_t step) const;

    // The first start in [from, end), a whole number of steps from `from`, whose block
    // begins with a known signature.
    std::optional<std::int64_t> nextSignature(std::int64_t from, std::int64_t end, std::int64_t step) const;

private:
    struct Stretch {
        std::int64_t start = 0;
        std::int64_t blockBytes = 0;
        std::int64_t end = 0;
    };
    std::vector<Stretch> stretches_;
    std::set<std::int64_t> signatures_;
};

}  // namespace tidewell::FileCarving
