#include "cleanup/cleanup_candidate.h"

#include "util/byte_size_text.h"

namespace tidewell {

std::string CleanupCandidate::sizeText() const {
    return tidewellString(sizeBytes);
}

}  // namespace tidewell
